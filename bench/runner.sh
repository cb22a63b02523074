#!/usr/bin/env bash
# How long the script runner adds to a launch: the stand-in esscmd.exe started
# directly and under vantrel-script, alternately, timed from the fork to its
# first output line and to its end. The argument is the number of launches of
# each (200 by default); BUILD_DIR picks the build folder (build by default).
# Prints the medians.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build

build="${BUILD_DIR:-build}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target vantrel-script runner_bench
"$build/bench/runner_bench" "$build/app/vantrel-script" "$PWD/run/stand-in/esscmd.exe" "${1:-200}"
