#!/usr/bin/env bash
# Sets up, builds and starts the converter from the build tree (its program folder).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"
exec build/bin/TarvMediaConverter "$@"
