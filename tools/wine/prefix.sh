# Sourced by the Wine scripts: makes a Wine prefix ready for the tests and
# keeps one Wine server running for a whole test run. Prints nothing on
# success.

# Wine's own messages (and the hint about a missing 32-bit Wine) stay off;
# the Mono and Gecko installers are never offered.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# Makes the prefix once (about 15 s and 700 MB), under a lock so parallel
# test programs wait for the first. The settings: no crash dialog (it would
# wait for a person forever), and windows not handed to a window manager
# (without one, every hide or destroy would wait 2 s for its answer).
wine_prefix_ready() {
  local prefix="$1"
  [ -f "$prefix/.vuble-ready" ] && return 0
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    [ -f "$prefix/.vuble-ready" ] && exit 0
    rm -rf "$prefix"
    export WINEPREFIX="$prefix"
    env -u DISPLAY wineboot -i >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    wineserver -w
    touch "$prefix/.vuble-ready"
  ) 9>"$prefix.lock"
}

# One persistent server for the run: each program then starts in a few
# milliseconds instead of starting its own server. Priming it with one
# program starts Wine's background processes now, detached from any pipe,
# so they never hold a test runner's output open.
wine_server_start() {
  export WINEPREFIX="$1"
  wine_prefix_ready "$WINEPREFIX"
  wineserver -p
  wine cmd /c exit </dev/null >/dev/null 2>&1
}

# Ends the server and every Wine process of the prefix, and waits for them.
wine_server_stop() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
  fi
}
