#!/usr/bin/env bash
# Runs a test program on a desktop of its own: a private Xvfb and a copy of the test bed's Wine
# prefix (registry files copied, the C: drive shared), with a wineserver of its own. What the
# program shows, which window is active and the settings it writes stay its own, so that tests
# that read the screen or write the program's settings can run beside each other and beside the
# rest of the suite. Listing a GoogleTest program's tests (--gtest_list_tests) needs no desktop
# and runs in the test bed as it is.
#
#   private_screen.sh [-e NAME=VALUE]... [-x XVFB_ARGUMENTS] PROGRAM [ARGUMENTS...]
#
#   -e  sets a variable for the program (tests that need a special screen skip themselves
#       without theirs)
#   -x  the Xvfb screen layout, one word list (default: "-screen 0 1024x768x24", the test bed's)
#
# For example, a screen too small for any display mode:
#   private_screen.sh -e LW_E2E_SMALL_SCREEN=1 -x "-screen 0 600x400x24" test.exe --gtest_filter='SmallScreen.*'
# The end-to-end programs have this script as their CROSSCOMPILING_EMULATOR, so that every one of
# their ctest entries runs on a desktop of its own.
set -euo pipefail
variables=()
xvfb_arguments="-screen 0 1024x768x24"
while getopts "e:x:" option; do
  case $option in
    e) variables+=("$OPTARG") ;;
    x) xvfb_arguments=$OPTARG ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
program=${1:?usage: private_screen.sh [-e NAME=VALUE]... [-x XVFB_ARGUMENTS] PROGRAM [ARGUMENTS...]}
shift
source_prefix=${WINEPREFIX:?the test bed sets WINEPREFIX}

for argument in "$@"; do
  [[ $argument == --gtest_list_tests ]] && exec wine "$program" "$@"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/lw-private-screen.XXXXXX")
xvfb=
cleanup() {
  WINEPREFIX="$work/prefix" wineserver -k >/dev/null 2>&1 || true
  if [[ -n $xvfb ]]; then
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
  fi
  [[ -n ${temp_unix:-} ]] && rm -rf "$temp_unix"
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number once it accepts connections, so that
# desktops started side by side never reach for the same number.
# shellcheck disable=SC2086  # the layout is a word list
Xvfb -displayfd 3 $xvfb_arguments -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do
  [[ -s $work/display ]] && break
  kill -0 "$xvfb" 2>/dev/null || { echo "private_screen.sh: Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done
display=$(tr -dc 0-9 <"$work/display")
[[ -n $display ]] || { echo "private_screen.sh: Xvfb gave no display" >&2; exit 1; }

mkdir -p "$work/prefix"
cp -a "$source_prefix"/*.reg "$source_prefix/dosdevices" "$work/prefix/"
[[ -e "$source_prefix/.update-timestamp" ]] && cp -a "$source_prefix/.update-timestamp" "$work/prefix/"
ln -s "$source_prefix/drive_c" "$work/prefix/drive_c"

# A temporary folder of its own inside the shared C: drive, so that what the program writes there
# (the sound copies of a show, copies of the program) never meets another desktop's files.
temp_windows=$(sed -n 's/^"TEMP"="\(.*\)"$/\1/p' "$work/prefix/user.reg" | head -n 1)
if [[ $temp_windows == [Cc]:* ]]; then
  temp_name=$(basename "$work")
  temp_unix="$source_prefix/drive_c$(sed 's/^..//; s/\\\\/\//g' <<<"$temp_windows")/$temp_name"
  mkdir -p "$temp_unix"
  sed -i "s/^\(\"TE\?MP\"=\".*\)\"$/\1\\\\\\\\$temp_name\"/" "$work/prefix/user.reg"
fi

export WINEPREFIX="$work/prefix" DISPLAY=":$display"
for variable in "${variables[@]}"; do
  export "${variable?}"
done
status=0
wine "$program" "$@" </dev/null || status=$?
exit $status
