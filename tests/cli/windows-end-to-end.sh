#!/usr/bin/env bash
# tarv-convert.exe converts a real clip in both formats under the Windows emulator, from and to
# folders whose names need quoting and hold letters beyond any code page; the build machine's
# ffprobe then checks what came out.
#
#   windows-end-to-end.sh TARV_CONVERT_EXE EMULATOR FFMPEG FFPROBE
set -euo pipefail
converter=$1 wine=$2 ffmpeg=$3 ffprobe=$4

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAILED: $*" >&2
  exit 1
}

# Spaces and apostrophes, but no double quotes: Windows allows none in a name, and Wine refuses
# such a path as Windows would.
source_dir="$work/my 'clips' ünï 名前"
mkdir -p "$source_dir"
clip="$source_dir/clip one.mp4"
"$ffmpeg" -loglevel error -f lavfi -i testsrc=size=320x240:rate=25:duration=3 \
  -f lavfi -i sine=frequency=440:duration=3 -c:v libx264 -pix_fmt yuv420p -c:a aac -shortest \
  "$clip"

windows_path() {
  "$(dirname "$(command -v "$wine")")/winepath" -w "$1" 2> /dev/null
}

check() {
  local format=$1 codec=$2
  mkdir -p "$work/out $format ü"
  local started=$SECONDS status=0
  local log="$work/log-$format"
  # The folder is given with its trailing backslash, the way a Windows user types it.
  "$wine" "$converter" --format "$format" -o "$(windows_path "$work/out $format ü")\\" \
    "$(windows_path "$clip")" > "$log" 2>&1 || status=$?
  cat "$log"
  [ "$status" -eq 0 ] || fail "format $format: tarv-convert ended with status $status"
  local result="$work/out $format ü/clip one.3gp"
  [ -s "$result" ] || fail "format $format: no $result"
  local streams
  streams=$("$ffprobe" -v error -show_entries stream=codec_name -of csv=p=0 "$result" | sort | tr '\n' ' ')
  [ "$streams" = "$(printf '%s\n' aac "$codec" | sort | tr '\n' ' ')" ] ||
    fail "format $format: streams are '$streams'"
  local duration
  duration=$("$ffprobe" -v error -show_entries format=duration -of csv=p=0 "$result")
  awk -v d="$duration" 'BEGIN { exit !(d > 2.5 && d < 3.5) }' ||
    fail "format $format: lasts $duration s"
  # Only the result stays: no intermediates, no staged or claim files.
  local left
  left=$(ls -A "$work/out $format ü")
  [ "$left" = "clip one.3gp" ] || fail "format $format: the folder holds: $left"
  echo "format $format: $codec and aac, $duration s, in $((SECONDS - started)) s"
}

check 0 mpeg4
check 1 h264
echo "both formats converted"
