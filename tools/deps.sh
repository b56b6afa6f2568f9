#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the toy need,
# when any of them is missing. Uses sudo when not run as root. With the
# argument "windows" it also installs what the Windows build and its tests
# need: MinGW-w64 to cross-build, GoogleTest's sources to build it for
# Windows, and Wine to run the programs.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libgl-dev libgl1-mesa-dri libglx-mesa0 x11-utils
  xvfb xauth libx11-dev libxtst-dev libxfixes-dev zlib1g-dev x11-xserver-utils openbox
  desktop-file-utils clang libclang-rt-14-dev clang-format
)
if [ "${1:-}" = windows ]; then
  packages+=(g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev googletest wine wine64 unzip)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
