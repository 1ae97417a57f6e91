#!/usr/bin/env bash
# Runs the SmallScreen end-to-end tests on a 600 x 400 screen of their own: a private Xvfb and a
# copy of the test bed's Wine prefix (registry files copied, the C: drive shared), so that the
# desktop of the main test bed stays as it is.
#   small_screen.sh TEST_PROGRAM
set -euo pipefail
program=$1
source_prefix=${WINEPREFIX:?the test bed sets WINEPREFIX}

work=$(mktemp -d "${TMPDIR:-/tmp}/lw-small-screen.XXXXXX")
n=$(( 500 + RANDOM % 400 ))
while [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 600x400x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() {
  WINEPREFIX="$work/prefix" wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done

mkdir -p "$work/prefix"
cp -a "$source_prefix"/*.reg "$source_prefix/dosdevices" "$work/prefix/"
[[ -e "$source_prefix/.update-timestamp" ]] && cp -a "$source_prefix/.update-timestamp" "$work/prefix/"
ln -s "$source_prefix/drive_c" "$work/prefix/drive_c"

export WINEPREFIX="$work/prefix" DISPLAY=":$n" LW_E2E_SMALL_SCREEN=1
wine "$program" --gtest_filter='SmallScreen.*' </dev/null
