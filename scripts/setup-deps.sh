#!/usr/bin/env bash
# Installs every Debian package that building, running and testing the converter needs.
# Safe to run again: when everything is present it installs nothing and touches no package list.
set -euo pipefail

packages=(
  # build; the headless command's option parser and JSON writer
  build-essential cmake ninja-build pkg-config libcli11-dev nlohmann-json3-dev
  # manual pages and the Debian package; the translations' tools (msgfmt, xgettext)
  help2man scdoc dpkg-dev gettext
  # the window and its preview player
  libwxgtk3.2-dev libwxgtk-media3.2-dev libgtk-3-dev fonts-liberation2 adwaita-icon-theme
  # the Hindi texts' Devanagari letters; wxWidgets' own texts (stock buttons) translated
  fonts-lohit-deva wx3.2-i18n
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  gstreamer1.0-plugins-ugly gstreamer1.0-libav gstreamer1.0-gl gstreamer1.0-x
  # the conversion tools: Debian's FFmpeg libraries (-DTARV_SYSTEM_FFMPEG=ON, the sanitizer
  # build) and what our own static FFmpeg is built with and links
  libavformat-dev libavcodec-dev libavfilter-dev libavutil-dev libswscale-dev libswresample-dev
  nasm libx264-dev libxvidcore-dev libdav1d-dev zlib1g-dev
  # tests: GoogleTest, a headless display, fixture media, GNU parallel and rsync for the
  # headless command's many-machines recipe, the shells its completions are run in
  googletest libgtest-dev libgmock-dev xvfb xauth ffmpeg parallel rsync bash-completion zsh
  # tests: the desktop's and Debian's checkers of what gets installed
  desktop-file-utils appstream lintian
  # benchmarks: GNU time reads a tool's peak memory
  time
)

. "$(dirname "$0")/install-missing.sh"
install_missing setup-deps "${packages[@]}"
