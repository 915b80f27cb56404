#!/usr/bin/env bash
# Installs the Debian packages that building the Windows program and testing it under Wine need,
# on top of what scripts/setup-deps.sh installs. Safe to run again: when everything is present
# it installs nothing and touches no package list.
set -euo pipefail

packages=(
  # the cross compilers (the POSIX-thread variant, for std::thread) and their tools
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools
  # building the libraries from their source packages: x264's, Xvid's and dav1d's assembly,
  # dav1d's build system, Xvid's configure script
  nasm meson autoconf automake libtool dpkg-dev
  # the installer and the zip of the program folder
  nsis zip
  # running the Windows programs and their tests, the window under a headless display, driving
  # it, and a screenshot of it
  wine wine64 xvfb xauth imagemagick x11-utils xdotool
)

. "$(dirname "$0")/install-missing.sh"
install_missing setup-windows-deps "${packages[@]}"
