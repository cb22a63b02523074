#!/usr/bin/env bash
# Times counting the script windows on desktops of 10, 100 and 1,000 top-level
# windows, under openbox and with no window manager, each on an Xvfb of its
# own: Vantrel's count kept from X events with nothing changed and after one
# change, a full walk, xdotool and wmctrl, and the CPU a 30 ms tick loop takes;
# then the CPU of Vantrel and of the X server during a quiet run among 1,000
# other windows (bench/quiet-tick.sh), and last the ratio against xdotool.
# The argument is the length of each tick loop and CPU measurement in seconds
# (20 by default); BUILD_DIR picks the build folder (build by default).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build test bench

seconds=${1:-20}
build="${BUILD_DIR:-build}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target window_count_bench

table=$(mktemp)
trap 'rm -f "$table"' EXIT
# The table as it comes; its last line, the ratio, is kept for the end.
"$build/bench/window_count_bench" "$seconds" | tee "$table" | head -n -1
bench/quiet-tick.sh "$seconds" 1000
tail -n 1 "$table"
