#!/usr/bin/env bash
# Tests the Windows build under Wine, as root on Debian 12: builds it first (scripts/build-
# windows.sh, quick when nothing changed), then
#   1. the Windows unit tests of the engine and the tools, and tarv-convert.exe converting a clip
#      in both formats checked by ffprobe, all through CTest with Wine as its emulator;
#   2. the installer, run silently: the program folder, the Start menu entry, the associations;
#   3. the installed program's window under Xvfb: a second start hands two files over to the
#      first, Convert turns both into 3GPP files, the screenshot is
#      build-windows/window-under-wine.png, and closing keeps the output folder in the registry.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
started=$(date +%s)
say() { echo "test-windows: $*" >&2; }
fail() {
  echo "test-windows: FAILED: $*" >&2
  exit 1
}

bash scripts/build-windows.sh --jobs "$jobs"

out=$PWD/build-windows
cross=$out/cross
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$cross/CMakeCache.txt")
name=TarvMediaConverter-$version-win64
title="TarvSoft Video to 3GP Converter"

# A Wine of our own for every run, so nothing of an earlier run or of the user's Wine counts.
export WINEPREFIX=$out/wine WINEARCH=win64 WINEDEBUG=-all
# No menu entries on this machine, and no offer to fetch Mono or Gecko.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml="
rm -rf "$WINEPREFIX"
work=$(mktemp -d)

display=99
while [ -e "/tmp/.X$display-lock" ]; do
  display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp > /dev/null 2>&1 &
xvfb=$!
cleanup() {
  wineserver -k 2> /dev/null || true
  kill "$xvfb" 2> /dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=:$display

say "preparing Wine"
wineboot -i > /dev/null 2>&1
wineserver -w

say "1. unit tests and tarv-convert.exe under Wine"
ctest --test-dir "$cross" --output-on-failure -j "$jobs"

say "2. the installer"
wine "$out/$name-setup.exe" /S
wineserver -w
installed="$WINEPREFIX/drive_c/Program Files/TarvMediaConverter"
for file in TarvMediaConverter.exe tarv-convert.exe tarv.patch3 tarv.patch4 tarv.patch5 logo.bmp \
  3gphelp.html Uninstall.exe locale/de/LC_MESSAGES/tarvmediaconverter.mo; do
  [ -f "$installed/$file" ] || fail "the installer left no $file"
done
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/$title"
[ -f "$menu/$title.lnk" ] || fail "no Start menu entry"
wine reg query 'HKLM\Software\Classes\.avi\OpenWithProgids' 2> /dev/null |
  grep -q TarvMediaConverter.Video || fail "no association for .avi"
wine reg query 'HKLM\Software\Classes\TarvMediaConverter.Video\shell\open\command' 2> /dev/null |
  grep -q 'TarvMediaConverter.exe' || fail "no open command for the associated types"

say "3. the window"
ffmpeg -loglevel error -f lavfi -i testsrc=size=320x240:rate=25:duration=4 \
  -f lavfi -i sine=frequency=440:duration=4 -c:v libx264 -pix_fmt yuv420p -c:a aac -shortest \
  "$work/first clip.mp4"
ffmpeg -loglevel error -f lavfi -i smptebars=size=352x288:rate=25:duration=3 \
  -f lavfi -i sine=frequency=660:duration=3 -c:v mpeg4 -c:a mp3 -shortest \
  "$work/second clip ü.avi"
mkdir -p "$work/phone"
folder_value="$(winepath -w "$work/phone")\\"
key="HKCU\\Software\\TarvMediaConverter\\$title\\OutputFolder"
wine reg add "$key" /ve /d "$folder_value" /f > /dev/null 2>&1

program="C:\\Program Files\\TarvMediaConverter\\TarvMediaConverter.exe"
wine "$program" > "$work/first.log" 2>&1 &
first=$!
window=$(timeout 120 xdotool search --sync --onlyvisible --name "^$title\$" | head -n 1) ||
  fail "the window did not open"
sleep 3
# A second start hands its files over and ends by itself.
timeout 60 wine "$program" "$(winepath -w "$work/first clip.mp4")" \
  "$(winepath -w "$work/second clip ü.avi")" || fail "the second start did not end"
kill -0 "$first" 2> /dev/null || fail "the first copy ended"
sleep 3
import -window root "$out/window-before-convert.png"

# Action > Convert, by keyboard: the menu bar, its second menu, its first item.
xdotool windowactivate --sync "$window" 2> /dev/null || true
xdotool key --window "$window" F10 Right Down Return
for _ in $(seq 1 240); do
  count=$(find "$work/phone" -name '*.3gp' | wc -l)
  others=$(find "$work/phone" -type f ! -name '*.3gp' | wc -l)
  if [ "$count" -eq 2 ] && [ "$others" -eq 0 ]; then
    break
  fi
  sleep 1
done
[ "$count" -eq 2 ] || fail "the window made $count 3GPP files"
sleep 3
import -window root "$out/window-under-wine.png"
for result in "$work/phone/first clip.3gp" "$work/phone/second clip ü.3gp"; do
  streams=$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$result" | sort |
    tr '\n' ' ')
  [ "$streams" = "aac mpeg4 " ] || fail "$result holds $streams"
done

# Closing keeps the output folder under the key the program reads first.
wine reg delete "$key" /ve /f > /dev/null 2>&1
xdotool key --window "$window" alt+F4
for _ in $(seq 1 60); do
  kill -0 "$first" 2> /dev/null || break
  sleep 1
done
kill -0 "$first" 2> /dev/null && fail "the window did not close"
wine reg query "$key" /ve 2> /dev/null | grep -qF "$folder_value" ||
  fail "closing did not keep the output folder"

elapsed=$(($(date +%s) - started))
say "all passed in $((elapsed / 60)) min $((elapsed % 60)) s; the window: $out/window-under-wine.png"
