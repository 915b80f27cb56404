# Sourced by the setup scripts (not run): installs those of the named Debian packages that are
# not installed yet, and touches no package list when all of them are.
#   install_missing LABEL PACKAGE...
install_missing() {
  local label=$1
  shift
  local missing=() p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  local sudo=
  if [ "$(id -u)" -ne 0 ]; then
    sudo=sudo
  fi
  echo "$label: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
