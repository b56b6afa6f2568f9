#!/usr/bin/env bash
# Soak test: runs the real Vuble Toy on a virtual X server for MINUTES
# (default 10), drives it with random input, samples its resident memory and
# how often its picture changes, then closes it with a WM_DELETE_WINDOW
# request. Passes when memory stays flat after the first minute, frames keep
# coming and the toy ends with status 0.
#
#   tools/soak.sh [MINUTES]
# SOAK_BUILD_DIR picks the build folder (default build), SOAK_SEED the input
# sequence, SOAK_TOY a toy binary to run as it is, without building.
set -euo pipefail
cd "$(dirname "$0")/.."

minutes="${1:-10}"
case "$minutes" in
  '' | *[!0-9]*) echo "usage: tools/soak.sh [MINUTES]" >&2; exit 2 ;;
esac
build="${SOAK_BUILD_DIR:-build}"
seed="${SOAK_SEED:-$RANDOM}"

toy_binary="${SOAK_TOY:-}"
if [ -z "$toy_binary" ]; then
  if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build "$build" --target vuble-toy >/dev/null
  toy_binary="$build/app/vuble-toy"
fi

# The driver needs only Xlib, XTest and zlib; it is built beside the toy.
driver="$build/soak/soak_driver"
if [ ! -x "$driver" ] || [ tools/soak/soak_driver.cpp -nt "$driver" ] ||
  [ tools/x11/x11_window.cpp -nt "$driver" ]; then
  mkdir -p "$build/soak"
  c++ -std=c++20 -O2 -Wall -Wextra -I. tools/soak/soak_driver.cpp tools/x11/x11_window.cpp \
    -lXtst -lX11 -lz -o "$driver"
fi

source tools/xvfb.sh
toy=""
cleanup() {
  if [ -n "$toy" ] && kill -0 "$toy" 2>/dev/null; then kill -KILL "$toy" 2>/dev/null || true; fi
  stop_xvfb
  if [ -n "${stats:-}" ]; then
    grep -v '^vuble-toy: [0-9]* frames in' "$stats" >&2 || true
    rm -f "$stats"
  fi
}
trap cleanup EXIT
start_xvfb

# A toy that knows VUBLE_TOY_STATS writes its frame counts to standard error.
stats="$(mktemp)"
VUBLE_TOY_STATS=1 "$toy_binary" 2>"$stats" &
toy=$!
echo "soak: $minutes minute(s), seed $seed, display $DISPLAY"
driver_status=0
"$driver" "$toy" $((minutes * 60)) 5 "$seed" "$stats" || driver_status=$?

# The close request must end the toy promptly, with status 0.
for _ in $(seq 1 100); do
  kill -0 "$toy" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$toy" 2>/dev/null; then
  echo "soak: FAIL: the toy was still running 10 s after the close request"
  kill -KILL "$toy"
fi
toy_status=0
wait "$toy" || toy_status=$?
toy=""
echo "soak: the toy ended with status $toy_status"

if [ "$driver_status" -ne 0 ] || [ "$toy_status" -ne 0 ]; then
  echo "soak: FAIL"
  exit 1
fi
echo "soak: PASS"
