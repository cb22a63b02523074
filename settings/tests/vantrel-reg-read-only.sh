#!/usr/bin/env bash
# vantrel-reg on a store on a read-only file system: a query still reads it and
# says that changes will not be kept; an add fails. The file system is a tmpfs
# in a mount namespace of its own (exit 77, skipped, where none may be made).
set -u
tool=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/vantrel"
unshare -rm true 2>/dev/null || { echo "no mount namespace may be made here"; exit 77; }

export TOOL=$tool XDG_CONFIG_HOME=$home
unshare -rm bash -c '
    fail() { echo "FAIL: $*"; cat "$XDG_CONFIG_HOME/stderr"; exit 1; }
    mount -t tmpfs -o size=1m tmpfs "$XDG_CONFIG_HOME/vantrel" || exit 77
    "$TOOL" add "HKCU\Software\Kept" || fail "the store could not be made"
    mount -o remount,ro "$XDG_CONFIG_HOME/vantrel" || exit 77
    "$TOOL" query "HKCU\Software" >"$XDG_CONFIG_HOME/stdout" 2>"$XDG_CONFIG_HOME/stderr" ||
        fail "query exit status $?, expected 0"
    grep -q "HKEY_CURRENT_USER\\\\Software\\\\Kept" "$XDG_CONFIG_HOME/stdout" || fail "the key was not read"
    grep -q "changes will not be kept" "$XDG_CONFIG_HOME/stderr" || fail "no word that changes are lost"
    "$TOOL" add "HKCU\Software\Lost" 2>"$XDG_CONFIG_HOME/stderr"
    status=$?
    [ "$status" -eq 3 ] || fail "add exit status $status, expected 3"
    echo "vantrel-reg reads a read-only store and says changes are not kept"
'
