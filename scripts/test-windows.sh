#!/usr/bin/env bash
# Cross-compiles Vantrel (the core, the Win32 window, vantrel.exe) and its tests
# for Windows with MinGW-w64 and runs the tests under Wine, in a Wine prefix of
# the build's own.
# Window tests need a display: run it under scripts/with-display.sh when there is none.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build test

build=build-windows
werror=OFF
[ -n "${CI:-}" ] && werror=ON
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DVANTREL_WERROR="$werror"
cmake --build "$build" -j2

# The same prefix the toolchain file gives the tests.
# No .NET or HTML engine is needed, and their installers must never wait for a click.
export WINEPREFIX="$PWD/$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# One Wine server and its services for all the tests, started here with their
# output discarded: otherwise every test would start them anew and wait until
# they end, since they hold the test's output open.
mkdir -p "$WINEPREFIX"
wineserver -k 2>/dev/null || true
wineserver -p
trap 'wineserver -k' EXIT
wineboot -i >/dev/null 2>&1
# Wine's own fonts (fonts-wine: MS Sans Serif, Wingdings) where the programs of
# this prefix look for them.
cp -u /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
wine regedit /S scripts/wine/test-prefix.reg

ctest --test-dir "$build" --output-on-failure
