#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite under Wine in Xvfb.
# Extra arguments go to ctest (for example: -R Device).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LW_BUILD_DIR:-$root/build}

"$root/scripts/setup.sh"
LW_BUILD_DIR="$build" "$root/scripts/build.sh"

source "$root/scripts/testbed.sh"
lw_testbed_start "$build"
trap lw_testbed_stop EXIT

cd "$build"
status=0
ctest --output-on-failure --timeout 300 -j "${LW_TEST_JOBS:-4}" "$@" || status=$?

# What the device here offers, from the probe test's output.
grep -h '^\[probe\]' "$build/Testing/Temporary/LastTest.log" 2>/dev/null | awk '!seen[$0]++' || true
exit $status
