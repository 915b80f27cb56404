#!/usr/bin/env python3
"""Times a batch of eight files through tarv-convert one at a time (--jobs 1) and one per
processor core (--jobs 0), and reports files per minute, the speed-up and how busy the
processors were.

    python3 bench/batch_bench.py [--bin build/bin] [--runs 3] [--files 8] [--work DIR]

Each clip is 20 seconds of 640x480 moving pictures at 30 fps with stereo sound, converted with
the program's start selections (Xvid, 176x144). Every figure is the median of the runs; the
runs of the two settings alternate, so neither always gets the warmer cache. "Busy" is the
processor time of tarv-convert and its tools (user and system, all threads) over the wall
time and the number of cores: 100 % means every core worked all the time.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


def make_clip(path):
    subprocess.run(
        ["ffmpeg", "-nostdin", "-v", "error", "-y",
         "-f", "lavfi", "-i", "testsrc2=size=640x480:rate=30:duration=20",
         "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000:duration=20",
         "-ac", "2", "-c:v", "mpeg4", "-q:v", "4", "-c:a", "aac", "-b:a", "128k",
         "-shortest", path],
        check=True)


def convert(binary, jobs, clips, output):
    """One batch; returns (wall seconds, processor seconds of the command and its tools)."""
    shutil.rmtree(output, ignore_errors=True)
    before = os.times()
    start = time.monotonic()
    done = subprocess.run([binary, "--jobs", str(jobs), "-o", output] + clips,
                          stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE)
    wall = time.monotonic() - start
    after = os.times()
    if done.returncode != 0:
        raise RuntimeError(f"tarv-convert --jobs {jobs} failed ({done.returncode}): "
                           f"{done.stderr.decode(errors='replace')[-400:]}")
    made = [name for name in os.listdir(output) if name.endswith(".3gp")]
    if len(made) != len(clips):
        raise RuntimeError(f"--jobs {jobs} made {len(made)} files of {len(clips)}")
    cpu = (after.children_user - before.children_user) + (after.children_system -
                                                          before.children_system)
    return wall, cpu


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", default="build/bin", help="the program folder")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--files", type=int, default=8)
    parser.add_argument("--work", help="where the clips go (default: a temporary folder)")
    args = parser.parse_args()

    binary = os.path.join(os.path.abspath(args.bin), "tarv-convert")
    if not os.access(binary, os.X_OK):
        sys.exit(f"no tarv-convert in {args.bin}")
    cores = os.cpu_count() or 1
    work = args.work or tempfile.mkdtemp(prefix="tarv-batch-bench-")
    os.makedirs(work, exist_ok=True)
    try:
        clips = []
        for i in range(args.files):
            clip = os.path.join(work, f"clip{i}.mp4")
            if not os.path.exists(clip):
                make_clip(clip)
            clips.append(clip)
        output = os.path.join(work, "out")

        results = {1: [], 0: []}
        for run in range(args.runs):
            for jobs in ((1, 0) if run % 2 == 0 else (0, 1)):
                results[jobs].append(convert(binary, jobs, clips, output))
                wall, cpu = results[jobs][-1]
                print(f"run {run + 1} --jobs {jobs}: {wall:6.1f} s, {cpu:6.1f} s of processor",
                      file=sys.stderr)

        print(f"{args.files} clips of 20 s, 640x480 at 30 fps, to Xvid 176x144; "
              f"{cores} cores; median of {args.runs} runs")
        rates = {}
        for jobs, label in ((1, "--jobs 1"), (0, f"--jobs 0 ({cores})")):
            wall = statistics.median(w for w, _ in results[jobs])
            cpu = statistics.median(c for _, c in results[jobs])
            rates[jobs] = args.files / wall * 60
            busy = cpu / wall / cores * 100
            print(f"  {label:14} {wall:6.1f} s  {rates[jobs]:5.1f} files/min  "
                  f"processors {busy:3.0f} % busy")
        print(f"  speed-up       {rates[0] / rates[1]:.2f}x")
    finally:
        if not args.work:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
