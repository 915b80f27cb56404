#!/usr/bin/env bash
# Builds the program for 64-bit Windows on this Debian machine, as root on Debian 12: installs
# what it needs, builds the libraries once into the cache (scripts/build-windows-libs.sh), cross-
# builds the program, its tools, tarv-convert and the Windows unit tests, and leaves in
# build-windows/:
#
#   TarvMediaConverter-<version>-win64-setup.exe   the installer
#   TarvMediaConverter-<version>-win64.zip         the program folder, to run from anywhere
#
#   build-windows.sh [--jobs N]
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
while [ $# -gt 0 ]; do
  case $1 in
    --jobs) jobs=$2; shift ;;
    *) echo "usage: $0 [--jobs N]" >&2; exit 2 ;;
  esac
  shift
done

started=$(date +%s)
say() { echo "build-windows: $*" >&2; }

bash scripts/setup-deps.sh
bash scripts/setup-windows-deps.sh

say "libraries (built once, then taken from the cache)"
declare -A prefix
while read -r name folder; do
  prefix[$name]=$folder
done < <(bash scripts/build-windows-libs.sh --jobs "$jobs")

out=$PWD/build-windows
mkdir -p "$out"

# The header-only libraries tarv-convert uses, Debian's own, where the cross build may look.
headers=$out/host-headers
rm -rf "$headers"
mkdir -p "$headers/include" "$headers/share/cmake"
cp -r /usr/include/CLI /usr/include/nlohmann "$headers/include/"
cp -r /usr/share/cmake/CLI11 /usr/share/cmake/nlohmann_json "$headers/share/cmake/"

# The pictures are drawn at build time by a program of the build; a cross build runs the build
# machine's own copy of it.
say "the artwork renderer for this machine"
cmake -S . -B "$out/host" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARV_SYSTEM_FFMPEG=ON \
  > "$out/host-configure.log" 2>&1 || { cat "$out/host-configure.log" >&2; exit 1; }
cmake --build "$out/host" -j "$jobs" --target tarv_render_artwork

say "the program for Windows"
# The folders of wxWidgets and FFmpeg are roots too: CMake looks up the libraries wx-config and
# pkg-config name with find_library, which looks under the roots only.
cross=$out/cross
cmake -S . -B "$cross" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/MinGW64Toolchain.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_FIND_ROOT_PATH="${prefix[googletest]};${prefix[wxwidgets]};${prefix[ffmpeg]};$headers" \
  -DTARV_WINDOWS_PKG_CONFIG_PATH="${prefix[ffmpeg]}/lib/pkgconfig" \
  -DwxWidgets_CONFIG_EXECUTABLE="${prefix[wxwidgets]}/bin/wx-config" \
  -DTARV_HOST_RENDER_ARTWORK="$out/host/resources/tarv_render_artwork" \
  -DTARV_SYSTEM_FFMPEG=ON
cmake --build "$cross" -j "$jobs"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$cross/CMakeCache.txt")
name=TarvMediaConverter-$version-win64

say "the program folder"
folder=$out/$name
rm -rf "$folder"
mkdir -p "$folder"
# What ships: the program, its tools, tarv-convert, the logo, the help and the translations
# (locale/, which the window reads with wxWidgets; tarv-convert speaks English on Windows); not
# the shell wrapper for many machines, which needs a POSIX shell.
(cd "$cross/bin" && cp -r TarvMediaConverter.exe tarv-convert.exe tarv.patch3 tarv.patch4 \
  tarv.patch5 logo.bmp 3gphelp.html help locale "$folder/")
for program in TarvMediaConverter.exe tarv-convert.exe tarv.patch3 tarv.patch4 tarv.patch5; do
  x86_64-w64-mingw32-strip --strip-unneeded "$folder/$program"
done

rm -f "$out/$name.zip"
(cd "$out" && zip -qr "$name.zip" "$name")

say "the installer"
makensis -V2 -DVERSION="$version" -DPROGRAM_DIR="$folder" -DICON="$cross/windows-icon.ico" \
  -DOUTFILE="$out/$name-setup.exe" packaging/windows/TarvMediaConverter.nsi

elapsed=$(($(date +%s) - started))
say "done in $((elapsed / 60)) min $((elapsed % 60)) s:"
ls -l "$out/$name-setup.exe" "$out/$name.zip" >&2
