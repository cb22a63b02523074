#!/usr/bin/env bash
# Runs a command on a private Xvfb that picks its own display number, so two
# runs on one machine never meet on one display. Ends the server with it.
#   scripts/with-display.sh [--dpi N] COMMAND [ARG...]
set -euo pipefail

dpi=()
if [ "${1:-}" = --dpi ]; then dpi=(-dpi "$2"); shift 2; fi

display_file=$(mktemp)
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 "${dpi[@]}" 3>"$display_file" 2>/dev/null &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; rm -f "$display_file"' EXIT
for _ in $(seq 400); do
    [ -s "$display_file" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.05
done
if [ ! -s "$display_file" ]; then
    echo "with-display: Xvfb did not start (is it installed?)" >&2
    exit 1
fi
DISPLAY=":$(cat "$display_file")" "$@"
