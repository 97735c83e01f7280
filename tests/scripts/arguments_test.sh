#!/usr/bin/env bash
# Runs scripts/fuzz, scripts/bench, scripts/test and scripts/demo with command
# lines they must refuse (exit 2, a reason and the usage line on stderr,
# nothing started), answer (--help: the usage on stdout, exit 0, nothing
# started) or accept.  cmake, ctest, make, clang++, apt-get, python3 and
# valgrind are stubs that exit 99 (STUB_RC when set), so an accepted command
# line stops at its first tool.
#
#   arguments_test.sh SOURCE_DIR
set -uo pipefail

source_dir="$1"
scratch="$(mktemp -d "${TMPDIR:-/tmp}/script_args.XXXXXX")"
trap 'rm -rf -- "$scratch"' EXIT
mkdir "$scratch/bin"
for tool in cmake ctest make clang++ apt-get python3 valgrind; do
    printf '#!/bin/sh\necho "stub %s $*" >>"%s/started"\nexit ${STUB_RC:-99}\n' "$tool" "$scratch" \
        >"$scratch/bin/$tool"
    chmod +x "$scratch/bin/$tool"
done

failures=0
# check SCRIPT EXPECT ARG...: EXPECT is "refused", "answered" or "accepted".
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
    elif [ "$expect" = answered ]; then
        if [ $rc -ne 0 ]; then
            problem="exit $rc, not 0"
        elif ! grep -q "^usage: scripts/$script " "$scratch/out"; then
            problem="no usage line on stdout"
        elif [ -s "$scratch/err" ] || [ -e "$scratch/started" ]; then
            problem="it printed to stderr or started a tool"
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
check bench accepted --startup
check bench refused --startup --callgrind
check bench refused --rounds 2 --startup

check test answered --help
check test answered -h
check test refused --bogus
check test refused extra
check test refused --quick --bogus
check test accepted --quick
check test accepted

check demo refused nosuch
check demo refused BILM --bogus

# --quick with tools that succeed: the default build and its tests, and
# nothing of the sanitizer build or the fuzz run.
rm -f "$scratch/started"
if ! STUB_RC=0 PATH="$scratch/bin:$PATH" timeout 20 "$source_dir/scripts/test" --quick \
        </dev/null >"$scratch/out" 2>"$scratch/err"; then
    echo "FAIL scripts/test --quick with working tools: exit $?"
    failures=$((failures + 1))
elif ! grep -qx 'stub ctest --preset default -j2' "$scratch/started" || grep -q 'asan\|fuzz' "$scratch/started"; then
    echo "FAIL scripts/test --quick started:"
    sed 's/^/    /' "$scratch/started"
    failures=$((failures + 1))
else
    echo "ok   scripts/test --quick runs the default build's tests only"
fi

[ $failures -eq 0 ] || { echo "$failures command lines handled wrongly"; exit 1; }
