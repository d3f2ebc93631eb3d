#!/usr/bin/env bash
# Rendering on a Slurm cluster, end to end: starts the one-node cluster of
# scripts/slurm/local-cluster, renders the demo show as a 4-task array of
# ProRes segments plus the join job and compares the joined movie with a
# single-process render frame by frame (ffmpeg framemd5); runs a batch of
# 6 rows as 3 tasks; cancels a running task and checks its segment is
# closed and playable. The cluster is stopped on every way out. Exits 77
# (skipped) with the reason where Slurm cannot be started.
#
#   slurm_render_test.sh BIN_DIR SOURCE_DIR
set -euo pipefail

bin="$(cd "${1:?usage: $0 BIN_DIR SOURCE_DIR}" && pwd)"
src="$(cd "${2:?usage: $0 BIN_DIR SOURCE_DIR}" && pwd)"
slurm="$src/scripts/slurm"

skip() {
  echo "SKIPPED: $*"
  exit 77
}
fail() {
  echo "FAILED: $*" >&2
  exit 1
}

[ "$(id -u)" -eq 0 ] || skip "the local Slurm cluster needs root to start its daemons"
for tool in munged slurmctld slurmd sbatch squeue scontrol scancel ffmpeg ffprobe; do
  command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed (scripts/setup installs slurm-wlm and munge)"
done

work="$(mktemp -d)"
export TAVRILO_SLURM_DIR="$work/cluster"
# A port of its own, so that a cluster someone left running is not disturbed.
export TAVRILO_SLURM_PORT=$((20000 + $$ % 20000))
export SLURM_CONF="$TAVRILO_SLURM_DIR/slurm.conf"
export TAVRILO_RENDER="$bin/tavrilo-render"
export XDG_CONFIG_HOME="$work/config"
cleanup() {
  "$slurm/local-cluster" stop || true
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"

if ! "$slurm/local-cluster" start >start.log 2>&1; then
  cat start.log
  skip "the local Slurm cluster did not start here"
fi

# Waits (at most $1 seconds) until none of the jobs after it is in the queue.
wait_jobs() {
  local seconds="$1"
  shift
  local ids
  ids="$(
    IFS=,
    echo "$*"
  )"
  for _ in $(seq 1 "$seconds"); do
    if [ -z "$(squeue -h -j "$ids" 2>/dev/null)" ]; then
      return 0
    fi
    sleep 1
  done
  squeue
  fail "jobs $ids did not finish within $seconds seconds"
}

job_state() {
  scontrol show job "$1" | grep -o 'JobState=[A-Z_]*' | sort -u | tr '\n' ' '
}

frames() {
  ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$1"
}

# ---- a movie in 4 parts and the join, against one process
movie=(--size 160x120 --aa 25 --end 00:00:00:20 --hold 00:00:00:03 --reverse --codec apch)
read -r array join <<<"$("$slurm/submit-movie" 4 -o joined.mov "${movie[@]}")"
wait_jobs 300 "$array" "$join"
[ "$(job_state "$array")" = "JobState=COMPLETED " ] || fail "the array ended $(job_state "$array"): $(cat slurm-*.out)"
[ "$(job_state "$join")" = "JobState=COMPLETED " ] || fail "the join ended $(job_state "$join"): $(cat "slurm-$join.out")"
"$TAVRILO_RENDER" -o single.mov "${movie[@]}" >/dev/null
ffmpeg -v error -i joined.mov -f framemd5 joined.md5
ffmpeg -v error -i single.mov -f framemd5 single.md5
cmp -s joined.md5 single.md5 || fail "the joined movie differs from the single render: $(diff joined.md5 single.md5 | head)"
count="$(frames single.mov)"
[ "$count" -eq 52 ] && [ "$(frames joined.mov)" -eq "$count" ] || fail "frame counts $count and $(frames joined.mov)"
echo "4 parts joined: $count frames, framemd5 equal to the single render"

# ---- a batch of 6 rows in 3 tasks
cp "$src/examples/sales.txt" sales.txt
{
  printf '# show\tdata\toutput\toptions\n'
  printf '\t\tb0.mov\t--codec apch\n'
  printf '\tsales.txt\tb1.avi\t--codec MJPG\n'
  printf '%s\t\tb2.mov\t--aa 0\n' "$src/examples/sample.tvr"
  printf '\t\tb3.mov\t--end 00:00:00:05\n'
  printf '\tsales.txt\tb4.mov\t--reverse\n'
  printf '\t\tb5.avi\t\n'
} >jobs.tsv
batch="$("$slurm/submit-batch" 3 jobs.tsv --size 96x72 --aa 0 --end 00:00:00:10)"
wait_jobs 300 "$batch"
[ "$(job_state "$batch")" = "JobState=COMPLETED " ] || fail "the batch ended $(job_state "$batch"): $(cat slurm-"$batch"_*.out)"
for k in 0 1 2 3 4 5; do
  file="$(ls "b$k".*)"
  expected=10
  [ "$k" -eq 3 ] && expected=5
  [ "$k" -eq 4 ] && expected=20
  [ "$(frames "$file")" -eq "$expected" ] || fail "$file has $(frames "$file") frames, not $expected"
done
echo "batch of 6 rows in 3 tasks: 6 movies"

# ---- scancel: the task closes its segment and says so
read -r array join <<<"$("$slurm/submit-movie" 1 -o stopped.mov --size 96x72 --aa 0 --end 00:10:00:00 --codec apch)"
for _ in $(seq 1 60); do
  [ "$(squeue -h -j "$array" -o %T)" = RUNNING ] && break
  sleep 1
done
sleep 3
scancel "$array"
wait_jobs 120 "$array" "$join"
grep -q "stopped (SIGTERM); stopped.part0.mov is closed and holds" slurm-"$array"_0.out ||
  fail "no message from the cancelled task: $(cat slurm-"$array"_0.out)"
[ "$(frames stopped.part0.mov)" -gt 0 ] || fail "the cancelled task's segment cannot be played"
[ ! -e stopped.mov ] || fail "the join ran after a cancelled task"
echo "cancelled task: closed segment with $(frames stopped.part0.mov) frames"
