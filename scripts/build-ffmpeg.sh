#!/usr/bin/env bash
# Builds the static FFmpeg libraries the tools link by default: Debian's own source package of
# the version the system's libav* come from (Debian's patches included), configured for what
# the tools read and write, installed once per machine into a cache folder named after that
# version and configuration, so every build folder (and every later checkout) reuses it.
#
#   build-ffmpeg.sh --print-prefix    print the folder the libraries are, or will be, in
#   build-ffmpeg.sh [--jobs N]        build them there unless they already are; print the folder
#
# The cache folder is the one scripts/debian-source.sh names; several builds may start at once,
# and only one of them builds.
set -euo pipefail
# Read whole before it runs: a checkout during the long build must not change what it does.
{

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=debian-source.sh
source "$here/debian-source.sh"

# Bumped whenever the steps below change what ends up installed, so the cache is rebuilt.
readonly kRecipe=1
# The options are shared with the Windows cross build, which adds only what it needs.
mapfile -t kConfigure < <(grep -E '^--' "$here/ffmpeg-configure.list")
readonly kConfigure

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

# The source version of the system's libraries names the cache folder, so a finished build is
# found without going to the network.
version=$(dpkg-query -W -f='${source:Version}' libavcodec-dev 2>/dev/null || true)
if [ -z "$version" ]; then
  say "libavcodec-dev is not installed; run scripts/setup-deps.sh first"
  exit 1
fi
compiler=$(${CC:-cc} --version 2>/dev/null | head -n 1)
key=$(printf '%s\n' "$kRecipe" "$compiler" "${kConfigure[@]}" | sha256sum | cut -c 1-12)
root=$(tarv_cache_root)
prefix=$root/ffmpeg-${version#*:}-$key

if $print_only; then
  echo "$prefix"
  exit 0
fi
if [ -f "$prefix/lib/pkgconfig/libavcodec.pc" ]; then
  echo "$prefix"
  exit 0
fi

build() {
  local stage=$1 work=$2 log=$3 started fetched source_version source_dir
  started=$(date +%s)
  say "fetching Debian's source package ffmpeg $version"
  fetched=$(tarv_fetch_source ffmpeg "$version" "$work" "$log") || {
    say "the source package could not be fetched and unpacked"
    return 1
  }
  source_version=${fetched%%$'\t'*}
  source_dir=${fetched#*$'\t'}
  if [ "$source_version" != "$version" ]; then
    say "the registry does not serve $version; building $source_version instead"
  fi

  say "configuring (the log is $log)"
  mkdir -p "$work/build"
  (cd "$work/build" && "$source_dir/configure" --prefix="$prefix" "${kConfigure[@]}") \
    >> "$log" 2>&1 || { say "configure failed"; return 1; }

  # FFmpeg's make names every object it compiles on a line of its own; counting those against
  # what a dry run would compile shows how far the build has come.
  local total
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
    say "make failed"
    return 1
  fi
  # The pkg-config files name the final prefix, so the install goes there through DESTDIR.
  (cd "$work/build" && make install DESTDIR="$work/dest") >> "$log" 2>&1 ||
    { say "install failed"; return 1; }
  mv -T "$work/dest$prefix" "$stage"
  {
    echo "source: Debian ffmpeg $source_version"
    echo "configure: ${kConfigure[*]}"
  } > "$stage/BUILD-INFO"
  local elapsed=$(($(date +%s) - started))
  say "built in $((elapsed / 60)) min $((elapsed % 60)) s into $prefix"
}

tarv_cached_build "$prefix" lib/pkgconfig/libavcodec.pc build
echo "$prefix"
exit
}
