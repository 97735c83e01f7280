#!/usr/bin/env bash
# Runs scripts/fuzz and scripts/bench with command lines they must refuse
# (exit 2, a reason and the usage line on stderr, nothing started) and with
# ones they must accept.  cmake, make, clang++, apt-get, python3 and valgrind
# are stubs that exit 99, so an accepted command line stops at its first tool.
#
#   arguments_test.sh SOURCE_DIR
set -uo pipefail

source_dir="$1"
scratch="$(mktemp -d "${TMPDIR:-/tmp}/script_args.XXXXXX")"
trap 'rm -rf -- "$scratch"' EXIT
mkdir "$scratch/bin"
for tool in cmake make clang++ apt-get python3 valgrind; do
    printf '#!/bin/sh\necho "stub %s $*" >>"%s/started"\nexit 99\n' "$tool" "$scratch" \
        >"$scratch/bin/$tool"
    chmod +x "$scratch/bin/$tool"
done

failures=0
# check SCRIPT EXPECT ARG...: EXPECT is "refused" or "accepted".
check() {
    local script="$1" expect="$2"
    shift 2
    rm -f "$scratch/started"
    PATH="$scratch/bin:$PATH" timeout 20 "$source_dir/scripts/$script" "$@" \
        </dev/null >"$scratch/out" 2>"$scratch/err"
    local rc=$? problem=""
    if [ "$expect" = refused ]; then
        if [ $rc -ne 2 ]; then
            problem="exit $rc, not 2"
        elif ! grep -q "^usage: scripts/$script " "$scratch/err"; then
            problem="no usage line on stderr"
        elif [ "$(wc -l <"$scratch/err")" -ne 2 ]; then
            problem="stderr is not one reason and the usage line"
        elif [ -s "$scratch/out" ] || [ -e "$scratch/started" ]; then
            problem="it printed to stdout or started a tool"
        fi
    elif [ $rc -eq 2 ] || grep -q '^usage:' "$scratch/err"; then
        problem="refused (exit $rc)"
    fi
    if [ -n "$problem" ]; then
        echo "FAIL scripts/$script $*: $problem"
        sed 's/^/    stderr: /' "$scratch/err"
        failures=$((failures + 1))
    else
        echo "ok   scripts/$script $* ($expect, exit $rc)"
    fi
}

check fuzz refused --time abc
check fuzz refused --time
check fuzz refused bilm --time
check fuzz refused --time 0
check fuzz refused --time=
check fuzz refused --time -5
check fuzz refused --bogus
check fuzz refused no_such_target
check fuzz accepted --time 5 bilm zarn1
check fuzz accepted --time=007

check bench refused --rounds
check bench refused --rounds abc
check bench refused --rounds 0
check bench refused --rounds=2x
check bench refused --callgrind --bogus
check bench refused extra
check bench accepted --rounds 2 --callgrind
check bench accepted --rounds=08

[ $failures -eq 0 ] || { echo "$failures command lines handled wrongly"; exit 1; }
