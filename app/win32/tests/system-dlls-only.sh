#!/usr/bin/env bash
# A program that runs on any Windows from its folder alone: every DLL it
# imports is one Windows itself ships. Arguments: objdump, then the programs.
set -euo pipefail
objdump=$1
shift
system='^(advapi32|comctl32|comdlg32|gdi32|kernel32|msvcrt|ole32|shell32|user32|version)\.dll$'
status=0
for program in "$@"; do
  while read -r dll; do
    if ! grep -qiE "$system" <<<"$dll"; then
      echo "FAIL: $(basename "$program") needs $dll"
      status=1
    fi
  done < <("$objdump" -p "$program" | sed -n 's/^\s*DLL Name: //p')
done
exit $status
