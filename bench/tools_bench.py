#!/usr/bin/env python3
"""Measures the tools against ffmpeg's own programs: how fast a tool starts and how much memory
each takes, and the five conversion steps against one ffmpeg command that does the same encode
straight to 3GPP with the same encoder settings, on a 10 s phone clip and a 60 s noisy one.

    python3 bench/tools_bench.py [--bin build/bin] [--pairs 3] [--starts 21] [--work DIR]

- start: the identify tool on a 1 s clip, against ffprobe reading its duration;
- memory: the largest resident set of each tool over the five steps of the 10 s clip, both
  families, and of the one shot doing the same (read by GNU time);
- five steps: each family on each clip, as paired runs whose order alternates inside a pair
  (so neither side always gets the warmer cache); the ratio is five steps over one shot.

Every figure is a median. Beside the wall-clock time each side's processor time (user and
system, all threads) is shown: on a machine shared with other work it varies less. The
targets are printed beside the figures; nothing here fails on them.
"""
import argparse
import os
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time

# The two encoder families with the settings the program's presets give them, and what the
# encoder makes of them: the normaliser's peak target for that many bits a sample, and the
# H.264 level's buffer limits (176x144 at 15 fps and 256 kbit/s is level 1.2).
FAMILIES = {
    "xvid": dict(scale="176:144", fps="10", rate="22050", abr="32", vbr="100", raw="m4v",
                 peak="0.6"),
    "x264": dict(scale="176:144", fps="15", rate="48000", abr="96", vbr="256", raw="264",
                 peak="0.6", maxrate="384k", bufsize="1000k"),
}
# The sound must match the encoder's own chain, so both sides do the same work. The picture
# is scaled and then resampled in time, as a plain ffmpeg command does it; the encoder drops
# frames before it scales them.
NORMALISER = "dynaudnorm=f=200:g=15:b=1:p={peak}"
KEYFRAME_SECONDS = 4


def run(argv):
    """Runs argv; returns (seconds, processor seconds); raises on failure."""
    start = time.monotonic()
    proc = subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE)
    _, status, usage = os.wait4(proc.pid, 0)
    elapsed = time.monotonic() - start
    err = proc.stderr.read().decode(errors="replace")
    proc.stderr.close()
    proc.returncode = os.waitstatus_to_exitcode(status)
    if proc.returncode != 0:
        raise RuntimeError(f"{argv[0]} failed ({proc.returncode}): {err.strip()[-400:]}")
    return elapsed, usage.ru_utime + usage.ru_stime


def peak_mib(argv, work):
    """Runs argv under GNU time; returns its largest resident set in MiB. A child counts its
    parent's memory at the fork as its own, so it is started from time's 1 MiB, not from
    this script's 15."""
    report = os.path.join(work, "peak.txt")
    run(["/usr/bin/time", "-f", "%M", "-o", report] + argv)
    with open(report) as f:
        return int(f.read().split()[-1]) / 1024


def make_input(path, seconds):
    # Moving pictures with a grain that changes every frame, as a phone or camera hands them
    # over, and stereo sound; the grain keeps the encoders as busy as real footage does.
    d = str(seconds)
    subprocess.run(
        ["ffmpeg", "-nostdin", "-v", "error", "-y",
         "-f", "lavfi", "-i", f"testsrc2=size=640x480:rate=30:duration={d},noise=alls=12:allf=t",
         "-f", "lavfi", "-i", f"sine=frequency=330:sample_rate=48000:duration={d}",
         "-f", "lavfi", "-i", f"sine=frequency=440:sample_rate=48000:duration={d}",
         "-filter_complex", "[1:a][2:a]amerge=inputs=2[a]", "-map", "0:v", "-map", "[a]",
         "-c:v", "libx264", "-preset", "veryfast", "-crf", "23", "-c:a", "aac", "-b:a", "128k",
         path], check=True)


def five_steps(tools, src, base, f):
    x264 = f["raw"] == "264"
    encode = [f"{tools}/tarv.patch4", "-af", "volnorm", "-srate", f["rate"],
              "-vf-add", f"scale={f['scale']},harddup", "-ofps", f["fps"], "-oac", "faac",
              "-faacopts", f"br={f['abr']}:mpeg=4:object=2"]
    if x264:
        encode += ["-ovc", "x264", "-ffourcc", "H264", "-x264encopts",
                   f"bitrate={f['vbr']}:level_idc=12:nocabac:bframes=0"]
    else:
        encode += ["-ovc", "xvid", "-xvidencopts", f"bitrate={f['vbr']}:max_bframes=0"]
    encode += [src, "-o", base + ".avi"]
    raw = f"{base}.{f['raw']}"
    return [
        encode,
        [f"{tools}/tarv.patch4", "-ovc", "copy", "-nosound", "-of", "rawvideo", base + ".avi",
         "-o", raw],
        [f"{tools}/tarv.patch4", "-ovc", "frameno", "-oac", "copy", "-of", "rawaudio",
         base + ".avi", "-o", base + ".aac"],
        [f"{tools}/tarv.patch5", "-c", raw, f"-rate={f['fps']}", base + ".3gp"],
        [f"{tools}/tarv.patch5", "-c", base + ".aac", base + ".3gp"],
    ]


def one_shot(src, out, f):
    x264 = f["raw"] == "264"
    w, h = f["scale"].split(":")
    vf = (f"scale={w}:{h},fps=fps={f['fps']}:start_time=0,format=yuv420p")
    af = (f"aresample={f['rate']}:async=1:first_pts=0,"
          f"aformat=sample_fmts=dblp:sample_rates={f['rate']}:channel_layouts=stereo,"
          f"{NORMALISER.format(peak=f['peak'])},"
          f"aformat=sample_fmts=fltp:sample_rates={f['rate']}:channel_layouts=stereo")
    gop = str(int(f["fps"]) * KEYFRAME_SECONDS)
    argv = ["ffmpeg", "-nostdin", "-v", "error", "-y", "-i", src, "-vf", vf, "-af", af,
            "-b:v", f["vbr"] + "k", "-bf", "0", "-g", gop]
    if x264:
        argv += ["-c:v", "libx264", "-profile:v", "baseline", "-level", "12", "-coder", "cavlc",
                 "-maxrate", f["maxrate"], "-bufsize", f["bufsize"]]
    else:
        # Our encoder gives Xvid one thread per core; so does this side.
        argv += ["-c:v", "libxvid", "-threads:v", str(os.cpu_count())]
    argv += ["-c:a", "aac", "-b:a", f["abr"] + "k", "-movflags", "+faststart", "-f", "3gp", out]
    return argv


def identify(tools, src):
    return [f"{tools}/tarv.patch3", "-identify", src, "-nosound", "-vc", "dummy", "-vo", "null",
            "-ao", "dummy"]


def clean(base, f):
    for ext in ("avi", f["raw"], "aac", "3gp"):
        if os.path.exists(f"{base}.{ext}"):
            os.remove(f"{base}.{ext}")


def bench_start(tools, src, work, runs):
    """Median seconds of the identify tool and of ffprobe on the clip, and their peaks."""
    ours = identify(tools, src)
    theirs = ["ffprobe", "-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0",
              src]
    ours_s, theirs_s = [], []
    run(ours)  # a warm-up each: the first start also reads the program from disk
    run(theirs)
    pair = [(ours, ours_s), (theirs, theirs_s)]
    for i in range(runs):
        for argv, times in (pair if i % 2 == 0 else reversed(pair)):
            times.append(run(argv)[0])
    start = statistics.median(ours_s)
    print(f"start: identify on a 1 s clip {start * 1000:.1f} ms "
          f"({peak_mib(ours, work):.1f} MiB), ffprobe reading its duration "
          f"{statistics.median(theirs_s) * 1000:.1f} ms "
          f"({peak_mib(theirs, work):.1f} MiB)", flush=True)
    return start


def tool_memory(tools, src, work):
    """The largest resident set of each tool in MiB: identify, then both families' steps."""
    peaks = {}

    def note(argv):
        tool = os.path.basename(argv[0])
        peaks[tool] = max(peaks.get(tool, 0), peak_mib(argv, work))

    note(identify(tools, src))
    one_shot_peaks = []
    for name, f in FAMILIES.items():
        base = os.path.join(work, f"{name}-memory")
        clean(base, f)
        for argv in five_steps(tools, src, base, f):
            note(argv)
        one_shot_peaks.append(
            f"{name} {peak_mib(one_shot(src, base + '-oneshot.3gp', f), work):.1f} MiB")
    print("memory on the 10 s clip: " +
          ", ".join(f"{tool} {mib:.1f} MiB" for tool, mib in sorted(peaks.items())) +
          "; the one shot " + ", ".join(one_shot_peaks), flush=True)
    return peaks


def hostile_memory(tools, work):
    """The encoder's peak on two small files made to cost memory: sound at one sample a second
    (each packet grows 22050-fold on its way to the encoder's rate) and a header claiming a
    16000x16000 picture. Both should stay near an ordinary clip's peak."""
    slow = os.path.join(work, "one-hertz.wav")
    samples = 2000
    with open(slow, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 36 + 2 * samples) + b"WAVEfmt " +
                struct.pack("<IHHIIHH", 16, 1, 1, 1, 2, 2, 16) + b"data" +
                struct.pack("<I", 2 * samples) + bytes(2 * samples))
    huge = os.path.join(work, "huge.y4m")
    with open(huge, "wb") as f:
        f.write(b"YUV4MPEG2 W16000 H16000 F25:1 C420jpeg\nFRAME\n" + bytes(5000))
    peaks = {}
    f = FAMILIES["xvid"]
    for label, src in (("1 Hz sound", slow), ("16000x16000 header", huge)):
        encode = five_steps(tools, src, os.path.join(work, "hostile"), f)[0]
        report = os.path.join(work, "peak.txt")
        subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report] + encode,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with open(report) as r:
            peaks[label] = int(r.read().split()[-1]) / 1024
    print("encoder peak on hostile inputs: " +
          ", ".join(f"{label} {mib:.1f} MiB" for label, mib in peaks.items()), flush=True)
    return peaks


def bench_family(label, name, f, tools, src, work, pairs):
    """The median ratio of the five steps' time to the one shot's."""
    ratios, ours_s, theirs_s, ours_cpu, theirs_cpu = [], [], [], [], []
    for i in range(pairs):
        def ours():
            base = os.path.join(work, f"{name}-steps")
            clean(base, f)
            total, cpu = 0.0, 0.0
            for argv in five_steps(tools, src, base, f):
                seconds, processor = run(argv)
                total += seconds
                cpu += processor
            return total, cpu

        def theirs():
            return run(one_shot(src, os.path.join(work, f"{name}-oneshot.3gp"), f))

        if i % 2 == 0:
            a, b = ours(), theirs()
        else:
            b, a = theirs(), ours()
        ours_s.append(a[0])
        theirs_s.append(b[0])
        ours_cpu.append(a[1])
        theirs_cpu.append(b[1])
        ratios.append(a[0] / b[0])
        print(f"  {label} {name} pair {i + 1}: five steps {a[0]:.2f} s ({a[1]:.2f} s "
              f"processor), one shot {b[0]:.2f} s ({b[1]:.2f} s processor), "
              f"ratio {a[0] / b[0]:.3f}", flush=True)
    ratio = statistics.median(ratios)
    print(f"{label} {name}: median ratio {ratio:.3f} (five steps "
          f"{statistics.median(ours_s):.2f} s, one shot {statistics.median(theirs_s):.2f} s; "
          f"processor time {statistics.median(ours_cpu):.2f} s against "
          f"{statistics.median(theirs_cpu):.2f} s)", flush=True)
    return ratio


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--bin", default=os.path.join(here, "..", "build", "bin"),
                        help="the program folder holding tarv.patch3/4/5")
    parser.add_argument("--pairs", type=int, default=3)
    parser.add_argument("--starts", type=int, default=21, help="identify runs for the start")
    parser.add_argument("--work", help="scratch folder, kept (default: a new temporary one)")
    parser.add_argument("--families", default="xvid,x264")
    parser.add_argument("--clips", default="10,60", help="clip lengths in seconds to convert")
    args = parser.parse_args()
    tools = os.path.abspath(args.bin)
    for n in (3, 4, 5):
        if not os.access(f"{tools}/tarv.patch{n}", os.X_OK):
            sys.exit(f"no tarv.patch{n} in {tools}: build the tools first")
    work = args.work or tempfile.mkdtemp(prefix="tarv-bench-")
    os.makedirs(work, exist_ok=True)
    lengths = [int(c) for c in args.clips.split(",")]
    try:
        clips = {}
        for seconds in sorted({1, 10, *lengths}):
            clips[seconds] = os.path.join(work, f"input-{seconds}s.mp4")
            if not os.path.exists(clips[seconds]):
                print(f"making a {seconds} s 640x480 30 fps input ...", flush=True)
                make_input(clips[seconds], seconds)

        start = bench_start(tools, clips[1], work, args.starts)
        peaks = tool_memory(tools, clips[10], work)
        hostile = hostile_memory(tools, work)
        ratios = {}
        for seconds in lengths:
            for name in args.families.split(","):
                ratios[f"{seconds} s {name}"] = bench_family(
                    f"{seconds} s", name, FAMILIES[name], tools, clips[seconds], work,
                    args.pairs)

        print("\nsummary (targets in brackets)")
        print(f"  identify start      {start * 1000:6.1f} ms   (<= 15 ms)")
        for tool, mib in sorted(peaks.items()):
            print(f"  {tool} peak    {mib:6.1f} MiB  (<= 20 MiB)")
        for label, mib in hostile.items():
            print(f"  encoder on {label:<18} {mib:6.1f} MiB  (<= 100 MiB)")
        for label, ratio in ratios.items():
            print(f"  {label:<12} {ratio:10.3f} x the one shot (<= 1.0)")
    finally:
        if not args.work:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
