#!/usr/bin/env bash
# Installs the Debian packages that are missing for the given purposes:
#   build  - compiling Vantrel
#   run    - running it (a terminal for the scripts)
#   test   - the test suite (virtual display and its fonts, window manager, Windows cross build)
#   bench  - what the benchmarks compare against
set -euo pipefail

declare -A packages=(
  [build]="cmake ninja-build g++ pkg-config qt6-base-dev libsqlite3-dev libxcb1-dev libxcb-icccm4-dev libxcb-ewmh-dev"
  [run]="xterm xfonts-base fonts-dejavu-core fonts-liberation"
  [bench]="wmctrl xdotool x11-utils"
  [test]="dbus-daemon clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth xfonts-base openbox xterm xdotool imagemagick g++-mingw-w64-x86-64-posix wine wine64 fonts-wine wixl msitools googletest"
)

wanted=()
for purpose in "$@"; do
  for package in ${packages[$purpose]}; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || wanted+=("$package")
  done
done
[ ${#wanted[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${wanted[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${wanted[@]}"
