#!/usr/bin/env bash
# Builds the libraries the Windows build links, for 64-bit Windows with Debian's MinGW-w64 (the
# POSIX-thread variant), each from Debian's own source package, static, once per machine into
# the cache (scripts/debian-source.sh says where), so every build folder and every later
# checkout reuses them:
#
#   zlib, libpng1.6      for wxWidgets' PNG support (Debian's wxWidgets leaves both out)
#   wxwidgets3.2         wxMSW, without the parts the program does not use (XML, HTML, ...)
#   x264, xvidcore, dav1d, ffmpeg
#                        FFmpeg configured as the Linux build is (scripts/ffmpeg-configure.list)
#   googletest           for the unit tests built for Windows
#
#   build-windows-libs.sh [--jobs N] [--print-prefixes] [LIBRARY...]
#
# LIBRARY names limit the build to those (name their dependencies too); several such runs may
# go on at once, each library being built by one of them.
#
# Prints "NAME PREFIX" for each library on standard output; the progress goes to standard error.
set -euo pipefail
# Read whole before it runs: a checkout during the long build must not change what it does.
{

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=debian-source.sh
source "$here/debian-source.sh"

# Bumped whenever the steps below change what ends up installed, so the cache is rebuilt.
readonly kRecipe=1
readonly kHost=x86_64-w64-mingw32
export CC=$kHost-gcc-posix CXX=$kHost-g++-posix
export AR=$kHost-ar RANLIB=$kHost-ranlib STRIP=$kHost-strip NM=$kHost-nm
export WINDRES=$kHost-windres RC=$kHost-windres
# Nothing of the build machine's own libraries may leak into a Windows library.
export PKG_CONFIG_LIBDIR=/nonexistent PKG_CONFIG_PATH=

jobs=$(nproc 2>/dev/null || echo 2)
print_only=false
only=()
while [ $# -gt 0 ]; do
  case $1 in
    --print-prefixes) print_only=true ;;
    --jobs) jobs=$2; shift ;;
    -*) echo "usage: $0 [--jobs N] [--print-prefixes] [LIBRARY...]" >&2; exit 2 ;;
    *) only+=("$1") ;;
  esac
  shift
done
wanted() {
  [ ${#only[@]} -eq 0 ] && return 0
  local one
  for one in "${only[@]}"; do
    [ "$one" != "$1" ] || return 0
  done
  return 1
}

for tool in "$CC" "$CXX" nasm meson; do
  if ! command -v "$tool" > /dev/null; then
    echo "windows libraries: $tool is missing; run scripts/setup-windows-deps.sh first" >&2
    exit 1
  fi
done

root=$(tarv_cache_root)/win64
compiler=$($CC --version | head -n 1)

say() { echo "win64 $name: $*" >&2; }

# Shows how far a long compile has come, once a minute, from the objects that exist so far.
watch_objects() {
  local folder=$1 total=$2 count
  while sleep 60; do
    count=$(find "$folder" -name '*.o' -newer "$folder/.started" 2>/dev/null | wc -l)
    if [ "$total" -gt 0 ]; then
      say "$count of about $total files compiled"
    else
      say "$count files compiled"
    fi
  done
}

# Runs make in a folder with the object count shown as it goes.
make_with_progress() {
  local folder=$1 log=$2 total watcher status=0
  shift 2
  total=$(cd "$folder" && make -n "$@" 2>/dev/null | grep -cE '(^| )-c( |$)' || true)
  touch "$folder/.started"
  say "compiling about $total files with $jobs jobs"
  watch_objects "$folder" "$total" &
  watcher=$!
  (cd "$folder" && make -j"$jobs" "$@") >> "$log" 2>&1 || status=$?
  kill "$watcher" 2> /dev/null || true
  wait "$watcher" 2> /dev/null || true
  return "$status"
}

# key_of TEXT...: the part of a cache folder's name that changes with what is built and how.
key_of() {
  printf '%s\n' "$kRecipe" "$compiler" "$@" | sha256sum | cut -c 1-12
}

finish() {
  local started=$1 prefix=$2
  local elapsed=$(($(date +%s) - started))
  say "built in $((elapsed / 60)) min $((elapsed % 60)) s into $prefix"
}

# Runs one library's recipe once: NAME BINARY_PACKAGE SOURCE_PACKAGE DONE_FILE OPTIONS... and
# sets that library's prefix variable (NAME_prefix) whether it was built now or before; with
# optional=true, a source package that cannot be fetched leaves it empty instead of failing. The
# source package is the version of BINARY_PACKAGE apt would install, or the newest the registry
# serves when it no longer serves that one; which one it was is remembered, so a finished
# library is found again without going to the network. SOURCE_PACKAGE "-" fetches nothing.
library() {
  name=$1
  local binary=$2 source=$3 done_file=$4
  shift 4
  local requested version key work remembered
  requested=$(tarv_source_version "$binary") || {
    say "apt knows no package $binary"
    exit 1
  }
  remembered=$root/.versions/$source=${requested#*:}
  version=$requested
  [ ! -f "$remembered" ] || version=$(cat "$remembered")
  key=$(key_of "$@")
  prefix=$root/$name-${version#*:}-$key
  printf -v "${name}_prefix" '%s' "$prefix"
  if $print_only || [ -e "$prefix/$done_file" ] || ! wanted "$name"; then
    return 0
  fi
  mkdir -p "$root/.versions"
  work=$(mktemp -d "$root/.fetch-$name.XXXXXX")
  src=
  if [ "$source" != - ]; then
    say "fetching Debian's source package $source $version"
    local fetched
    fetched=$(tarv_fetch_source "$source" "$version" "$work" "$work/fetch.log") || {
      say "the source package could not be fetched:"
      grep -E '^(E:|Err:)' "$work/fetch.log" | tail -n 6 >&2
      rm -rf "$work"
      if ${optional:-false}; then
        printf -v "${name}_prefix" '%s' ""
        return 0
      fi
      exit 1
    }
    src=${fetched#*$'\t'}
    if [ "${fetched%%$'\t'*}" != "$version" ]; then
      version=${fetched%%$'\t'*}
      say "the registry does not serve $requested; building $version instead"
      echo "$version" > "$remembered"
      prefix=$root/$name-${version#*:}-$key
      printf -v "${name}_prefix" '%s' "$prefix"
    fi
  fi
  source_version=$version
  tarv_cached_build "$prefix" "$done_file" "build_$name" || {
    rm -rf "$work"
    exit 1
  }
  rm -rf "$work"
}

# Installs with DESTDIR and moves the result to the stage: the libraries' own files name the
# final prefix (pkg-config files, wx-config).
staged_install() {
  local folder=$1 stage=$2 work=$3 log=$4
  shift 4
  (cd "$folder" && make install DESTDIR="$work/dest" "$@") >> "$log" 2>&1 || return 1
  mv -T "$work/dest$prefix" "$stage"
}

build_zlib() {
  local stage=$1 work=$2 log=$3 started
  started=$(date +%s)
  say "compiling"
  # Debian's source leaves out zlib's Windows makefiles; its own configure knows MinGW.
  (cd "$src" && CHOST=$kHost ./configure --static --prefix="$prefix") >> "$log" 2>&1 || return 1
  (cd "$src" && make -j"$jobs" libz.a) >> "$log" 2>&1 || return 1
  staged_install "$src" "$stage" "$work" "$log" || return 1
  finish "$started" "$prefix"
}

build_libpng() {
  local stage=$1 work=$2 log=$3 started
  started=$(date +%s)
  say "configuring"
  mkdir -p "$work/build"
  (cd "$work/build" && "$src/configure" --host=$kHost --prefix="$prefix" --disable-shared \
    --enable-static --disable-tools CPPFLAGS="-I$zlib_prefix/include" \
    LDFLAGS="-L$zlib_prefix/lib") >> "$log" 2>&1 || return 1
  make_with_progress "$work/build" "$log" || return 1
  staged_install "$work/build" "$stage" "$work" "$log" || return 1
  finish "$started" "$prefix"
}

# What the program does not use is left out: it keeps the build short and needs no XML parser,
# JPEG or TIFF library (Debian's source leaves their copies out).
readonly kWxConfigure=(
  --with-msw --disable-shared --enable-unicode --disable-debug_info
  --with-zlib=sys --with-libpng=sys --without-libjpeg --without-libtiff --without-expat
  --without-liblzma --without-opengl --disable-xrc --disable-html
  --disable-richtext --disable-webview --disable-stc --disable-aui --disable-propgrid
  --disable-ribbon --disable-webrequest --enable-mediactrl
)

build_wxwidgets() {
  local stage=$1 work=$2 log=$3 started
  started=$(date +%s)
  say "configuring (the log is $log)"
  mkdir -p "$work/build"
  (cd "$work/build" && "$src/configure" --host=$kHost --build="$(gcc -dumpmachine)" \
    --prefix="$prefix" "${kWxConfigure[@]}" \
    CPPFLAGS="-I$zlib_prefix/include -I$libpng_prefix/include" \
    LDFLAGS="-L$zlib_prefix/lib -L$libpng_prefix/lib") >> "$log" 2>&1 || return 1
  make_with_progress "$work/build" "$log" || return 1
  staged_install "$work/build" "$stage" "$work" "$log" || return 1
  # The libraries wx-config names lie beside wxWidgets' own, so its -L finds them.
  cp "$zlib_prefix/lib/libz.a" "$libpng_prefix"/lib/libpng*.a "$stage/lib/"
  finish "$started" "$prefix"
}

build_x264() {
  local stage=$1 work=$2 log=$3 started
  started=$(date +%s)
  say "configuring"
  (cd "$src" && ./configure --host=$kHost --cross-prefix=$kHost- --prefix="$prefix" \
    --enable-static --disable-cli --disable-opencl --disable-avs --disable-swscale \
    --disable-lavf --disable-ffms --disable-gpac --disable-lsmash) >> "$log" 2>&1 || return 1
  make_with_progress "$src" "$log" || return 1
  staged_install "$src" "$stage" "$work" "$log" || return 1
  finish "$started" "$prefix"
}

build_xvidcore() {
  local stage=$1 work=$2 log=$3 started
  started=$(date +%s)
  say "configuring"
  if [ ! -x "$src/build/generic/configure" ]; then
    (cd "$src/build/generic" && ./bootstrap.sh) >> "$log" 2>&1 || return 1
  fi
  (cd "$src/build/generic" && ./configure --host=$kHost --prefix="$prefix") >> "$log" 2>&1 ||
    return 1
  make_with_progress "$src/build/generic" "$log" || return 1
  mkdir -p "$stage/lib" "$stage/include"
  # Only the static library: on Windows the build names it without the usual "lib".
  local archive
  archive=$(find "$src/build/generic" -maxdepth 2 -name '*xvidcore.a' | head -n 1)
  [ -n "$archive" ] || return 1
  cp "$archive" "$stage/lib/libxvidcore.a"
  cp "$src/src/xvid.h" "$stage/include/"
  finish "$started" "$prefix"
}

build_dav1d() {
  local stage=$1 work=$2 log=$3 started
  started=$(date +%s)
  say "configuring"
  cat > "$work/cross.txt" <<EOF
[binaries]
c = '$CC'
ar = '$AR'
strip = '$STRIP'
windres = '$WINDRES'
nasm = 'nasm'
pkgconfig = 'false'

[host_machine]
system = 'windows'
cpu_family = 'x86_64'
cpu = 'x86_64'
endian = 'little'
EOF
  meson setup "$work/build" "$src" --cross-file "$work/cross.txt" --prefix="$prefix" \
    --libdir=lib --buildtype=release --default-library=static -Denable_tools=false \
    -Denable_tests=false -Denable_examples=false >> "$log" 2>&1 || return 1
  say "compiling with $jobs jobs"
  ninja -C "$work/build" -j"$jobs" >> "$log" 2>&1 || return 1
  DESTDIR="$work/dest" ninja -C "$work/build" install >> "$log" 2>&1 || return 1
  mv -T "$work/dest$prefix" "$stage"
  finish "$started" "$prefix"
}

build_ffmpeg() {
  local stage=$1 work=$2 log=$3 started configure=("${ffmpeg_configure[@]}")
  started=$(date +%s)
  say "configuring (the log is $log)"
  mkdir -p "$work/build"
  (cd "$work/build" &&
    PKG_CONFIG_LIBDIR="$x264_prefix/lib/pkgconfig:$dav1d_prefix/lib/pkgconfig:$zlib_prefix/lib/pkgconfig" \
      "$src/configure" --prefix="$prefix" "${configure[@]}" \
      --enable-cross-compile --arch=x86_64 --target-os=mingw32 --cross-prefix=$kHost- \
      --cc="$CC" --cxx="$CXX" --pkg-config=pkg-config --pkg-config-flags=--static \
      --extra-cflags="${xvidcore_prefix:+-I$xvidcore_prefix/include }-I$zlib_prefix/include" \
      --extra-ldflags="${xvidcore_prefix:+-L$xvidcore_prefix/lib }-L$zlib_prefix/lib") \
    >> "$log" 2>&1 || return 1
  make_with_progress "$work/build" "$log" || return 1
  staged_install "$work/build" "$stage" "$work" "$log" || return 1
  # The libraries FFmpeg's own pkg-config files name lie beside it, so their -L finds them.
  cp "$x264_prefix/lib/libx264.a" ${xvidcore_prefix:+"$xvidcore_prefix/lib/libxvidcore.a"} \
    "$dav1d_prefix/lib/libdav1d.a" "$zlib_prefix/lib/libz.a" "$stage/lib/"
  {
    echo "source: Debian ffmpeg $source_version"
    echo "configure: ${configure[*]}"
  } > "$stage/BUILD-INFO"
  finish "$started" "$prefix"
}

build_googletest() {
  local stage=$1 work=$2 log=$3 started
  started=$(date +%s)
  say "configuring (the source is Debian's googletest package in /usr/src/googletest)"
  cmake -S /usr/src/googletest -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$here/../cmake/MinGW64Toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -Dgtest_disable_pthreads=ON >> "$log" 2>&1 || return 1
  say "compiling with $jobs jobs"
  cmake --build "$work/build" -j "$jobs" >> "$log" 2>&1 || return 1
  DESTDIR="$work/dest" cmake --install "$work/build" >> "$log" 2>&1 || return 1
  mv -T "$work/dest$prefix" "$stage"
  finish "$started" "$prefix"
}

# Windows' own threads in place of POSIX ones: FFmpeg's configure rejects MinGW's winpthreads in
# this cross build ("pthreads requested but not found"), and its Windows threading is what
# FFmpeg uses on Windows anyway, with no extra library to carry.
mapfile -t ffmpeg_configure < <(grep -E '^--' "$here/ffmpeg-configure.list" |
  sed 's/^--enable-pthreads$/--enable-w32threads/')
library zlib zlib1g zlib lib/libz.a
library libpng libpng16-16 libpng1.6 lib/libpng.a "$zlib_prefix"
library wxwidgets libwxgtk3.2-dev wxwidgets3.2 bin/wx-config "${kWxConfigure[@]}" \
  "$zlib_prefix" "$libpng_prefix"
library x264 libx264-164 x264 lib/libx264.a
optional=true library xvidcore libxvidcore4 xvidcore lib/libxvidcore.a
library dav1d libdav1d6 dav1d lib/libdav1d.a
if [ -z "$xvidcore_prefix" ]; then
  # Without Xvid's source there is no Xvid: FFmpeg's own encoder writes the same MPEG-4 Part 2
  # video, and the encoder tool takes it when Xvid is missing.
  name=xvidcore
  say "building FFmpeg without Xvid; MPEG-4 Part 2 comes from FFmpeg's own encoder"
  mapfile -t ffmpeg_configure < <(printf '%s\n' "${ffmpeg_configure[@]}" |
    grep -vx -- --enable-libxvid | sed 's/^\(--enable-encoder=.*\)libxvid/\1mpeg4/')
fi
library ffmpeg libavcodec-dev ffmpeg BUILD-INFO "${ffmpeg_configure[@]}" "$x264_prefix" \
  "$xvidcore_prefix" "$dav1d_prefix" "$zlib_prefix"
library googletest googletest - lib/libgtest.a "$(cat "$here/../cmake/MinGW64Toolchain.cmake")"

for name in zlib libpng wxwidgets x264 xvidcore dav1d ffmpeg googletest; do
  var=${name}_prefix
  if wanted "$name"; then
    echo "$name ${!var}"
  fi
done
exit
}
