#!/usr/bin/env bash
# Times Vantrel's start-up with 100 queued entries: from starting the process
# to its main window being mapped, over several runs. Prints each run and the median.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ]; then exec "$(dirname "$0")/../scripts/with-display.sh" "$0" "$@"; fi

runs=${1:-11}
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target vantrel vantrel-reg >/dev/null

XDG_CONFIG_HOME=$(mktemp -d)
export XDG_CONFIG_HOME
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT
for i in $(seq 1 100); do
  build/settings/vantrel-reg add "HKCU\\Software\\Dravell\\Kestrim\\EssCmdList\\$(printf %02d "$i")-/srv/scripts/calc-$i.txt"
done

times=()
for run in $(seq 1 "$runs"); do
  start=$(date +%s%N)
  build/app/vantrel &
  pid=$!
  # xdotool's own --sync polls only twice a second, too coarse for this.
  until xdotool search --onlyvisible --name '^Vantrel$' >/dev/null; do sleep 0.005; done
  end=$(date +%s%N)
  kill "$pid"; wait "$pid" 2>/dev/null || true
  times+=($(( (end - start) / 1000000 )))
  echo "run $run: ${times[-1]} ms"
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
echo "median start-up with 100 queued entries: ${sorted[$(( runs / 2 ))]} ms"
