#!/usr/bin/env bash
# Builds everything and runs every test: the unit tier and the real-window
# tier (on a virtual X server started here), the Windows build (cross-built
# with MinGW-w64) with its tiers under Wine on the same X server, the fuzz
# targets for a bounded number of runs, then the unit and real-window tiers
# again built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/deps.sh windows

# Every C++ file keeps the committed layout (.clang-format).
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

werror=OFF
if [ "${CI:-}" = "true" ]; then werror=ON; fi
jobs=$(nproc)
# No test takes more than a minute; one that hangs (a window manager that
# never answers, say) fails after five instead of eating the run's budget.
timeout=300

# The Linux build also holds the end-to-end tests of the Windows build's toy
# (label wine), run below once that is built.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVUBLE_WERROR="$werror" \
  -DVUBLE_WINDOWS_BUILD="$PWD/build-win" >/dev/null
cmake --build build -j "$jobs"

source tools/xvfb.sh
source tools/wine/prefix.sh
trap 'stop_wm; wine_server_stop; stop_xvfb' EXIT
start_xvfb
# The unit tier in parallel; the real-window tier one test at a time, first
# on a bare X server, then again under a window manager (decorations move
# the client area; nothing else may change).
(cd build && ctest --output-on-failure --timeout "$timeout" -j "$jobs" -LE 'x11|wine')
(cd build && ctest --output-on-failure --timeout "$timeout" -L x11)
start_wm
(cd build && VUBLE_WINDOW_MANAGER=openbox ctest --output-on-failure --timeout "$timeout" -L x11)
stop_wm

# Windows: the same sources cross-built, run under Wine with one server for
# the whole run, on the same X server (Wine's windows are not handed to a
# window manager): the unit tier, the real-window tier (whose tests start
# the Linux build's probe to look at X and drive it), the end-to-end tests
# of vuble-toy.exe from outside, and the package, whose examples must run
# from the unpacked folder alone.
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVUBLE_WERROR="$werror" >/dev/null
cmake --build build-win -j "$jobs"
wine_server_start "$PWD/build-win/wine-prefix"
(cd build-win && ctest --output-on-failure --timeout "$timeout" -j "$jobs" -LE wine)
export VUBLE_X11_PROBE="$PWD/build/tools/vuble-x11-probe"
(cd build-win && ctest --output-on-failure --timeout "$timeout" -L wine)
(cd build && ctest --output-on-failure --timeout "$timeout" -L wine)
version=$(sed -n 's/^#define VUBLE_VERSION_STRING "\(.*\)"$/\1/p' support/version.h)
package="build-win/vuble-toy-$version-windows-x86_64.zip"
(cd build-win && cpack >/dev/null)
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"; stop_wm; wine_server_stop; stop_xvfb' EXIT
unzip -q "$package" -d "$unpacked"
folder="$unpacked/vuble-toy-$version-windows-x86_64"
# The package says how it may be used, and the programs need nothing beside them.
for file in README.txt LICENSE.txt Terminus-OFL.txt; do
  test -f "$folder/$file" || { echo "the package lacks $file" >&2; exit 1; }
done
# Each example from the unpacked folder, ended with Escape as its user would.
for example in text:text image:images keyboard:keyboard; do
  build/tools/vuble-escape-run "Vuble example: ${example#*:}" 60 "$(command -v wine)" \
    "$folder/example_${example%%:*}.exe"
done
rm -rf "$unpacked"
trap 'stop_wm; wine_server_stop; stop_xvfb' EXIT
echo "Windows package: $package"
wine_server_stop
stop_xvfb

# Each fuzz target runs a bounded number of executions from its seed corpus
# (built with clang, libFuzzer and the sanitizers). The seed is fixed so this
# check gives the same answer on every run; exploring with fresh seeds is
# fuzz/run.sh's default.
VUBLE_WERROR="$werror" bash fuzz/run.sh 20000 1

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
  -DVUBLE_SANITIZE=ON -DVUBLE_BUILD_BENCH=OFF -DVUBLE_WERROR="$werror" >/dev/null
cmake --build build-asan -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# System libraries keep a few allocations until exit (libdbus, Mesa); the
# suppressions name them so that our own leaks still fail the run.
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp"
start_xvfb
(cd build-asan && ctest --output-on-failure --timeout "$timeout" -L x11)
stop_xvfb
(cd build-asan && ctest --output-on-failure --timeout "$timeout" -L unit -j "$jobs")
