#!/usr/bin/env bash
# Configures and builds the project for 64-bit Windows into build/ (or $LW_BUILD_DIR).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LW_BUILD_DIR:-$root/build}

if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --parallel "${LW_JOBS:-$(nproc)}" -- --no-print-directory "$@"
