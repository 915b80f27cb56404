#!/usr/bin/env python3
"""Converts clips of 10, 30 and 60 seconds, of high and low motion, under the 300 KB and 1 MB
size limits in both formats, and checks that every file ends between 90 % and 100 % of its
limit.

    python3 bench/size_bench.py [--bin build/bin] [--work DIR] [--lengths 10,30,60]

High motion is moving test pictures under fresh noise with music-like sound; low motion is
slowly turning gradients with a voice that pauses, which costs the AAC encoder well under its
bitrate. Every clip is converted at the highest bitrates, so without the limit it would be
larger than the limit: at 300 KB in the format's picture size and rate (176x144), at 1 MB in
320x240 at 25 fps. Prints one line per file (size, share of the limit, bitrates chosen,
seconds taken) and exits with 1 when any file misses the range.
"""
import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

LIMITS = {"300K": 300 * 1024, "1M": 1024 * 1024}
VOICE = ("aevalsrc='0.2*(sin(2*PI*130*t)+0.6*sin(2*PI*260*t)+0.45*sin(2*PI*390*t)+"
         "0.35*sin(2*PI*520*t)+0.25*sin(2*PI*780*t)+0.1*sin(2*PI*2340*t)+"
         "0.08*(random(0)-0.5))*pow(abs(sin(2*PI*3.1*t)),3)*gt(sin(2*PI*0.37*t)+0.5,0)'"
         ":s=44100,aformat=channel_layouts=stereo")
CHORD = ("0.06*(sin(2*PI*220*t)+sin(2*PI*277.18*t)+sin(2*PI*329.63*t)+0.5*sin(2*PI*440*t))+"
         "0.17*sin(2*PI*55*t)*exp(-6*mod(t,0.5))")
MUSIC = (f"aevalsrc='{CHORD}+0.06*(random(0)-0.5)*exp(-25*mod(t+0.25,0.5))|"
         f"{CHORD}+0.06*(random(1)-0.5)*exp(-25*mod(t+0.25,0.5))':s=44100")
MOTION = {
    "high": ("testsrc2=size=320x240:rate=25,noise=alls=10:allf=t", MUSIC),
    "low": ("gradients=size=320x240:rate=25:speed=0.005,noise=alls=3:allf=t", VOICE),
}
# Per limit: the options besides the format. The highest bitrates, so every file would be
# larger than its limit without it; 1 MB gets pictures large enough to take them.
HIGHEST = ["--video-quality", "10", "--audio-quality", "8"]
SETTINGS = {
    "300K": HIGHEST,
    "1M": HIGHEST + ["--resolution", "10", "--framerate", "5"],
}


def make_clip(path, motion, seconds):
    video, sound = MOTION[motion]
    subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i", video,
                    "-f", "lavfi", "-i", sound, "-t", str(seconds), "-c:v", "mpeg4", "-q:v", "3",
                    "-c:a", "aac", "-b:a", "192k", path], check=True)


def convert(binary, clip, fmt, limit, output):
    shutil.rmtree(output, ignore_errors=True)
    start = time.monotonic()
    done = subprocess.run([binary, "--progress=json", "--format", str(fmt), "--max-size", limit]
                          + SETTINGS[limit] + ["-o", output, clip],
                          stdin=subprocess.DEVNULL, capture_output=True, text=True)
    took = time.monotonic() - start
    records = [json.loads(line) for line in done.stdout.splitlines() if line.startswith("{")]
    probed = next((r for r in records if r["event"] == "probed"), {})
    end = next((r for r in records if r["event"] == "end"), {})
    if done.returncode != 0 or end.get("status") != "done":
        raise RuntimeError(f"{clip} format {fmt} at {limit}: {end.get('reason', done.stderr)}")
    made = [name for name in os.listdir(output) if name.endswith(".3gp")]
    return os.path.getsize(os.path.join(output, made[0])), probed, took


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", default="build/bin", help="the program folder")
    parser.add_argument("--work", help="where the clips go (default: a temporary folder)")
    parser.add_argument("--lengths", default="10,30,60", help="clip lengths in seconds")
    args = parser.parse_args()
    binary = os.path.join(os.path.abspath(args.bin), "tarv-convert")
    work = args.work or tempfile.mkdtemp(prefix="tarv-size-bench-")
    os.makedirs(work, exist_ok=True)
    missed = 0
    print(f"{'clip':>9} {'fmt':>3} {'limit':>5} {'bytes':>8} {'share':>6}  "
          f"{'video':>5} {'audio':>5} {'rate':>5}  seconds")
    try:
        for seconds in (int(s) for s in args.lengths.split(",")):
            for motion in MOTION:
                clip = os.path.join(work, f"{motion}{seconds}.mp4")
                if not os.path.exists(clip):
                    make_clip(clip, motion, seconds)
                for limit, limit_bytes in LIMITS.items():
                    for fmt in (0, 1):
                        size, probed, took = convert(binary, clip, fmt, limit,
                                                     os.path.join(work, "out"))
                        share = size / limit_bytes
                        ok = 0.9 <= share <= 1.0
                        missed += not ok
                        print(f"{motion}{seconds:>4}s {fmt:>3} {limit:>5} {size:>8} "
                              f"{share:>6.1%}  {probed.get('video_kbps')!s:>5} "
                              f"{probed.get('audio_kbps')!s:>5} {probed.get('sample_rate')!s:>5}  "
                              f"{took:6.1f}{'' if ok else '  MISSED'}", flush=True)
    finally:
        if not args.work:
            shutil.rmtree(work, ignore_errors=True)
    print(f"{missed} of the files missed 90 % to 100 % of their limit." if missed else
          "Every file ended between 90 % and 100 % of its limit.")
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
