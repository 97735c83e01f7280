#!/usr/bin/env bash
# The guide's recipes for running one sweep on many machines work as the
# guide prints them: the Slurm job array on a real one-node Slurm cluster
# started here, and GNU parallel over local slots.
#
#   cluster_recipes.sh slurm|parallel PATH_DIRS EXAMPLES_DIR GUIDE
#
# PATH_DIRS (colon-separated) go in front of PATH, so that the recipes'
# `swirl` is the one just built.  The recipes are taken from GUIDE (the
# section "On a cluster"), never copied here, so that
# the guide cannot drift from what works.  Two substitutions, and only these,
# are made to them:
#
#   - the size of the study: the grids LGSG=0:0.8:81 and
#     D50=...:20001:log become LGSG=0:0.8:3 and D50=...:11:log (33 cases
#     instead of 1.6 million, 2 or 3 a shard);
#   - parallel: `--sshlogin 8/node1,8/node2` becomes `--sshlogin 8/:`, the
#     local machine's 8 slots (GNU parallel then ignores --transferfile,
#     --return and --cleanup: the files are already where they go).
#
# Each substitution must change the recipe, so that a guide whose grids or
# hosts were edited fails here instead of running a study of hours.  The
# merged table must equal the unsharded sweep of the same grids byte for
# byte.  The Slurm recipe also reruns a lost shard with the guide's
# `--array=K` line and merges again.
#
# The Slurm cluster lives in a temporary directory and is stopped, with
# every daemon this script started, on any exit: munged with a key of its
# own (0600) and its socket in a directory of its own (0755); slurmctld and
# slurmd in the foreground with a generated slurm.conf (proctrack/linuxproc,
# task/none, select/cons_tres, no accounting, no cgroups, no systemd) on a
# pair of ports found free first.  The node claims 128 CPUs
# (SlurmdParameters=config_overrides lets slurmd accept more than the
# machine has), so that the guide's 16 tasks of 8 CPUs start at once on a
# machine of any size; the rest of its line is what `slurmd -C` reports.
#
# Exit code 77 (ctest SKIP_RETURN_CODE): the tools are not installed, or,
# for Slurm, this is not root (slurmd launches jobs as their user).
set -u

skip() { echo "SKIPPED: $*"; exit 77; }
die() {
  echo "FAILED: $*" >&2
  local f
  # The cluster's logs, when it was started.
  for f in "${state:-/nonexistent}"/log/*; do
    [ -e "$f" ] || continue
    echo "== $f" >&2
    tail -n 20 "$f" >&2
  done
  exit 1
}

if [ $# -ne 4 ]; then
  echo "usage: cluster_recipes.sh slurm|parallel PATH_DIRS EXAMPLES_DIR GUIDE" >&2
  exit 2
fi
mode=$1
IFS=: read -r -a dirs <<< "$2"
for d in "${dirs[@]}"; do PATH="$(cd "$d" && pwd):$PATH"; done
export PATH
examples=$(cd "$3" && pwd)
guide=$4

case $mode in
  slurm)
    for tool in munged slurmctld slurmd sbatch sinfo squeue scancel; do
      command -v "$tool" >/dev/null 2>&1 ||
        skip "$tool not found: the Slurm recipe needs Debian's slurm-wlm and munge (scripts/test installs them as root)"
    done
    [ "$(id -u)" -eq 0 ] || skip "not root: slurmd must run as root to launch the jobs of the Slurm recipe"
    ;;
  parallel)
    command -v parallel >/dev/null 2>&1 ||
      skip "parallel not found: the recipe needs Debian's parallel (scripts/test installs it as root)"
    ;;
  *) echo "cluster_recipes.sh: unknown mode $mode" >&2; exit 2 ;;
esac

scratch=$(mktemp -d) || exit 2
chmod 0755 "$scratch"
pids=()  # the daemons started here, stopped on exit in reverse order

stop_all() {
  if [ "${SLURM_CONF:-}" != "" ] && [ -e "$SLURM_CONF" ]; then
    # The jobs of this cluster only: its commands read its slurm.conf.
    local jobs
    jobs=$(squeue -h -o %i 2>/dev/null)
    # shellcheck disable=SC2086  # one id a word
    [ -z "$jobs" ] || scancel --quiet --full $jobs >/dev/null 2>&1 || true
  fi
  local i pid n
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    pid=${pids[i]}
    kill "$pid" 2>/dev/null || continue
    for ((n = 0; n < 50; n++)); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid" 2>/dev/null; fi
  done
  rm -rf "$scratch"
}
trap stop_all EXIT
trap 'exit 1' INT TERM HUP

# --- the recipes, from the guide ------------------------------------------------

# Each ```sh block of the shards section into $scratch/block.N, in order.
awk -v out="$scratch/block" '
  /^### / { section = ($0 ~ /^### On a cluster/) }
  /^```/ { if (inside) { inside = 0; next } if (section && $0 == "```sh") { inside = 1; n++; printf "" > (out "." n) } next }
  inside { print >> (out "." n) }
' "$guide"
ls "$scratch"/block.* >/dev/null 2>&1 || die "$guide has no \`\`\`sh block under \"### On a cluster\""

# The first block that matches an extended regular expression (run in $(...):
# its caller exits when it fails).
block_with() {
  local b
  for b in $(printf '%s\n' "$scratch"/block.* | sort -V); do
    if grep -Eq -- "$1" "$b"; then echo "$b"; return 0; fi
  done
  die "$guide: no recipe block matches /$1/"
}

# Fails when a substitution changed nothing.
substituted() {  # before after what
  local before=$1 after=$2 what=$3
  if cmp -s "$before" "$after"; then die "$guide: the recipe no longer has $what to substitute (see this script's header)"; fi
}

small_study() {  # in out
  sed -e 's/LGSG=0:0\.8:81/LGSG=0:0.8:3/g' "$1" > "$2.tmp" || exit 2
  substituted "$1" "$2.tmp" "the grid LGSG=0:0.8:81"
  sed -e 's/\(D50=[0-9.e-]*:[0-9.e-]*\):20001:log/\1:11:log/g' "$2.tmp" > "$2" || exit 2
  substituted "$2.tmp" "$2" "the grid D50=...:20001:log"
  rm -f "$2.tmp"
}

work=$scratch/work
mkdir "$work" && cp "$examples"/*.DAT "$work"/ || exit 2
export HOME=$scratch/home  # GNU parallel keeps its notes under ~/.parallel
mkdir "$HOME"

# The unsharded study: the recipe's sweep without --shard, --jobs and -o.
whole_study() {  # recipe-file
  local line
  line=$(sed -e ':a' -e '/\\$/{N;s/\\\n//;ba' -e '}' "$1" | grep -m1 -E '(^|[[:space:]])swirl sweep ') ||
    die "no swirl sweep in the recipe"
  line=${line#*swirl sweep }
  line=$(sed -E -e 's/ --shard [^ ]+//; s/ --jobs [^ ]+//; s/ -o [^ ]+//; s/ :::.*//' <<< "$line")
  # shellcheck disable=SC2086  # the recipe's own words
  (cd "$work" && eval "swirl sweep $line --no-progress -o whole.csv") || die "the unsharded study fails: swirl sweep $line"
}

# Runs the lines of a recipe block in the work directory, bounded in time.
run_block() {  # file what
  local rc=0
  (cd "$work" && timeout 60 bash -e "$1") > "$scratch/run.log" 2>&1 || rc=$?
  [ $rc -eq 0 ] || { cat "$scratch/run.log" >&2; die "$2 fails (exit $rc)"; }
}

same_as_whole() {  # what
  cmp "$work/kerva-grade-all.csv" "$work/whole.csv" ||
    die "$1: the merged table differs from the unsharded study"
  echo "$1: the merged table is the unsharded study's, $(($(wc -l < "$work/whole.csv") - 1)) rows"
}

# --- GNU parallel ----------------------------------------------------------------

if [ "$mode" = parallel ]; then
  recipe=$(block_with '^parallel ') || exit 1
  small_study "$recipe" "$scratch/parallel.small"
  sed -e 's|--sshlogin 8/node1,8/node2|--sshlogin 8/:|' "$scratch/parallel.small" > "$scratch/parallel.sh"
  substituted "$scratch/parallel.small" "$scratch/parallel.sh" "--sshlogin 8/node1,8/node2"
  whole_study "$scratch/parallel.sh"
  run_block "$scratch/parallel.sh" "the GNU parallel recipe"
  same_as_whole "GNU parallel"
  exit 0
fi

# --- Slurm -----------------------------------------------------------------------

script=$(block_with '^#SBATCH --array=') || exit 1
submit=$(block_with '^sbatch --wait [^-]') || exit 1
rerun=$(block_with '^sbatch .*--array=[0-9]+ ') || exit 1
head -n1 "$script" | grep -q '^#!' || die "the job script of the guide does not start with #!"
script_name=$(grep -m1 -oE '[^ ]+\.sbatch' "$submit") || die "the guide's sbatch line names no .sbatch script"
small_study "$script" "$work/$script_name"
whole_study "$work/$script_name"

state=$scratch/slurm
mkdir -p "$state"/munge "$state"/socket "$state"/ctld "$state"/spool "$state"/log || exit 2
chmod 0700 "$state"/munge
chmod 0755 "$state"/socket

# A pair of ports that nothing listens on (another cluster may hold one).
port_free() {
  if command -v ss >/dev/null 2>&1; then
    [ -z "$(ss -Hltn "sport = :$1" 2>/dev/null)" ] || return 1
  fi
  ! (exec 3<> "/dev/tcp/127.0.0.1/$1") 2>/dev/null
}
ctld_port=
for _ in $(seq 1 50); do
  p=$((20000 + RANDOM % 30000))
  if port_free "$p" && port_free "$((p + 1))"; then ctld_port=$p; break; fi
done
[ -n "$ctld_port" ] || die "no free pair of ports found"

node=$(hostname -s)
hardware=$(slurmd -C | head -n1) || die "slurmd -C fails"
memory=$(grep -oE 'RealMemory=[0-9]+' <<< "$hardware") || memory=RealMemory=1000
munge_socket=$state/socket/munge.socket
export SLURM_CONF=$state/slurm.conf
: > "$state/plugstack.conf"
cat > "$SLURM_CONF" <<EOF
ClusterName=swirltest
SlurmctldHost=$node(127.0.0.1)
SlurmctldPort=$ctld_port
SlurmdPort=$((ctld_port + 1))
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$munge_socket
StateSaveLocation=$state/ctld
SlurmdSpoolDir=$state/spool
SlurmctldPidFile=$state/slurmctld.pid
SlurmdPidFile=$state/slurmd.pid
SlurmctldLogFile=$state/log/slurmctld.log
SlurmdLogFile=$state/log/slurmd.log
PlugStackConfig=$state/plugstack.conf
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
AccountingStorageType=accounting_storage/none
JobAcctGatherType=jobacct_gather/none
JobCompType=jobcomp/none
MpiDefault=none
SwitchType=switch/none
SchedulerType=sched/backfill
SchedulerParameters=batch_sched_delay=0
SlurmdParameters=config_overrides
ReturnToService=2
MinJobAge=0
MailProg=/bin/true
NodeName=$node NodeAddr=127.0.0.1 CPUs=128 Boards=1 SocketsPerBoard=1 CoresPerSocket=128 ThreadsPerCore=1 $memory State=UNKNOWN
PartitionName=swirl Nodes=$node Default=YES MaxTime=INFINITE State=UP
EOF

dd if=/dev/urandom of="$state/munge/munge.key" bs=1024 count=1 status=none || exit 2
chmod 0600 "$state/munge/munge.key"
munged --force --key-file="$state/munge/munge.key" --socket="$munge_socket" --pid-file="$state/munge/munged.pid" \
  --log-file="$state/log/munged.log" --seed-file="$state/munge/munged.seed" || die "munged does not start"
pids+=("$(cat "$state/munge/munged.pid")")
slurmctld -D -f "$SLURM_CONF" > "$state/log/slurmctld.out" 2>&1 &
pids+=($!)
slurmd -D -f "$SLURM_CONF" > "$state/log/slurmd.out" 2>&1 &
pids+=($!)

# The node idle, within 30 s, the daemons alive all along.
started=$SECONDS
until [ "$(sinfo -h -n "$node" -o %t 2>/dev/null)" = idle ]; do
  for pid in "${pids[@]}"; do kill -0 "$pid" 2>/dev/null || die "a daemon of the cluster ended (pid $pid)"; done
  [ $((SECONDS - started)) -lt 30 ] || die "the node is not idle after 30 s"
  sleep 0.2
done
echo "Slurm: one node idle after $((SECONDS - started)) s, ports $ctld_port and $((ctld_port + 1))"

# The guide's submission and merge.
run_block "$submit" "the Slurm recipe"
same_as_whole "Slurm"

# A lost shard is refused, then rerun alone as the guide says, and merged.
k=$(grep -m1 -oE -- '--array=[0-9]+' "$rerun" | cut -d= -f2)
part=$(printf '%02d' "$k")
rm -f "$work/part-$part.csv" "$work/part-$part.csv.json" "$work/kerva-grade-all.csv"
merge_line=$(grep -m1 -E '^swirl merge ' "$submit") || die "the guide's Slurm recipe has no swirl merge line"
(cd "$work" && eval "$merge_line") > "$scratch/lost.log" 2>&1
rc=$?
[ $rc -eq 64 ] || die "a merge without shard $k ends with $rc, not 64: $(cat "$scratch/lost.log")"
grep -q "shard $k of" "$scratch/lost.log" || die "a merge without shard $k does not name it: $(cat "$scratch/lost.log")"
[ ! -e "$work/kerva-grade-all.csv" ] || die "a refused merge wrote its output"
run_block "$rerun" "the rerun of shard $k"
same_as_whole "Slurm, shard $k rerun"
