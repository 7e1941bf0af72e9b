# Shell helpers for the process benchmarks: source this file.

# Waits until a command succeeds, for at most $1 seconds.
wait_for() {
  local limit=$(( $(date +%s) + $1 )); shift
  until "$@"; do
    [ "$(date +%s)" -lt "$limit" ] || return 1
    sleep 0.1
  done
}

# utime + stime in clock ticks, from /proc/PID/stat or /proc/PID/task/TID/stat.
cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "$1"; }

# "tid name ticks", one line per thread of process $1.
thread_ticks() {
  local task
  for task in /proc/"$1"/task/*; do
    echo "${task##*/} $(tr ' ' '_' <"$task/comm") $(cpu_ticks "$task/stat")"
  done
}

# Per-thread % of one core between two thread_ticks snapshots ($1, $2) taken at
# $3 and $4, with $5 decimals (default 2).
thread_share() {
  join <(sort -k1,1 <<<"$1") <(sort -k1,1 <<<"$2") | awk -v hz="$(getconf CLK_TCK)" -v t0="$3" -v t1="$4" \
      -v decimals="${5:-2}" '{
    printf "  %-8s %-16s %6." decimals "f %%\n", $1, $2, 100 * (($5 - $3) / hz) / (t1 - t0)
  }'
}

# A scratch folder $work (named after $1) holding an empty $ports folder and
# the $log to record into. Processes started go into the pids array; on exit
# they are ended and the folder removed.
make_workspace() {
  work="$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")"
  ports="$work/ports"
  log="$work/charge.tvr"
  mkdir -p "$ports"
  pids=()
  trap end_workspace EXIT
}
end_workspace() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
