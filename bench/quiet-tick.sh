#!/usr/bin/env bash
# CPU cost of a quiet run's 30 ms launch tick: Vantrel and the X server
# together, on a private Xvfb with openbox, while three stand-in scripts run
# (a fourth waits, so the tick keeps counting) among 0, 100 and 1000 other
# top-level windows. The peer is the same desktop with Vantrel idle (no run).
# Arguments: the seconds each figure is measured over (default 10), then the
# numbers of other windows to measure among (default 0 100 1000).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build run bench

seconds=${1:-10}
shift $(($# > 0 ? 1 : 0))
cases=("$@")
[ ${#cases[@]} -gt 0 ] || cases=(0 100 1000)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target vantrel vantrel-reg other_windows >/dev/null

work=$(mktemp -d)
pids=()
cleanup() {
  # The scripts' terminals end with their X server.
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# Jiffies of user and system time a process has used.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# CPU use of Vantrel and the X server over the measuring time, in percent of one core.
measure() {
  local v0 x0 v1 x1 hz
  hz=$(getconf CLK_TCK)
  v0=$(cpu_ticks "$vantrel"); x0=$(cpu_ticks "$xvfb")
  sleep "$seconds"
  v1=$(cpu_ticks "$vantrel"); x1=$(cpu_ticks "$xvfb")
  awk -v v=$((v1 - v0)) -v x=$((x1 - x0)) -v hz="$hz" -v s="$seconds" \
    'BEGIN { printf "%.1f %.1f %.1f\n", 100 * v / hz / s, 100 * x / hz / s, 100 * (v + x) / hz / s }'
}

# Waits until the X server and openbox have each used at most one jiffy in a
# second (openbox takes minutes to frame 1000 new windows, and frames them one
# by one while the server idles), five minutes at most.
wait_until_quiet() {
  local x v waited
  for waited in $(seq 300); do
    x=$(cpu_ticks "$xvfb"); v=$(cpu_ticks "$openbox"); sleep 1
    [ $(($(cpu_ticks "$xvfb") - x)) -gt 1 ] || [ $(($(cpu_ticks "$openbox") - v)) -gt 1 ] || return 0
  done
  echo "the desktop did not settle in five minutes: the figures below are taken while it changes" >&2
}

# Maps that many other windows and waits until openbox has taken them on.
open_others() {
  rm -f "$2/others.out"
  build/bench/other_windows "$1" >"$2/others.out" & others_pid=$!; pids+=("$others_pid")
  until [ -s "$2/others.out" ]; do sleep 0.05; done
  wait_until_quiet
}

run_case() {
  local others=$1 case_dir="$work/$1"
  mkdir -p "$case_dir/bin"
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$case_dir/display" 2>/dev/null &
  xvfb=$!; pids+=("$xvfb")
  until [ -s "$case_dir/display" ]; do sleep 0.05; done
  export DISPLAY=":$(cat "$case_dir/display")"
  XDG_CONFIG_HOME=/nonexistent openbox --sm-disable 2>/dev/null & openbox=$!; pids+=("$openbox")
  until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do sleep 0.05; done

  export XDG_CONFIG_HOME="$case_dir/config" XDG_STATE_HOME="$case_dir/state"
  export PATH="$case_dir/bin:$PATH" ESSCMD_STANDIN_SECONDS=3600 ESSCMD_STANDIN_LOG="$case_dir/stand-in.log"
  ln -s "$PWD/run/stand-in/esscmd.exe" "$case_dir/bin/esscmd.exe"
  local reg=build/settings/vantrel-reg key='HKCU\Software\Dravell\Kestrim'
  $reg add "$key" /v Id /d 3 >/dev/null
  $reg add "$key" /v ShowRunMessages /d 0 >/dev/null
  for i in 1 2 3 4; do
    cp run/stand-in/samples/calc-q1.txt "$case_dir/calc-$i.txt"
    $reg add "$key\\EssCmdList\\0$i-$case_dir/calc-$i.txt" >/dev/null
  done
  build/app/vantrel 2>/dev/null & vantrel=$!; pids+=("$vantrel")
  # Found while the desktop is still empty: a search among 1000 windows is slow.
  local window
  until window=$(xdotool search --onlyvisible --name '^Vantrel$' 2>/dev/null | head -1) && [ -n "$window" ]; do
    sleep 0.05
  done
  open_others "$others" "$case_dir"
  read -r idle_v idle_x idle_sum < <(measure)
  # The others cover the window wherever openbox puts them: they go while Start is clicked.
  kill "$others_pid"
  until [ "$(xprop -root _NET_CLIENT_LIST | wc -w)" -le 6 ]; do sleep 0.2; done

  # Start, found by its place: the button's twips at 96 dots per inch, below the menu bar.
  local start_y=$(( $(xwininfo -id "$window" | awk '/Height:/ { print $2 }') - 3990 / 15 + 3187 / 15 ))
  # A click while the server is still busy can be lost; a terminal starts well within 10 s.
  until [ -s "$case_dir/stand-in.log" ]; do
    xdotool mousemove --window "$window" 265 "$start_y" click 1
    for _ in $(seq 100); do [ -s "$case_dir/stand-in.log" ] && break; sleep 0.1; done
  done
  until [ "$(grep -c '^start' "$case_dir/stand-in.log" 2>/dev/null)" = 3 ]; do sleep 0.1; done
  open_others "$others" "$case_dir"
  read -r run_v run_x run_sum < <(measure)
  printf '%5d other windows: idle %5.1f%% (Vantrel %4.1f, X %4.1f)   quiet run %5.1f%% (Vantrel %4.1f, X %4.1f)\n' \
    "$others" "$idle_sum" "$idle_v" "$idle_x" "$run_sum" "$run_v" "$run_x"

  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  pids=()
  sleep 0.5
}

echo "CPU in percent of one core over ${seconds} s, Vantrel and Xvfb together:"
for others in "${cases[@]}"; do run_case "$others"; done
