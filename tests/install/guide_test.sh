#!/bin/bash
# The installed programs' --help names the guide in the installed tree, and a
# copy of a program outside any installation says that no guide is there.
# Usage: guide_test.sh PREFIX DOCDIR (DOCDIR relative to PREFIX)
set -u
prefix=$(realpath "$1") docdir=$2
status=0
fail() { echo "FAIL: $*" >&2; status=1; }
scratch=$(mktemp -d) && trap 'rm -rf "$scratch"' EXIT
for p in BILM KERVA ZARN1; do
  guide="$prefix/$docdir/docs/$p.md"
  [[ -f $guide ]] || fail "$guide is not installed"
  out=$(cd "$scratch" && "$prefix/bin/$p" --help) || fail "$p --help exits $?"
  grep -qxF "Guide: $guide" <<<"$out" || fail "$p --help does not name $guide: $(grep Guide <<<"$out")"
  cp "$prefix/bin/$p" "$scratch/$p"
  out=$(cd "$scratch" && "./$p" --help) || fail "copied $p --help exits $?"
  grep -qxF "Guide: $p.md in docs/ of the sources (not installed with this program)" <<<"$out" ||
    fail "a copy of $p outside the prefix names: $(grep Guide <<<"$out")"
  rm "$scratch/$p"
done
[[ -z $(ls -A "$scratch") ]] || fail "--help left files: $(ls -A "$scratch")"
exit $status
