#!/usr/bin/env python3
"""Counts how many damaged copies of four videos tarv-convert converts, against one ffmpeg
command with the same settings, and how long each side takes and how long its results play.

    python3 bench/damage_bench.py [--bin build/bin] [--before OTHER/bin] [--seeds 12]
                                  [--first-seed 0] [--seconds 15] [--work DIR] [--keep]

The four sources are made with the ffmpeg command: AVI with Xvid video and MP3 sound, MP4 with
H.264 and AAC, FLV with Sorenson Spark and MP3, and an MPEG-2 program stream with MP2 sound.
Each is copied `--seeds` times at each of two damage rates (0.05 % and 0.4 % of its bytes
replaced by others, each copy from its own fixed seed), 96 copies with the defaults. Every copy
goes through tarv-convert with its start selections (Xvid, 176x144, 10 fps, AAC 32 kbit/s at
22050 Hz) and through the ffmpeg command that does the same encode straight to 3GPP; with
`--before`, also through an older build, so one run gives both counts.

A copy counts as converted when the command exits with success and its file holds a video
track and a sound track with at least one packet each. For each side the table gives how
many copies it converted, the median and smallest ratio of the result's length to the
source's, the largest gap between the ends of its two tracks, and the longest run as a
multiple of the source's length.
"""
import argparse
import json
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from tools_bench import FAMILIES, one_shot  # noqa: E402

RATES = (0.0005, 0.004)
# A run that takes longer than this many times the source's length has hung.
HANG_FACTOR = 8


def sources(seconds):
    """name -> (file name, ffmpeg arguments after the lavfi inputs)."""
    return {
        "avi-xvid": ("clip.avi", ["-c:v", "libxvid", "-b:v", "900k", "-g", "250",
                                  "-c:a", "libmp3lame", "-b:a", "128k", "-ar", "44100"]),
        "mp4-h264": ("clip.mp4", ["-c:v", "libx264", "-preset", "veryfast", "-crf", "24",
                                  "-c:a", "aac", "-b:a", "128k", "-ar", "48000"]),
        "flv": ("clip.flv", ["-s", "320x240", "-c:v", "flv", "-b:v", "500k",
                             "-c:a", "libmp3lame", "-b:a", "96k", "-ar", "44100"]),
        "mpeg2-ps": ("clip.mpg", ["-s", "720x576", "-c:v", "mpeg2video", "-b:v", "4000k",
                                  "-c:a", "mp2", "-b:a", "192k", "-ar", "48000", "-f", "vob"]),
    }


def make_source(path, extra, seconds):
    # Moving pictures with grain, so the encoders spend bits as on camera footage, and stereo
    # sound with a different tone on each side.
    subprocess.run(
        ["ffmpeg", "-nostdin", "-v", "error", "-y",
         "-f", "lavfi", "-i", f"testsrc2=size=640x480:rate=25:duration={seconds}",
         "-f", "lavfi", "-i", f"sine=frequency=330:sample_rate=48000:duration={seconds}",
         "-f", "lavfi", "-i", f"sine=frequency=440:sample_rate=48000:duration={seconds}",
         "-filter_complex", "[0:v]noise=alls=12:allf=t[v];[1:a][2:a]amerge=inputs=2[a]",
         "-map", "[v]", "-map", "[a]"] + extra + [path], check=True)


def damage(source, target, rate, seed):
    """Copies source to target with round(size * rate) bytes, at places the seed picks,
    replaced by other values."""
    data = bytearray(open(source, "rb").read())
    rng = random.Random(seed)
    count = max(1, round(len(data) * rate))
    for at in rng.sample(range(len(data)), count):
        data[at] ^= rng.randrange(1, 256)
    with open(target, "wb") as out:
        out.write(data)


def probe(path):
    """(video packets, audio packets, video end, audio end) of a file; zeros when unreadable."""
    if not os.path.exists(path) or os.path.getsize(path) == 0:
        return 0, 0, 0.0, 0.0
    done = subprocess.run(
        ["ffprobe", "-v", "error", "-count_packets", "-show_entries",
         "stream=codec_type,nb_read_packets,duration", "-of", "json", path],
        capture_output=True, text=True)
    try:
        streams = json.loads(done.stdout).get("streams", [])
    except ValueError:
        return 0, 0, 0.0, 0.0
    found = {"video": (0, 0.0), "audio": (0, 0.0)}
    for s in streams:
        kind = s.get("codec_type")
        if kind in found:
            found[kind] = (int(s.get("nb_read_packets", 0) or 0),
                           float(s.get("duration", 0) or 0))
    return found["video"][0], found["audio"][0], found["video"][1], found["audio"][1]


def run(argv, limit):
    """(exit status, seconds, output text); status None when the run was killed as hung."""
    start = time.monotonic()
    try:
        done = subprocess.run(argv, stdin=subprocess.DEVNULL, capture_output=True,
                              timeout=limit)
        status = done.returncode
        text = (done.stdout + done.stderr).decode(errors="replace")
    except subprocess.TimeoutExpired as expired:
        status = None
        text = ((expired.stdout or b"") + (expired.stderr or b"")).decode(errors="replace")
    return status, time.monotonic() - start, text


class Side:
    def __init__(self, name):
        self.name = name
        self.converted = 0
        self.hung = 0
        self.lengths = []   # result length / source length, of converted copies
        self.gaps = []      # |video end - audio end|, seconds
        self.times = []     # run time / source length
        self.biggest = 0    # largest result, bytes
        self.failures = {}  # message -> count
        self.by_source = {}

    def add(self, source, status, seconds, length, out, last_line):
        self.times.append(seconds / length)
        if status is None:
            self.hung += 1
        vpk, apk, vend, aend = probe(out)
        ok = status == 0 and vpk > 0 and apk > 0
        if ok:
            self.converted += 1
            self.by_source[source] = self.by_source.get(source, 0) + 1
            self.lengths.append(max(vend, aend) / length)
            self.gaps.append(abs(vend - aend))
        else:
            key = last_line or f"exit {status}"
            self.failures[key] = self.failures.get(key, 0) + 1
        if os.path.exists(out):
            self.biggest = max(self.biggest, os.path.getsize(out))
        return ok

    def row(self, total):
        med = statistics.median(self.lengths) if self.lengths else 0
        low = min(self.lengths) if self.lengths else 0
        gap = max(self.gaps) if self.gaps else 0
        return (f"{self.name:<14} {self.converted:>3}/{total:<3} length median {med:5.2f} "
                f"least {low:5.2f}  A/V gap at most {gap:5.2f} s  longest run "
                f"{max(self.times):5.2f}x  hung {self.hung}  largest {self.biggest / 1e6:.1f} MB")


def last_line(text):
    lines = [l.strip() for l in text.replace("\r", "\n").split("\n") if l.strip()]
    return lines[-1][:160] if lines else ""


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--bin", default=os.path.join(here, "..", "build", "bin"),
                        help="the program folder holding tarv-convert and its tools")
    parser.add_argument("--before", help="an older program folder to count as well")
    parser.add_argument("--seeds", type=int, default=12, help="copies per source and rate")
    parser.add_argument("--first-seed", type=int, default=0,
                        help="the first copy's seed, so a run can use fresh damage")
    parser.add_argument("--seconds", type=int, default=15, help="length of each source")
    parser.add_argument("--work", help="scratch folder (default: a new temporary one)")
    parser.add_argument("--keep", action="store_true", help="keep the scratch folder")
    parser.add_argument("--verbose", action="store_true", help="a line per copy and side")
    args = parser.parse_args()

    programs = [("tarv-convert", os.path.abspath(args.bin))]
    if args.before:
        programs.insert(0, ("before", os.path.abspath(args.before)))
    for _, folder in programs:
        if not os.access(os.path.join(folder, "tarv-convert"), os.X_OK):
            sys.exit(f"no tarv-convert in {folder}: build it first")
    work = args.work or tempfile.mkdtemp(prefix="tarv-damage-")
    os.makedirs(work, exist_ok=True)
    family = FAMILIES["xvid"]  # what tarv-convert's start selections give
    sides = {name: Side(name) for name, _ in programs}
    sides["ffmpeg"] = Side("ffmpeg")
    total = 0
    try:
        for source, (file_name, extra) in sources(args.seconds).items():
            clean = os.path.join(work, source + "-" + file_name)
            if not os.path.exists(clean):
                print(f"making {source} ...", flush=True)
                make_source(clean, extra, args.seconds)
            for rate in RATES:
                for seed in range(args.first_seed, args.first_seed + args.seeds):
                    stem = f"{source}-{rate * 100:g}pc-{seed:02d}"
                    copy = os.path.join(work, stem + os.path.splitext(file_name)[1])
                    damage(clean, copy, rate, f"{source}/{rate}/{seed}")
                    total += 1
                    limit = args.seconds * HANG_FACTOR
                    for name, folder in programs:
                        out_dir = os.path.join(work, "out-" + name)
                        shutil.rmtree(out_dir, ignore_errors=True)
                        status, took, text = run(
                            [os.path.join(folder, "tarv-convert"), "-o", out_dir, copy], limit)
                        out = os.path.join(out_dir, stem + ".3gp")
                        ok = sides[name].add(source, status, took, args.seconds, out,
                                             "" if status == 0 else last_line(text))
                        if args.verbose:
                            note = [l for l in text.splitlines() if "damaged frame" in l]
                            print(f"  {stem} {name}: {'ok' if ok else 'FAILED'} {took:.1f} s "
                                  f"{note[0] if note else last_line(text) if not ok else ''}",
                                  flush=True)
                    out = os.path.join(work, stem + "-oneshot.3gp")
                    status, took, text = run(one_shot(copy, out, family), limit)
                    ok = sides["ffmpeg"].add(source, status, took, args.seconds, out,
                                             "" if status == 0 else last_line(text))
                    if args.verbose:
                        print(f"  {stem} ffmpeg: {'ok' if ok else 'FAILED'} {took:.1f} s",
                              flush=True)
                    if os.path.exists(out):
                        os.remove(out)
                    os.remove(copy)
        print(f"\n{total} damaged copies ({args.seeds} per source and rate; rates "
              f"{', '.join(f'{r * 100:g} %' for r in RATES)})")
        for side in sides.values():
            print(side.row(total))
            print("    by source: " + ", ".join(f"{k} {v}" for k, v in
                                                sorted(side.by_source.items())))
            for message, count in sorted(side.failures.items(), key=lambda kv: -kv[1]):
                print(f"    {count:3d} x {message}")
    finally:
        if not args.work and not args.keep:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
