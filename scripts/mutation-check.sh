#!/usr/bin/env bash
# Measures how many small faults in the core the tests catch. Each fault of
# scripts/mutations.txt is put, one at a time, into a copy of the tree; the
# copy is rebuilt (one build folder, so each rebuild is incremental) and the
# tests the fault names are run. A fault is caught when the build or a test
# fails. Prints each fault's fate, then the caught out of the total and every
# fault that survived. The working tree is never changed.
#
#   scripts/mutation-check.sh [--work DIR] [--list] [--every] [FAULT...]
#
#   FAULT...    only these faults (by name); all of them by default
#   --list      checks that every fault still applies, lists them and ends
#   --every     runs every named test on each fault, not only up to the
#               first that fails, and writes each fault's catching tests to
#               catches.txt in the --work DIR: a test that catches only what
#               others catch too adds no bite
#   --work DIR  keeps the copy, its build and the logs in DIR, so that the
#               next check there rebuilds only what changed meanwhile;
#               by default they live in a temporary folder, removed at the end
#
# Not run by test.sh or CI: it takes long (see the README). Run it nice'd on
# a shared machine: nice -n 10 scripts/mutation-check.sh
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
faults_file=scripts/mutations.txt
test_timeout=180

work=""
list_only=false
every=false
wanted=()
while [ $# -gt 0 ]; do
    case $1 in
        --work) work=$2; shift 2 ;;
        --list) list_only=true; shift ;;
        --every) every=true; shift ;;
        -*) echo "unknown option: $1" >&2; exit 2 ;;
        *) wanted+=("$1"); shift ;;
    esac
done

die() { echo "mutation-check: $*" >&2; exit 1; }

# ---- The faults: "file:" and "tests:" hold for the faults that follow them;
# each fault is a "fault:" name, a "find:" snippet and a "put:" replacement,
# and, when the snippet occurs more than once, an "after:" snippet that
# occurs once before the occurrence meant.
names=() files=() tests=() afters=() finds=() puts=()
read_faults() {
    local file="" tests_now="" line key value number=0
    while IFS= read -r line || [ -n "$line" ]; do
        number=$((number + 1))
        [[ $line =~ ^[[:space:]]*(#|$) ]] && continue
        [[ $line =~ ^([a-z]+):[[:space:]]*(.*)$ ]] || die "$faults_file:$number: not 'key: value'"
        key=${BASH_REMATCH[1]} value=${BASH_REMATCH[2]}
        case $key in
            file) file=$value ;;
            tests) tests_now=$value ;;
            fault)
                [ -n "$file" ] && [ -n "$tests_now" ] || die "$faults_file:$number: fault before file: and tests:"
                names+=("$value") files+=("$file") tests+=("$tests_now") afters+=("") finds+=("") puts+=("")
                ;;
            after | find | put)
                [ ${#names[@]} -gt 0 ] || die "$faults_file:$number: $key: before any fault:"
                local last=$((${#names[@]} - 1))
                case $key in
                    after) afters[last]=$value ;;
                    find) finds[last]=$value ;;
                    put) puts[last]=$value ;;
                esac
                ;;
            *) die "$faults_file:$number: unknown key '$key'" ;;
        esac
    done <"$faults_file"
    local i
    for i in "${!names[@]}"; do
        [ -n "${finds[i]}" ] || die "fault ${names[i]} has no find: snippet"
        [ "${finds[i]}" != "${puts[i]}" ] || die "fault ${names[i]} changes nothing"
    done
}

# How often the snippet occurs in the text, counted without overlaps.
occurrences() {
    local text=$1 snippet=$2 count=0
    while [[ $text == *"$snippet"* ]]; do
        text=${text#*"$snippet"}
        count=$((count + 1))
    done
    echo "$count"
}

file_text() { IFS= read -r -d '' "$1" <"$2" || true; }

# Why fault $1 does not apply to the text $2; nothing when it does.
why_not_applied() {
    local i=$1 text=$2 count
    if [ -n "${afters[i]}" ]; then
        count=$(occurrences "$text" "${afters[i]}")
        [ "$count" -eq 1 ] || { echo "its after: snippet occurs $count times, not once: ${afters[i]}"; return; }
        text=${text#*"${afters[i]}"}
        [[ $text == *"${finds[i]}"* ]] || echo "its find: snippet does not occur after ${afters[i]}"
        return
    fi
    count=$(occurrences "$text" "${finds[i]}")
    [ "$count" -eq 1 ] || echo "its find: snippet occurs $count times, not once: ${finds[i]}"
}

# The text $2 with fault $1 in it.
with_fault() {
    local i=$1 text=$2 head=""
    if [ -n "${afters[i]}" ]; then
        head=${text%%"${afters[i]}"*}${afters[i]}
        text=${text#*"${afters[i]}"}
    fi
    printf '%s%s' "$head" "${text/"${finds[i]}"/"${puts[i]}"}"
}

# Every fault must still find its place in the code, or the check means nothing.
check_faults_apply() {
    local root=$1 i text why broken=0
    for i in "${selected[@]}"; do
        [ -f "$root/${files[i]}" ] || { echo "fault ${names[i]}: ${files[i]} does not exist" >&2; broken=1; continue; }
        file_text text "$root/${files[i]}"
        why=$(why_not_applied "$i" "$text")
        if [ -n "$why" ]; then
            echo "fault ${names[i]} in ${files[i]}: $why" >&2
            broken=1
        fi
    done
    [ "$broken" -eq 0 ] || die "some faults no longer apply; update $faults_file"
}

read_faults
selected=()
if [ ${#wanted[@]} -eq 0 ]; then
    selected=("${!names[@]}")
else
    for name in "${wanted[@]}"; do
        found=""
        for i in "${!names[@]}"; do [ "${names[i]}" = "$name" ] && found=$i; done
        [ -n "$found" ] || die "no fault named $name"
        selected+=("$found")
    done
fi
check_faults_apply "$repo"
if $list_only; then
    for i in "${selected[@]}"; do printf '%-44s %s\n' "${names[i]}" "${files[i]}"; done
    echo "${#selected[@]} faults, each applies exactly once"
    exit 0
fi

scripts/install-deps.sh build run test

# ---- The copy, its build and a display of our own.
keep_work=true
if [ -z "$work" ]; then
    work=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-mutation.XXXXXX")
    keep_work=false
fi
mkdir -p "$work/src" "$work/logs"
work=$(cd "$work" && pwd)
src=$work/src build=$work/build
xvfb_pid=""
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    $keep_work || rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Copies the working tree's files that differ, so the build sees only real changes.
sync_copy() {
    local path
    while IFS= read -r -d '' path; do
        [ -f "$path" ] || continue
        if ! cmp -s "$path" "$src/$path"; then
            mkdir -p "$src/$(dirname "$path")"
            cp -p "$path" "$src/$path"
            touch "$src/$path"
        fi
    done < <(git ls-files -z --cached --others --exclude-standard)
}

start_display() {
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 -dpi 96 3>"$work/display" 2>/dev/null &
    xvfb_pid=$!
    for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
    [ -s "$work/display" ] || die "Xvfb did not start"
    export DISPLAY=":$(cat "$work/display")"
}

build_targets() { cmake --build "$build" -j2 --target "$@" >"$work/logs/build.txt" 2>&1; }

# Test name, a tab, then its command line, for every test of the build.
declare -A test_command=()
read_tests() {
    local name command
    while IFS=$'\t' read -r name command; do test_command[$name]=$command; done < <(
        ctest --test-dir "$build" -N -V 2>/dev/null | awk '
            / Test command: / { sub(/^.* Test command: /, ""); command = $0 }
            /^ *Test +#[0-9]+: / { sub(/^ *Test +#[0-9]+: /, ""); print $0 "\t" command }')
    [ ${#test_command[@]} -gt 0 ] || die "ctest lists no tests"
}

# The ctest regex of the tests whose command line runs one of the targets.
tests_regex() {
    local -A wanted_targets=()
    local target name word words alternatives=""
    for target in "$@"; do wanted_targets[$target]=1; done
    for name in "${!test_command[@]}"; do
        read -r -a words <<<"${test_command[$name]}"
        for word in "${words[@]}"; do
            word=${word//\"/}
            if [ -n "${wanted_targets[${word##*/}]:-}" ]; then
                alternatives+="${alternatives:+|}$(printf '%s' "$name" | sed 's/[][\.*^$+?(){}|]/\\&/g')"
                break
            fi
        done
    done
    [ -n "$alternatives" ] || die "no test runs any of: $*"
    echo "^($alternatives)\$"
}

# Runs the tests; prints the ones that failed, the first of them first, and
# returns 1 when one did.
run_tests() {
    local log=$1 stop=--stop-on-failure
    shift
    $every && stop=""
    if ctest --test-dir "$build" -R "$(tests_regex "$@")" $stop \
        --timeout "$test_timeout" --output-on-failure >"$log" 2>&1; then
        return 0
    fi
    awk '/Test +#[0-9]+: / && !/ Passed / { sub(/^.*Test +#[0-9]+: /, ""); printf "%s ", $1 }' "$log"
    return 1
}

began=$SECONDS
echo "Copying the working tree to $src"
sync_copy
start_display
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$work/logs/configure.txt" 2>&1 ||
    die "the copy does not configure (see $work/logs/configure.txt)"
echo "Building the copy as it is"
cmake --build "$build" -j2 >"$work/logs/build.txt" 2>&1 || die "the copy does not build as it is"
read_tests

# Every test a fault names must pass without any fault, or a failure would tell nothing.
all_targets=()
for i in "${selected[@]}"; do all_targets+=(${tests[i]}); done
mapfile -t all_targets < <(printf '%s\n' "${all_targets[@]}" | sort -u)
# A target the list names that no longer exists would fail every build and pass for a catch.
build_targets "${all_targets[@]}" ||
    die "the targets the faults name do not build without a fault (see $work/logs/build.txt)"
echo "Running the tests without a fault: ${all_targets[*]}"
if ! failed=$(run_tests "$work/logs/without-fault.txt" "${all_targets[@]}"); then
    cat "$work/logs/without-fault.txt" >&2
    die "without any fault, $failed fails; fix the suite first"
fi
echo "They pass ($((SECONDS - began)) s so far)."

caught=0
survivors=()
: >"$work/catches.txt"
for i in "${selected[@]}"; do
    name=${names[i]} file=$src/${files[i]}
    fault_began=$SECONDS
    cp -p "$file" "$work/original"
    file_text text "$file"
    with_fault "$i" "$text" >"$file"
    if ! build_targets ${tests[i]}; then
        fate="caught by the build"
        cp "$work/logs/build.txt" "$work/logs/$name.txt"
    elif failed=$(run_tests "$work/logs/$name.txt" ${tests[i]}); then
        fate="SURVIVED"
    else
        fate="caught by ${failed%% *}"
        printf '%s\t%s\n' "$name" "$failed" >>"$work/catches.txt"
    fi
    # Restored with a new time, so the next build compiles it again.
    cp "$work/original" "$file"
    touch "$file"
    if [ "$fate" = SURVIVED ]; then survivors+=("$name"); else caught=$((caught + 1)); fi
    printf '%-44s %-60s %4d s\n' "$name" "$fate" $((SECONDS - fault_began))
done

total=${#selected[@]}
echo
echo "$caught of $total faults caught, in $(((SECONDS - began) / 60)) min $(((SECONDS - began) % 60)) s."
if [ ${#survivors[@]} -gt 0 ]; then
    echo "Survived:"
    for name in "${survivors[@]}"; do
        for i in "${selected[@]}"; do
            [ "${names[i]}" = "$name" ] && printf '  %-44s %s: %s  ->  %s\n' "$name" "${files[i]}" "${finds[i]}" "${puts[i]}"
        done
    done
fi
$keep_work && echo "Logs: $work/logs"
exit 0
