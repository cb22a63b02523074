#!/usr/bin/env bash
# Many vantrel-reg processes released at one moment on a store that does not
# exist yet, every other one adding a key of its own: every one must find a
# usable store and wait its turn to write (none may fail), and every key added
# must be there afterwards.
#   vantrel-reg-concurrent-start.sh VANTREL_REG [PROCESSES [query]]
# With "query" every process only reads.
set -u
tool=$1
count=${2:-40}
writers=$([ "${3:-}" = query ] && echo 0 || echo $((count / 2)))
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT

# Each process waits for one line on the gate; all lines are written at once.
mkfifo "$home/gate"
exec 3<>"$home/gate"
pids=()
for ((i = 0; i < count; i++)); do
    command=(query 'HKCU')
    ((i % 2 && writers > 0)) && command=(add "HKCU\\Software\\Start $i")
    (read -r _ <"$home/gate" && XDG_CONFIG_HOME=$home exec "$tool" "${command[@]}") \
        >/dev/null 2>>"$home/errors" &
    pids+=($!)
done
printf '%*s' "$count" '' | tr ' ' '\n' >&3

failures=0
for pid in "${pids[@]}"; do
    wait "$pid" || failures=$((failures + 1))
done
echo "$failures of $count simultaneous starts failed"
[ "$failures" -eq 0 ] || { sort "$home/errors" | uniq -c; exit 1; }
added=$(XDG_CONFIG_HOME=$home "$tool" query 'HKCU\Software' | grep -c 'Software\\Start ')
[ "$added" -eq "$writers" ] || { echo "FAIL: $added keys of $writers were added"; exit 1; }
