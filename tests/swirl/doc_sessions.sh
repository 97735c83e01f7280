#!/usr/bin/env bash
# The sessions a guide shows are real: each is run again against the built
# tools and must print exactly what the guide says it prints.
#
#   doc_sessions.sh PATH_DIRS EXAMPLES_DIR IMAGES_DIR GUIDE...
#
# PATH_DIRS (colon-separated) go in front of PATH, so that the guide's
# `swirl` and the programs are the ones just built.  Each checked block runs
# in a scratch directory of its own holding copies of EXAMPLES_DIR/*.DAT, as
# a reader who follows the guide would start.  Three kinds of block are
# checked, all others are prose:
#
#   - a plain ``` block whose first line starts with "$ ": a terminal
#     session.  Each "$ " line is a command, run in one shell in turn (so
#     `echo $?` sees the command before it); the lines after it up to the
#     next command are its standard output and standard error together.
#   - a ```sh block followed directly by a ``` or ```json block: the
#     commands, then what they print.
#   - a ```sh block followed directly by a picture ![...](images/NAME.png):
#     the commands must write NAME.svg, byte for byte the one in IMAGES_DIR,
#     so that the pictures are the ones the commands make.
#
# Carriage returns are dropped from what the commands print (a table of a
# sweep ends its rows in CR LF; a guide cannot show them).
set -u

if [ $# -lt 4 ]; then
  echo "usage: doc_sessions.sh PATH_DIRS EXAMPLES_DIR IMAGES_DIR GUIDE..." >&2
  exit 2
fi
export PATH="$1:$PATH"
examples=$2
images=$3
shift 3

scratch=$(mktemp -d) || exit 2
trap 'rm -rf "$scratch"' EXIT
export LC_ALL=C.UTF-8 TMPDIR="$scratch"
unset VISUAL EDITOR

failures=0
checked=0

fail() {  # guide line message [expected-file actual-file]
  echo "$1:$2: $3" >&2
  if [ $# -ge 5 ]; then diff -u --label "the guide" --label "the tools" "$4" "$5" >&2; fi
  failures=$((failures + 1))
}

fresh_dir() {
  local dir
  dir=$(mktemp -d "$scratch/block.XXXXXX") || exit 2
  cp "$examples"/*.DAT "$dir"/
  echo "$dir"
}

# A terminal session: runs each "$ " command of the block (lines first..last)
# in one shell and rebuilds the transcript from what the commands print.
run_session() {  # guide first last
  local guide=$1 first=$2 last=$3 dir
  dir=$(fresh_dir)
  sed -n "${first},${last}p" "$guide" > "$dir/.expected"
  (
    cd "$dir" || exit 2
    rc=0
    while IFS= read -r line; do
      case $line in
        '$ '*)
          printf '%s\n' "$line"
          ( exit $rc ); eval "${line#\$ }" < /dev/null 2>&1 | tr -d '\r'
          rc=${PIPESTATUS[0]}
          ;;
      esac
    done < .expected
  ) > "$dir/.actual"
  checked=$((checked + 1))
  cmp -s "$dir/.expected" "$dir/.actual" ||
    fail "$guide" "$first" "the session prints something else" "$dir/.expected" "$dir/.actual"
}

# Commands (lines first..last) and what they print (lines out_first..out_last).
run_commands() {  # guide first last out_first out_last
  local guide=$1 first=$2 last=$3 dir
  dir=$(fresh_dir)
  sed -n "${first},${last}p" "$guide" > "$dir/.commands"
  sed -n "${4},${5}p" "$guide" > "$dir/.expected"
  (cd "$dir" && bash .commands < /dev/null 2>&1 | tr -d '\r') > "$dir/.actual"
  checked=$((checked + 1))
  cmp -s "$dir/.expected" "$dir/.actual" ||
    fail "$guide" "$first" "the commands print something else" "$dir/.expected" "$dir/.actual"
}

# Commands (lines first..last) that draw the picture images/NAME.png of the guide.
run_picture() {  # guide first last name
  local guide=$1 first=$2 last=$3 name=$4 dir
  dir=$(fresh_dir)
  sed -n "${first},${last}p" "$guide" > "$dir/.commands"
  (cd "$dir" && bash .commands < /dev/null > .actual 2>&1)
  checked=$((checked + 1))
  if [ ! -f "$dir/$name.svg" ]; then
    fail "$guide" "$first" "the commands write no $name.svg: $(head -c 300 "$dir/.actual")"
  elif ! cmp -s "$images/$name.svg" "$dir/$name.svg"; then
    fail "$guide" "$first" "the commands draw another $name.svg than $images/$name.svg"
  fi
}

for guide in "$@"; do
  mapfile -t lines < "$guide"
  n=${#lines[@]}
  i=0
  # Blocks as (kind, first line, last line), 1-based, without their fences.
  kinds=() firsts=() lasts=() afters=()
  while [ $i -lt $n ]; do
    if [[ ${lines[i]} =~ ^\`\`\`([a-z]*)$ ]]; then
      kind=${BASH_REMATCH[1]:-plain}
      start=$((i + 1))
      i=$((i + 1))
      while [ $i -lt $n ] && [ "${lines[i]}" != '```' ]; do i=$((i + 1)); done
      kinds+=("$kind") firsts+=($((start + 1))) lasts+=($i)
      # The first line after the block that is not blank.
      j=$((i + 1))
      while [ $j -lt $n ] && [ -z "${lines[j]}" ]; do j=$((j + 1)); done
      afters+=($j)
    fi
    i=$((i + 1))
  done

  for b in "${!kinds[@]}"; do
    first=${firsts[b]} last=${lasts[b]} after=${afters[b]}
    [ "$first" -le "$last" ] || continue
    if [ "${kinds[b]}" = plain ] && [[ ${lines[first - 1]} == '$ '* ]]; then
      run_session "$guide" "$first" "$last"
    elif [ "${kinds[b]}" = sh ]; then
      next=$((b + 1))
      if [ $next -lt ${#kinds[@]} ] && [ $((firsts[next] - 2)) -eq "$after" ] &&
         [[ ${kinds[next]} == plain || ${kinds[next]} == json ]]; then
        run_commands "$guide" "$first" "$last" "${firsts[next]}" "${lasts[next]}"
      elif [[ ${lines[after]:-} =~ ^!\[.*\]\(images/([^/]+)\.png\)$ ]]; then
        run_picture "$guide" "$first" "$last" "${BASH_REMATCH[1]}"
      fi
    fi
  done
done

echo "$checked blocks checked, $failures differ"
[ $checked -gt 0 ] && [ $failures -eq 0 ]
