#!/usr/bin/env bash
# vantrel-reg on a store file that is not a database: the reason on stderr,
# a non-zero exit, and the file left exactly as it was.
set -u
tool=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/vantrel"
printf 'notes the user saved here\n' > "$home/vantrel/registry.sqlite3"
cp "$home/vantrel/registry.sqlite3" "$home/before"

XDG_CONFIG_HOME=$home "$tool" query 'HKCU\Software' 2> "$home/stderr"
status=$?

fail() { echo "FAIL: $*"; cat "$home/stderr"; exit 1; }
[ "$status" -eq 3 ] || fail "exit status $status, expected 3"
grep -q "not a database" "$home/stderr" || fail "stderr does not give the reason"
grep -q "registry.sqlite3" "$home/stderr" || fail "stderr does not name the file"
cmp -s "$home/before" "$home/vantrel/registry.sqlite3" || fail "the file was changed"
echo "vantrel-reg reports a damaged store and leaves it alone"
