#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for a
# bounded number of executions from its seed corpus (fuzz/corpus/<target>/).
# New inputs found go to build-fuzz/fuzz/corpus/, never into the repository.
#   fuzz/run.sh [RUNS_PER_TARGET] [SEED]    (defaults: 20000, 0)
# Seed 0 lets libFuzzer pick a fresh one each run, which is what exploring
# wants; a fixed seed repeats the same mutations, which is what a check that
# must give the same answer every time wants.
set -euo pipefail
cd "$(dirname "$0")/.."

runs="${1:-20000}"
seed="${2:-0}"
jobs=$(( $(nproc) < 4 ? $(nproc) : 4 ))
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVUBLE_BUILD_FUZZ=ON -DVUBLE_BUILD_SDL=OFF -DVUBLE_BUILD_TESTS=OFF -DVUBLE_BUILD_BENCH=OFF \
  -DVUBLE_FUZZ_RUNS="$runs" -DVUBLE_FUZZ_SEED="$seed" -DVUBLE_WERROR="${VUBLE_WERROR:-OFF}" >/dev/null
cmake --build build-fuzz -j "$jobs" --target fuzz_messages fuzz_pixmap fuzz_event_texts \
  fuzz_image_text fuzz_helper_output
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-fuzz/fuzz && ctest --output-on-failure -L fuzz)
