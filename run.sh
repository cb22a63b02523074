#!/usr/bin/env bash
# Installs what is missing, builds Vantrel and starts it.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh build run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target vantrel vantrel-reg

if [ -z "${DISPLAY:-}" ]; then
  echo "Vantrel needs an X display, and DISPLAY is not set." >&2
  echo "On a machine without one, try: scripts/with-display.sh ./run.sh" >&2
  exit 1
fi

# Without the database client the stand-in runs the scripts, so Vantrel can be tried anywhere.
if ! command -v esscmd.exe >/dev/null; then
  echo "esscmd.exe is not on PATH: using the stand-in in run/stand-in."
  PATH="$PWD/run/stand-in:$PATH"
  export PATH
fi
exec build/app/vantrel "$@"
