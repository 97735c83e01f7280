#!/usr/bin/env bash
# The examples that help texts and guides give run as printed: every example
# of `swirl --help` and of each `swirl COMMAND --help`, and every command line
# of the guides' ```sh blocks that starts swirl or one of the programs.
#
#   doc_examples.sh PATH_DIRS EXAMPLES_DIR GUIDE...
#
# PATH_DIRS (colon-separated) go in front of PATH, so that the examples'
# `swirl` and programs are the ones just built.  Each help text's examples,
# and each block of a guide, run in turn in a scratch directory of their own
# holding copies of EXAMPLES_DIR/*.DAT, as a reader who tries them would
# start; each command must end with exit code 0.  $VISUAL is `true`, an
# editor that keeps the text as it is, so `swirl edit` ends without a person.
#
# Of a guide's ```sh block only the command lines are run (lines that start
# `swirl`, `ZARN1`, `KERVA` or `BILM`, after any VAR=value; a line ending in
# a backslash goes on in the next); the shell lines around them (cp, iconv,
# sed) are the reader's own.  `/path/to/.../PROGRAM` stands for the program
# wherever it is installed: it is run from PATH.  Not run: a synopsis (a line
# with [optional parts] or a placeholder FILE, PROGRAM or NAME), a script for another system (a block starting with
# #!), a recipe for a batch system (a block with a line starting sbatch, srun
# or parallel: cluster_recipes.sh runs those), and the blocks that
# doc_sessions.sh checks with what they print.
# `swirl serve` is stopped with a SIGINT after a second and must end with 0.
set -u

if [ $# -lt 3 ]; then
  echo "usage: doc_examples.sh PATH_DIRS EXAMPLES_DIR GUIDE..." >&2
  exit 2
fi
IFS=: read -r -a dirs <<< "$1"
for d in "${dirs[@]}"; do PATH="$(cd "$d" && pwd):$PATH"; done
export PATH
examples=$(cd "$2" && pwd)
shift 2

scratch=$(mktemp -d) || exit 2
trap 'rm -rf "$scratch"' EXIT
export LC_ALL=C.UTF-8 TMPDIR="$scratch" VISUAL=true
unset EDITOR

failures=0
checked=0

# Runs the commands (one a line) in a fresh directory; each must exit 0.
run_examples() {  # where commands-file
  local where=$1 dir cmd
  dir=$(mktemp -d "$scratch/case.XXXXXX") || exit 2
  cp "$examples"/*.DAT "$dir"/
  while IFS= read -r cmd; do
    checked=$((checked + 1))
    # A server runs until Ctrl-C: it gets one a second after its start and
    # must then stop cleanly (exit 0).
    local run=$cmd
    case $cmd in "swirl serve"*) run="timeout --preserve-status -s INT 1 $cmd" ;; esac
    if ! (cd "$dir" && eval "$run") < /dev/null > "$dir/.out" 2>&1; then
      echo "$where: \`$cmd\` fails: $(head -c 400 "$dir/.out")" >&2
      failures=$((failures + 1))
    fi
  done < "$2"
}

# The examples of one help text: after "Example: " on its line, or the
# indented lines after a line "Example:" or "Examples:".
help_examples() {
  awk '/^Examples?:/ { ex = 1; sub(/^Examples?: */, ""); if ($0 != "") print; next }
       ex && /^  / { sub(/^ +/, ""); print; next }
       { ex = 0 }'
}

list=$scratch/commands
commands=$(swirl --help | awk '/^Subcommands:/ { on = 1; next } on && /^  [a-z]/ { print $1 }')
[ -n "$commands" ] || { echo "swirl --help lists no commands" >&2; exit 1; }
for command in "" $commands; do
  # shellcheck disable=SC2086  # no command: swirl's own help
  swirl $command --help | help_examples > "$list"
  where="swirl${command:+ $command} --help"
  if [ ! -s "$list" ]; then
    echo "$where: no example" >&2
    failures=$((failures + 1))
  fi
  run_examples "$where" "$list"
done

for guide in "$@"; do
  # Blocks as the guide's reader sees them: kind, first line, lines.
  awk -v out="$scratch/block" '
    /^```/ {
      if (inside) { inside = 0; pending = 1; next }
      kind = substr($0, 4)
      if (pending && (kind == "" || kind == "json") && last_sh_file != "") {
        # A plain or json block right after an sh block: its output, checked by doc_sessions.sh.
        system("rm -f " last_sh_file)
      }
      inside = 1; script = 0; first = 1; pending = 0; joined = ""
      file = out "." NR
      if (kind == "sh") { last_sh_file = file; printf "" > file; close(file) } else last_sh_file = ""
      next
    }
    inside && kind == "sh" {
      line = $0
      if (first && line ~ /^#!/) { script = 1; system("rm -f " file); last_sh_file = "" }
      first = 0
      if (!script && line ~ /^(sbatch|srun|parallel)( |$)/) { script = 1; system("rm -f " file); last_sh_file = "" }
      if (script) next
      if (line ~ /\\$/) { joined = joined substr(line, 1, length(line) - 1); next }
      line = joined line; joined = ""
      sub(/[ \t]+#.*$/, "", line)
      if (line ~ /\[/ || line ~ /(^| )(FILE|PROGRAM|NAME)( |=|$)/) next
      if (line ~ /^([A-Za-z_]+=[^ ]* )*\/path\/to\/[^ ]*\/(ZARN1|KERVA|BILM)( |$)/) sub(/\/path\/to\/[^ ]*\//, "", line)
      if (line ~ /^\/path\/to\/(ZARN1|KERVA|BILM)( |$)/) sub(/\/path\/to\//, "", line)
      if (line ~ /^([A-Za-z_]+=[^ ]* )*(swirl|ZARN1|KERVA|BILM)( |$)/) print line >> file
      next
    }
    inside { next }
    /^!\[.*\]\(images\/.*\.png\)$/ { if (pending && last_sh_file != "") { system("rm -f " last_sh_file); last_sh_file = "" } }
    /[^ ]/ { pending = 0 }
  ' "$guide"
  for block in $(printf '%s\n' "$scratch"/block.* | sort -V); do
    [ -e "$block" ] || continue
    [ -s "$block" ] && run_examples "$guide:${block##*.}" "$block"
    rm -f "$block"
  done
done

echo "$checked examples run, $failures fail"
[ $checked -gt 0 ] && [ $failures -eq 0 ]
