#!/usr/bin/env bash
# vantrel-reg looking at or deleting from a store that does not exist, or given
# a command it cannot run: it creates no file or folder.
set -u
tool=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT

fail() { echo "FAIL: $*"; exit 1; }
# Each line: the exit status, then the arguments.
while read -r expected arguments; do
    eval "set -- $arguments"
    XDG_CONFIG_HOME=$home "$tool" "$@" 2>/dev/null
    status=$?
    [ "$status" -eq "$expected" ] || fail "$arguments: exit status $status, expected $expected"
    [ -z "$(ls -A "$home")" ] || fail "$arguments created $(ls -A "$home")"
done <<'COMMANDS'
1 query 'HKCU\Software\Dravell\Kestrim'
1 delete 'HKCU\Software\Dravell\Kestrim'
2 add 'HKCU\x' /v N
2 add 'HKCU\x' /d D
2 add 'HKCU\x' /q
2 add 'HKCU\x' /v N /d D /v M
2 add 'HKLM\x'
2 add 'HKCU\a\\b'
2 add
2 delete HKCU
COMMANDS
XDG_CONFIG_HOME=$home "$tool" add 'HKCU\Software\Dravell\Kestrim' || fail "add failed"
[ -f "$home/vantrel/registry.sqlite3" ] || fail "add made no store"
XDG_CONFIG_HOME=$home "$tool" query 'HKCU\Software\Dravell\Kestrim' >/dev/null || fail "query after add"
echo "vantrel-reg creates the store only to add to it"
