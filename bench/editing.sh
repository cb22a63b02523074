#!/usr/bin/env bash
# Times the queue editing commands with their store changes in one transaction
# against the same changes committed key by key. BUILD_DIR picks the build
# folder (build by default); arguments go to the benchmark program.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build test

build="${BUILD_DIR:-build}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target editing_bench
"$build/bench/editing_bench" "$@"
