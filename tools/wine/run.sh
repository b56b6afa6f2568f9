#!/usr/bin/env bash
# Runs a Windows program under Wine: the emulator of the cross build (ctest
# and test discovery start every test program through it). The Wine prefix
# is $WINEPREFIX when set, else wine-prefix in the build folder the program
# lies in (the nearest folder above it holding CMakeCache.txt); it is made
# on first use. Wine's own diagnostics stay off, so standard error carries
# only the program's text.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/prefix.sh"

if [ -z "${WINEPREFIX:-}" ]; then
  dir="$(cd "$(dirname "$1")" && pwd)"
  while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir="$(dirname "$dir")"; done
  if [ "$dir" = / ]; then
    echo "run.sh: $1 is not inside a build folder; set WINEPREFIX" >&2
    exit 2
  fi
  export WINEPREFIX="$dir/wine-prefix"
fi
wine_prefix_ready "$WINEPREFIX"
exec wine "$@"
