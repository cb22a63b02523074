#!/usr/bin/env bash
# Times counting the script windows on desktops of 10, 100 and 1,000 top-level
# windows, under openbox and with no window manager, each on an Xvfb of its
# own: Vantrel's count kept from X events with nothing changed and after one
# change, a full walk, xdotool and wmctrl, and the CPU a 30 ms tick loop takes.
# The argument is the length of each tick loop in seconds (20 by default);
# BUILD_DIR picks the build folder (build by default).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build test bench

build="${BUILD_DIR:-build}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target window_count_bench
"$build/bench/window_count_bench" "$@"
