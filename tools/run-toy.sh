#!/usr/bin/env bash
# Builds the toy and runs it. On a machine without a display it runs the toy
# on a virtual X server for a few seconds instead and writes a screenshot.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target vuble-toy vuble-screenshot

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/app/vuble-toy
fi

shot="$PWD/build/vuble-toy.png"
echo "There is no display here: running Vuble Toy on a virtual X server for a few seconds."
source tools/xvfb.sh
trap stop_xvfb EXIT
start_xvfb
build/app/vuble-toy &
toy=$!
# Let the bodies fall for a while, then hold the left button above the floor
# so the picture shows them pulled toward the pointer.
build/tools/vuble-screenshot --settle 3000 --hold-left 256 440 3000 "Vuble Toy" "$shot"
kill -TERM "$toy"  # a termination request, like the close box
status=0
wait "$toy" || status=$?
echo "The toy ended with status $status. Screenshot written to $shot"
