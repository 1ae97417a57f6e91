#!/usr/bin/env bash
# Installs what is missing, builds the screensaver and starts it in its test window (/t) on the
# embedded default scene. With no display it runs on a virtual screen and saves a screenshot
# every few seconds into build/screenshots/. Extra arguments replace the switch (for example: /s).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LW_BUILD_DIR:-$root/build}

"$root/scripts/setup.sh"
LW_BUILD_DIR="$build" "$root/scripts/build.sh"

saver="$build/bin/lanternwork.scr"
if [[ ! -f "$saver" ]]; then
  echo "The screensaver program is not built yet: nothing to run." >&2
  exit 1
fi

[[ -n "${DISPLAY:-}" ]] && export LW_USE_DISPLAY=1
source "$root/scripts/testbed.sh"
lw_testbed_start "$build" 1280x720x24
trap lw_testbed_stop EXIT

shots=
if [[ -z "${LW_USE_DISPLAY:-}" ]]; then
  shots="$build/screenshots"
  mkdir -p "$shots"
  echo "No display: running on a virtual screen; screenshots go to $shots"
  (
    i=0
    while sleep "${LW_SHOT_SECONDS:-5}"; do
      i=$((i + 1))
      xwd -root -silent 2>/dev/null | xwdtopnm 2>/dev/null | pnmtopng > "$shots/shot-$(printf %04d $i).png" 2>/dev/null || true
    done
  ) &
  shooter=$!
  trap 'kill $shooter 2>/dev/null; lw_testbed_stop' EXIT
fi

args=("$@")
[[ ${#args[@]} -gt 0 ]] || args=(/t)
wine "$saver" "${args[@]}"
