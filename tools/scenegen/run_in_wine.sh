#!/usr/bin/env bash
# Runs one Windows console program under Wine as a build step, without side effects:
#
#     run_in_wine.sh STATE_DIR LOG_FILE PROGRAM.exe [ARGUMENTS...]
#
# - Wine gets a private prefix, STATE_DIR/wine-prefix, made on first use (no display needed),
#   and a HOME of its own, STATE_DIR/home: nothing outside STATE_DIR is touched (not ~/.wine).
# - No display, no crash debugger, no Mono or Gecko installers, no desktop menu entries.
# - Standard input comes from /dev/null and all output goes to LOG_FILE: Wine's background
#   services inherit the standard handles and would otherwise keep the build's pipes open.
# - After the program, the step waits for the prefix's wineserver to end, so nothing it started
#   outlives it. Every wait is bounded.
# The exit code is the program's; on failure the end of the log goes to the error stream.
set -u
state=$1 log=$2
shift 2
mkdir -p "$state/home" "$(dirname "$log")"
state=$(cd "$state" && pwd)

unset DISPLAY WAYLAND_DISPLAY
export WINEPREFIX="$state/wine-prefix"
export HOME="$state/home"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d;winemenubuilder.exe=d"

: > "$log"
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  echo "Creating the Wine prefix $WINEPREFIX" >> "$log"
  timeout 300 wineboot -i < /dev/null >> "$log" 2>&1
  timeout 120 wineserver -w < /dev/null >> "$log" 2>&1
fi

timeout 300 wine "$@" < /dev/null >> "$log" 2>&1
status=$?
if [[ $status -eq 124 ]]; then
  echo "run_in_wine: $1 did not finish within 300 s" >> "$log"
  wineserver -k < /dev/null >> "$log" 2>&1
fi
timeout 120 wineserver -w < /dev/null >> "$log" 2>&1 || wineserver -k < /dev/null >> "$log" 2>&1

if [[ $status -ne 0 ]]; then
  echo "run_in_wine: $1 failed with exit code $status; the end of $log:" >&2
  tail -n 20 "$log" >&2
fi
exit $status
