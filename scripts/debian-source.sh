# Shared by the scripts that build libraries from Debian's source packages (sourced, not run):
# where their cache lies, which source version goes with a package, and fetching a source
# package without touching the system's package lists.
#
#   tarv_cache_root                        the cache folder every such build lives under
#   tarv_source_version BINARY             the source version Debian builds BINARY from
#   tarv_fetch_source SOURCE VERSION WORK LOG
#                                          unpacks that source package (or, when the registry
#                                          no longer serves it, the newest it does) under WORK
#                                          and prints "VERSION<tab>FOLDER"; the client's words
#                                          go to LOG
#   tarv_cached_build PREFIX DONE_FILE BUILD_FUNCTION
#                                          runs BUILD_FUNCTION STAGE WORK LOG once per PREFIX, under
#                                          a lock, and moves the STAGE folder to PREFIX whole

# $TARV_CACHE_DIR if set, else $XDG_CACHE_HOME/tarv, else ~/.cache/tarv, else (no home, as under
# some CI runners) /var/cache/tarv for root and a folder under /tmp for anyone else.
tarv_cache_root() {
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

# The source version of the package apt would install now (its candidate), else of the
# installed one: known without going to the network, so a finished cache is found before
# anything is fetched. The installed version may be one the archive no longer carries.
tarv_source_version() {
  local binary=$1 version
  version=$(apt-cache show --no-all-versions "$binary" 2>/dev/null |
    awk '/^Source:/ && /\(/ { gsub(/.*\(|\).*/, ""); print; found = 1; exit }
         /^Version:/ { version = $2 }
         END { if (!found && version != "") print version }')
  if [ -z "$version" ]; then
    version=$(dpkg-query -W -f='${source:Version}' "$binary" 2>/dev/null || true)
  fi
  [ -n "$version" ] || return 1
  echo "$version"
}

# A private apt configuration with a source entry for every package entry the system has, so
# the Debian client fetches the source package from the same registry without touching the
# system's lists. When the registry no longer serves that version's files (a security update
# superseded it, or a mirror lacks them), the newest version it does serve is taken instead.
# Prints the version unpacked, a tab, and the unpacked folder.
tarv_fetch_source() {
  local source=$1 version=$2 work=$3 log=$4
  local apt=$work/apt file
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
  local options=(
    -o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts="$apt/sources.list.d"
    -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache"
    -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=
    # The private folders lie where apt's unprivileged download user may not reach.
    -o APT::Sandbox::User="$(id -un)"
  )
  apt-get "${options[@]}" -q update >> "$log" 2>&1 || return 1
  local candidates=("$version") other
  while read -r other; do
    [ "$other" = "$version" ] || candidates+=("$other")
  done < <(apt-cache "${options[@]}" showsrc --only-source "$source" 2>/dev/null |
    awk '/^Version:/ { print $2 }' | sort -u -r -V)
  local try unpacked
  for try in "${candidates[@]}"; do
    rm -rf "$work/src"
    mkdir -p "$work/src"
    if (cd "$work/src" && apt-get "${options[@]}" -q source --only-source "$source=$try") \
      >> "$log" 2>&1; then
      unpacked=$(find "$work/src" -mindepth 1 -maxdepth 1 -type d | head -n 1)
      [ -n "$unpacked" ] || return 1
      printf '%s\t%s\n' "$try" "$unpacked"
      return 0
    fi
    echo "$source $try cannot be fetched; trying the next version" >> "$log"
  done
  return 1
}

# Several builds may start at once: one builds while the others wait on the lock, and the
# finished install appears under its final name in one rename, so nobody sees half of one.
# BUILD_FUNCTION installs into STAGE as if STAGE were PREFIX (no DESTDIR games needed for
# libraries whose files hold no absolute paths; those that do install with DESTDIR themselves).
tarv_cached_build() {
  local prefix=$1 done_file=$2 build=$3
  local root name
  root=$(dirname "$prefix")
  name=$(basename "$prefix")
  if [ -e "$prefix/$done_file" ]; then
    return 0
  fi
  mkdir -p "$root"
  local lock_fd
  exec {lock_fd}> "$prefix.lock"
  if ! flock -n "$lock_fd"; then
    echo "$name: another build is running; waiting for it" >&2
    flock "$lock_fd"
  fi
  if [ -e "$prefix/$done_file" ]; then
    exec {lock_fd}>&-
    return 0
  fi
  # What a killed build left behind under the lock is ours to clear.
  rm -rf "$prefix" "$root/.$name".*
  local work log status=0
  work=$(mktemp -d "$root/.$name.XXXXXX")
  log=$prefix.log
  : > "$log"
  "$build" "$work/stage" "$work" "$log" || status=$?
  if [ "$status" -eq 0 ] && [ -e "$work/stage/$done_file" ]; then
    mv -T "$work/stage" "$prefix"
  else
    [ "$status" -ne 0 ] || status=1
    echo "$name: the build failed; the last lines of $log:" >&2
    tail -n 30 "$log" >&2
  fi
  rm -rf "$work"
  exec {lock_fd}>&-
  return "$status"
}
