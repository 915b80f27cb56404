#!/usr/bin/env bash
# Builds the static FFmpeg libraries the tools link by default: Debian's own source package of
# the version the system's libav* come from (Debian's patches included), configured for what
# the tools read and write, installed once per machine into a cache folder named after that
# version and configuration, so every build folder (and every later checkout) reuses it.
#
#   build-ffmpeg.sh --print-prefix    print the folder the libraries are, or will be, in
#   build-ffmpeg.sh [--jobs N]        build them there unless they already are; print the folder
#
# Where: $TARV_CACHE_DIR if set, else $XDG_CACHE_HOME/tarv, else ~/.cache/tarv, else (no home,
# as under some CI runners) /var/cache/tarv for root and a folder under /tmp for anyone else.
# Several builds may start at once: one builds while the others wait on a lock, and the
# finished install appears under its final name in one rename, so nobody sees half of one.
set -euo pipefail
# Read whole before it runs: a checkout during the long build must not change what it does.
{

# Bumped whenever the steps below change what ends up installed, so the cache is rebuilt.
readonly kRecipe=1

# Every native decoder, demuxer, parser and bitstream filter stays on (FFmpeg's default); AV1
# comes through Debian's libdav1d, since FFmpeg 5.1 decodes it natively only with hardware.
# Only the encoders, writers, protocols and filters the tools use are built. No programs, no
# network, no devices, and nothing found by looking around the machine: each library linked
# is named here, so the result is the same on every machine.
readonly kConfigure=(
  --disable-shared --enable-static --enable-pic
  --disable-programs --disable-doc --disable-debug
  --disable-autodetect --enable-pthreads --enable-zlib
  --disable-network --disable-avdevice --disable-postproc --disable-devices --disable-hwaccels
  --enable-gpl --enable-libx264 --enable-libxvid --enable-libdav1d
  --disable-encoders --enable-encoder=aac,libx264,libxvid
  --disable-muxers --enable-muxer=avi,m4v,h264,adts,tgp,mp4,mov
  --disable-protocols --enable-protocol=file,pipe
  --disable-filters
  --enable-filter=buffer,buffersink,abuffer,abuffersink,null,anull,format,aformat
  --enable-filter=scale,fps,transpose,hflip,vflip,aresample,dynaudnorm
)

jobs=$(nproc 2>/dev/null || echo 2)
print_only=false
while [ $# -gt 0 ]; do
  case $1 in
    --print-prefix) print_only=true ;;
    --jobs) jobs=$2; shift ;;
    *) echo "usage: $0 [--print-prefix] [--jobs N]" >&2; exit 2 ;;
  esac
  shift
done

say() { echo "ffmpeg: $*" >&2; }

cache_root() {
  if [ -n "${TARV_CACHE_DIR:-}" ]; then
    echo "$TARV_CACHE_DIR"
  elif [ -n "${XDG_CACHE_HOME:-}" ]; then
    echo "$XDG_CACHE_HOME/tarv"
  elif [ -n "${HOME:-}" ] && [ "$HOME" != / ] && [ -d "$HOME" ] && [ -w "$HOME" ]; then
    echo "$HOME/.cache/tarv"
  elif [ "$(id -u)" -eq 0 ]; then
    echo /var/cache/tarv
  else
    echo "${TMPDIR:-/tmp}/tarv-cache-$(id -u)"
  fi
}

# The source version of the system's libraries: the headers and the package must agree.
version=$(dpkg-query -W -f='${source:Version}' libavcodec-dev 2>/dev/null || true)
if [ -z "$version" ]; then
  say "libavcodec-dev is not installed; run scripts/setup-deps.sh first"
  exit 1
fi
compiler=$(${CC:-cc} --version 2>/dev/null | head -n 1)
key=$(printf '%s\n' "$kRecipe" "$compiler" "${kConfigure[@]}" | sha256sum | cut -c 1-12)
root=$(cache_root)
prefix=$root/ffmpeg-${version#*:}-$key

if $print_only; then
  echo "$prefix"
  exit 0
fi
if [ -f "$prefix/lib/pkgconfig/libavcodec.pc" ]; then
  echo "$prefix"
  exit 0
fi

mkdir -p "$root"
exec 9> "$prefix.lock"
if ! flock -n 9; then
  say "another build of $prefix is running; waiting for it"
  flock 9
fi
if [ -f "$prefix/lib/pkgconfig/libavcodec.pc" ]; then
  echo "$prefix"
  exit 0
fi
# What a killed build left behind under the lock is ours to clear.
rm -rf "$prefix" "$root"/.ffmpeg-"${version#*:}-$key".*

started=$(date +%s)
work=$(mktemp -d "$root/.ffmpeg-${version#*:}-$key.XXXXXX")
trap 'rm -rf "$work"' EXIT
log=$prefix.log
: > "$log"
fail() {
  say "$1; the last lines of $log:"
  tail -n 30 "$log" >&2
  exit 1
}

# A private apt configuration with a source entry for every package entry the system has, so
# the Debian client fetches the source package from the same registry without touching the
# system's lists.
say "fetching Debian's source package ffmpeg $version"
apt=$work/apt
mkdir -p "$apt/sources.list.d" "$apt/lists/partial" "$apt/cache/archives/partial"
: > "$apt/sources.list"
for file in /etc/apt/sources.list.d/*.sources; do
  [ -f "$file" ] || continue
  # deb822 stanzas: keep the enabled ones that carry binary packages, as source entries.
  awk 'BEGIN { RS = ""; ORS = "\n\n" }
       /(^|\n)Enabled:[ \t]*no/ { next }
       /(^|\n)Types:[^\n]*(^|[ \t])deb([ \t]|\n|$)/ {
         sub(/(^|\n)Types:[^\n]*/, "\nTypes: deb-src"); sub(/^\n/, ""); print }' "$file" \
    > "$apt/sources.list.d/$(basename "$file")"
done
for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -f "$file" ] || continue
  sed -n 's/^[ \t]*deb[ \t]/deb-src /p' "$file" >> "$apt/sources.list"
done
apt_options=(
  -o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts="$apt/sources.list.d"
  -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache"
  -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=
  # The private folders lie where apt's unprivileged download user may not reach.
  -o APT::Sandbox::User="$(id -un)"
)
apt-get "${apt_options[@]}" -q update >> "$log" 2>&1 || fail "the source lists could not be read"
(cd "$work" && apt-get "${apt_options[@]}" -q source --only-source "ffmpeg=$version") \
  >> "$log" 2>&1 || fail "the source package could not be fetched and unpacked"
source_dir=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'ffmpeg-*' | head -n 1)
[ -n "$source_dir" ] || fail "no unpacked source in $work"

say "configuring (the log is $log)"
mkdir -p "$work/build"
(cd "$work/build" && "$source_dir/configure" --prefix="$prefix" "${kConfigure[@]}") \
  >> "$log" 2>&1 || fail "configure failed"

# FFmpeg's make names every object it compiles on a line of its own; counting those against
# what a dry run would compile shows how far the build has come.
total=$(cd "$work/build" && make -n 2>/dev/null | grep -cE '^printf "(CC|X86ASM)' || true)
say "compiling about $total files with $jobs jobs"
count_progress() {
  local line compiled=0
  while IFS= read -r line; do
    case $line in
      CC* | X86ASM*)
        compiled=$((compiled + 1))
        if [ $((compiled % 100)) -eq 0 ]; then
          say "$compiled of about $total files compiled"
        fi
        ;;
    esac
  done
}
if ! (cd "$work/build" && make -j"$jobs" 2>&1) | tee -a "$log" | count_progress; then
  fail "make failed"
fi
(cd "$work/build" && make install DESTDIR="$work/stage") >> "$log" 2>&1 || fail "install failed"
{
  echo "source: Debian ffmpeg $version"
  echo "configure: ${kConfigure[*]}"
} > "$work/stage$prefix/BUILD-INFO"
mv -T "$work/stage$prefix" "$prefix"
elapsed=$(($(date +%s) - started))
say "built in $((elapsed / 60)) min $((elapsed % 60)) s into $prefix"
echo "$prefix"
exit
}
