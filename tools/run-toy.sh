#!/usr/bin/env bash
# Builds the toy and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"

if [ ! -x build/app/vuble-toy ]; then
  echo "The simulation core is built, but the window, the drawing layer and the toy"
  echo "program are not there yet: there is nothing to run."
  exit 0
fi
exec build/app/vuble-toy
