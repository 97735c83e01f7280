#!/usr/bin/env bash
# Checks the relative links of README.md and docs/*.md under each ROOT given:
# the linked file must exist, and a #fragment must name a heading of it (as
# the usual Markdown renderers derive anchors: lower case, punctuation
# dropped, blanks turned into hyphens).  Links with a scheme (https:, mailto:)
# and text inside code are not looked at.
#
#   check_links.sh [--self-test] ROOT...
#
# --self-test first makes sure that a broken file link and a broken fragment
# are reported.  Exit 1 when a link does not resolve.
set -euo pipefail
export LC_ALL=C.UTF-8

# Prints the text of a Markdown file with fenced code blocks and inline code
# spans removed, one output line per input line.
prose() {
    awk '/^[ \t]*```/ { fenced = !fenced; print ""; next } { print fenced ? "" : $0 }' "$1" |
        sed 's/`[^`]*`//g'
}

# Prints the anchors of the headings of a Markdown file, one per line.
anchors() {
    local heading
    prose "$1" | sed -n 's/^#\{1,6\}[ \t]\{1,\}//p' | while IFS= read -r heading; do
        heading="${heading,,}"
        heading="$(sed 's/[^[:alnum:] _-]//g' <<<"$heading")"
        echo "${heading// /-}"
    done
}

# Checks the links of FILE; prints one line per broken link.  Returns 1 when
# there is one.
check_file() {
    local file="$1" dir target path fragment resolved line_no text status=0
    dir="$(dirname "$file")"
    while IFS=: read -r line_no text; do
        target="${text#](}"
        target="${target%)}"
        target="${target%% *}"  # drop a link title: [x](path "title")
        case "$target" in
            [a-zA-Z]*:*) continue ;;  # https:, mailto: and the like
        esac
        path="${target%%#*}"
        fragment=""
        [[ "$target" == *"#"* ]] && fragment="${target#*#}"
        if [ -z "$path" ]; then
            resolved="$file"
        else
            resolved="$dir/$path"
        fi
        if [ ! -e "$resolved" ]; then
            echo "$file:$line_no: $target: no such file ($resolved)"
            status=1
            continue
        fi
        # (grep -q would stop reading early: compare against the whole list.)
        if [ -n "$fragment" ] && ! grep -qxF -- "$fragment" <<<"$(anchors "$resolved")"; then
            echo "$file:$line_no: $target: no heading with the anchor #$fragment in $resolved"
            status=1
        fi
    done < <(prose "$file" | grep -noE '\]\([^)]+\)' || true)
    return $status
}

check_root() {
    local root="$1" file status=0 count=0
    if [ ! -f "$root/README.md" ] || [ ! -d "$root/docs" ]; then
        echo "$root: no README.md and docs/ here"
        return 1
    fi
    for file in "$root/README.md" "$root"/docs/*.md; do
        check_file "$file" || status=1
        count=$((count + 1))
    done
    [ $status -eq 0 ] && echo "$root: the links of $count files resolve"
    return $status
}

self_test() {
    local scratch
    scratch="$(mktemp -d "${TMPDIR:-/tmp}/check_links.XXXXXX")"
    mkdir "$scratch/docs"
    printf '# Guide\n\n## Две части — one\n\nSee [it](#две-части--one) and [back](../README.md#top).\n' \
        >"$scratch/docs/GUIDE.md"
    printf '# Top\n\n[guide](docs/GUIDE.md) [part](docs/GUIDE.md#guide) [web](https://example.org)\n`[no](code.md)`\n' \
        >"$scratch/README.md"
    local ok=1
    check_root "$scratch" >/dev/null || { echo "self-test: good links reported as broken"; ok=0; }
    printf '[gone](docs/MISSING.md)\n' >>"$scratch/README.md"
    check_root "$scratch" >/dev/null && { echo "self-test: a missing file went unnoticed"; ok=0; }
    printf '# Top\n\n[part](docs/GUIDE.md#nothing-here)\n' >"$scratch/README.md"
    check_root "$scratch" >/dev/null && { echo "self-test: a missing anchor went unnoticed"; ok=0; }
    rm -rf -- "$scratch"
    [ $ok -eq 1 ]
}

status=0
if [ "${1:-}" = --self-test ]; then
    shift
    self_test || exit 1
fi
if [ $# -eq 0 ]; then
    echo "usage: check_links.sh [--self-test] ROOT..." >&2
    exit 2
fi
for root in "$@"; do
    check_root "$root" || status=1
done
exit $status
