#!/usr/bin/env bash
# Sets up, builds and runs every test: the normal build (window tests under a headless X server,
# the tools on our own static FFmpeg), then the engine, tool and headless-command tests again
# under AddressSanitizer and UBSan, the tools there on the system's shared FFmpeg libraries.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh

jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARV_SANITIZE=ON \
  -DTARV_SYSTEM_FFMPEG=ON
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"
