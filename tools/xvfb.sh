# Sourced by the scripts: starts a virtual X server (Xvfb, with Mesa's
# software OpenGL) on a free display, exports DISPLAY, and stops it again
# with stop_xvfb. Prints nothing on success.

xvfb_pid=""

start_xvfb() {
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-1920x1080x24}" -nolisten tcp -noreset +extension GLX \
    3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  local display=""
  if read -r -t 30 display <"$fifo"; then :; fi
  rm -f "$fifo"
  if [ -z "$display" ]; then
    echo "Xvfb did not start" >&2
    kill "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
    return 1
  fi
  export DISPLAY=":$display"
}

stop_xvfb() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  fi
}

wm_pid=""

# Starts a light window manager (openbox) on $DISPLAY and waits until it
# manages the screen, so the real-window tests also run with decorations.
start_wm() {
  openbox --sm-disable >/dev/null 2>&1 &
  wm_pid=$!
  local i
  for i in $(seq 1 100); do
    if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
      return 0
    fi
    sleep 0.1
  done
  echo "the window manager did not start" >&2
  return 1
}

stop_wm() {
  if [ -n "$wm_pid" ]; then
    kill "$wm_pid" 2>/dev/null || true
    wait "$wm_pid" 2>/dev/null || true
    wm_pid=""
  fi
}
