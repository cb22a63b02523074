#!/usr/bin/env bash
# Installs what is missing, builds Vantrel and runs every test under a virtual display.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh build run test

werror=OFF
[ -n "${CI:-}" ] && werror=ON
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_WERROR="$werror"
cmake --build build

xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" \
  ctest --test-dir build --output-on-failure
xvfb-run -a -s "-screen 0 1280x1024x24" scripts/test-windows.sh
