#!/usr/bin/env python3
"""Times the five conversion steps through our tools against one ffmpeg command that does
the same encode straight to 3GPP with the same encoder settings, and the identify tool against
ffprobe reading a duration.

    python3 bench/tools_bench.py [--bin build/bin] [--pairs 3] [--work DIR]

Every figure is the median of paired runs (the order inside a pair alternates, so neither
side always gets the warmer cache). Besides the wall-clock time, each side's processor time
(user and system, all threads) is shown: on a machine shared with other work it varies less.
Peak memory is the largest resident set of one process: for the five steps, the largest of
the five tools.
"""
import argparse
import os
import shutil
import statistics
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
    """Runs argv; returns (seconds, processor seconds, peak resident KiB); raises on failure."""
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
    return elapsed, usage.ru_utime + usage.ru_stime, usage.ru_maxrss


def make_input(path):
    # A minute of moving pictures and stereo sound, as a phone or camera would hand over.
    subprocess.run(
        ["ffmpeg", "-nostdin", "-v", "error", "-y",
         "-f", "lavfi", "-i", "testsrc2=size=640x480:rate=30:duration=60",
         "-f", "lavfi", "-i", "sine=frequency=330:sample_rate=48000:duration=60",
         "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000:duration=60",
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


def bench_family(name, f, tools, src, work, pairs):
    ratios, ours_s, theirs_s, ours_mem, theirs_mem = [], [], [], [], []
    ours_cpu, theirs_cpu = [], []
    for i in range(pairs):
        def ours():
            base = os.path.join(work, f"{name}-steps")
            for ext in ("avi", f["raw"], "aac", "3gp"):
                if os.path.exists(f"{base}.{ext}"):
                    os.remove(f"{base}.{ext}")
            total, cpu, peak = 0.0, 0.0, 0
            for argv in five_steps(tools, src, base, f):
                seconds, processor, kib = run(argv)
                total += seconds
                cpu += processor
                peak = max(peak, kib)
            return total, cpu, peak

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
        ours_mem.append(a[2])
        theirs_mem.append(b[2])
        ratios.append(a[0] / b[0])
        print(f"  {name} pair {i + 1}: five steps {a[0]:.2f} s ({a[1]:.2f} s processor), "
              f"one shot {b[0]:.2f} s ({b[1]:.2f} s processor), ratio {a[0] / b[0]:.3f}",
              flush=True)
    print(f"{name}: median ratio {statistics.median(ratios):.3f} "
          f"(five steps {statistics.median(ours_s):.2f} s, one shot "
          f"{statistics.median(theirs_s):.2f} s); processor time: five steps "
          f"{statistics.median(ours_cpu):.2f} s, one shot {statistics.median(theirs_cpu):.2f} s; "
          f"peak memory: encoder {statistics.median(ours_mem) / 1024:.1f} MiB, one shot "
          f"{statistics.median(theirs_mem) / 1024:.1f} MiB", flush=True)


def bench_identify(tools, src, runs=21):
    ours, theirs = [], []
    for i in range(runs):
        pair = [
            lambda: ours.append(run([f"{tools}/tarv.patch3", "-identify", src, "-nosound",
                                     "-vc", "dummy", "-vo", "null", "-ao", "dummy"])[0]),
            lambda: theirs.append(run(["ffprobe", "-v", "error", "-show_entries",
                                       "format=duration", "-of", "csv=p=0", src])[0]),
        ]
        for step in (pair if i % 2 == 0 else reversed(pair)):
            step()
    print(f"identify: median {statistics.median(ours) * 1000:.1f} ms, ffprobe reading the "
          f"duration {statistics.median(theirs) * 1000:.1f} ms", flush=True)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--bin", default=os.path.join(here, "..", "build", "bin"),
                        help="the program folder holding tarv.patch3/4/5")
    parser.add_argument("--pairs", type=int, default=3)
    parser.add_argument("--work", help="scratch folder (default: a new temporary one)")
    parser.add_argument("--families", default="xvid,x264")
    args = parser.parse_args()
    tools = os.path.abspath(args.bin)
    for n in (3, 4, 5):
        if not os.access(f"{tools}/tarv.patch{n}", os.X_OK):
            sys.exit(f"no tarv.patch{n} in {tools}: build the tools first")
    work = args.work or tempfile.mkdtemp(prefix="tarv-bench-")
    os.makedirs(work, exist_ok=True)
    try:
        src = os.path.join(work, "input.mp4")
        if not os.path.exists(src):
            print("making a 60 s 640x480 30 fps input ...", flush=True)
            make_input(src)
        bench_identify(tools, src)
        for name in args.families.split(","):
            bench_family(name, FAMILIES[name], tools, src, work, args.pairs)
    finally:
        if not args.work:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
