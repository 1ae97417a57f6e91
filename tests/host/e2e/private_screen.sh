#!/usr/bin/env bash
# Runs some end-to-end tests on an X screen layout of their own: a private Xvfb and a copy of the
# test bed's Wine prefix (registry files copied, the C: drive shared), so that the desktop of the
# main test bed stays as it is. The tests see the variable FLAG set to 1 and skip themselves
# without it.
#   private_screen.sh TEST_PROGRAM GTEST_FILTER FLAG XVFB_ARGUMENTS...
# For example, a screen too small for any display mode:
#   private_screen.sh test.exe 'SmallScreen.*' LW_E2E_SMALL_SCREEN -screen 0 600x400x24
set -euo pipefail
program=$1
filter=$2
flag=$3
shift 3
source_prefix=${WINEPREFIX:?the test bed sets WINEPREFIX}

work=$(mktemp -d "${TMPDIR:-/tmp}/lw-private-screen.XXXXXX")
n=$(( 500 + RANDOM % 400 ))
while [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]]; do n=$((n + 1)); done
Xvfb ":$n" "$@" -nolisten tcp >/dev/null 2>&1 &
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

export WINEPREFIX="$work/prefix" DISPLAY=":$n" "$flag=1"
wine "$program" --gtest_filter="$filter" </dev/null
