#!/usr/bin/env bash
# vantrel-reg looking at or deleting from a store that does not exist: nothing
# is found, and no file or folder is created.
set -u
tool=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT

fail() { echo "FAIL: $*"; exit 1; }
for command in query delete; do
    XDG_CONFIG_HOME=$home "$tool" "$command" 'HKCU\Software\Dravell\Kestrim' 2>/dev/null
    status=$?
    [ "$status" -eq 1 ] || fail "$command: exit status $status, expected 1"
    [ -z "$(ls -A "$home")" ] || fail "$command created $(ls -A "$home")"
done
XDG_CONFIG_HOME=$home "$tool" add 'HKCU\Software\Dravell\Kestrim' || fail "add failed"
[ -f "$home/vantrel/registry.sqlite3" ] || fail "add made no store"
XDG_CONFIG_HOME=$home "$tool" query 'HKCU\Software\Dravell\Kestrim' >/dev/null || fail "query after add"
echo "vantrel-reg creates the store only to add to it"
