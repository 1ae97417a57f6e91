# Sourced by test.sh and run.sh: a private Wine test bed inside the build folder.
#
#   lw_testbed_start BUILD_DIR [SCREEN]   starts Xvfb (unless $DISPLAY is to be used), a private
#                                          WINEPREFIX and HOME, one persistent wineserver, and a
#                                          hidden keep-alive window so that each test starts fast.
#   lw_testbed_stop                        ends all of that again.
#
# Sound: the HOME of the test bed holds an .asoundrc whose default device is a null PCM, so
# DirectShow can play on a machine without a sound card. Nothing outside the build folder is touched.

lw_testbed_start() {
  local build=$1 screen=${2:-1024x768x24}
  export WINEPREFIX="$build/wine-prefix"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
  export WINEARCH=win64
  export HOME="$build/test-home"
  mkdir -p "$HOME"
  cat > "$HOME/.asoundrc" <<'ASOUND'
pcm.!default { type plug slave.pcm "nullpcm" }
pcm.nullpcm { type null }
ctl.!default { type hw card 0 }
ASOUND

  LW_XVFB_PID=
  if [[ -z "${LW_USE_DISPLAY:-}" ]]; then
    local n=$(( 90 + RANDOM % 400 ))
    while [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 "$screen" -nolisten tcp >/dev/null 2>&1 &
    LW_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done
  fi

  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    echo "Creating the Wine prefix in $WINEPREFIX (once)"
    wineboot -i >/dev/null 2>&1 </dev/null || true
    wineserver -w
  fi
  # One wineserver for the whole run; Wine's services must not hold the test runner's pipes. A
  # server left running in this prefix by an earlier test bed would refuse that, so it ends first.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w
  wineserver -p
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
  LW_KEEPALIVE_PID=
  if [[ -f "$build/bin/wine_keepalive.exe" ]]; then
    wine "$build/bin/wine_keepalive.exe" >/dev/null 2>&1 </dev/null &
    LW_KEEPALIVE_PID=$!
  fi
}

lw_testbed_stop() {
  wineserver -k >/dev/null 2>&1 || true
  [[ -n "${LW_KEEPALIVE_PID:-}" ]] && wait "$LW_KEEPALIVE_PID" 2>/dev/null || true
  if [[ -n "${LW_XVFB_PID:-}" ]]; then
    kill "$LW_XVFB_PID" 2>/dev/null || true
    wait "$LW_XVFB_PID" 2>/dev/null || true
  fi
}
