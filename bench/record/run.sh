#!/usr/bin/env bash
# trelvane-record recording the charger simulator at the full line rate:
# 76-byte frames back to back at 9600 baud (one every 80 ms), no display.
#
# Once the log holds its first record, the recorder's CPU time (utime + stime
# of all its threads) is read over SECONDS of recording and given as % of one
# core, per thread as well; peak memory is VmHWM at the end.
#
#   bench/record/run.sh [--build DIR] [--seconds N]
#
# Needs trelvane-record and trelvane-charger-sim built in DIR (default: build).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$here/bench/common/process-cpu.sh"
build="$here/build"
seconds=60
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build="$(cd "$2" && pwd)"; shift 2 ;;
    --seconds) seconds="$2"; shift 2 ;;
    -h|--help) sed -n '2,11p' "$0"; exit 0 ;;
    *) echo "run.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
bin="$build/bin"
for tool in "$bin/trelvane-record" "$bin/trelvane-charger-sim"; do
  [ -x "$tool" ] || { echo "run.sh: $tool not found" >&2; exit 2; }
done

make_workspace trelvane-record

"$bin/trelvane-charger-sim" --register "$ports" --port 7 --scenario charge-v1 --cells 4 --period-ms 80 \
  --seconds $(( seconds + 60 )) --wait-for-reader 60 >"$work/simulator.out" 2>&1 &
pids+=($!)
wait_for 10 test -e "$ports/COM7" || { echo "run.sh: the simulator did not start" >&2; exit 1; }
# --no-library: a benchmark run is no charge of the user's.
TRELVANE_PORTS_DIR="$ports" "$bin/trelvane-record" --port 7 --log "$log" --no-library >"$work/record.out" 2>&1 &
app=$!
pids+=($app)

log_records() { echo $(( $(stat -c %s "$log" 2>/dev/null || echo 0) / 64 )); }
recording() { [ "$(log_records)" -ge 1 ]; }
wait_for 30 recording || { echo "run.sh: nothing was recorded" >&2; cat "$work/record.out" >&2; exit 1; }

records0="$(log_records)"
ticks0="$(cpu_ticks /proc/$app/stat)"
threads0="$(thread_ticks "$app")"
t0="$(date +%s.%N)"
sleep "$seconds"
ticks1="$(cpu_ticks /proc/$app/stat)"
threads1="$(thread_ticks "$app")"
t1="$(date +%s.%N)"
records1="$(log_records)"
hwm="$(awk '/^VmHWM:/ { print $2 }' /proc/$app/status)"
kill -0 "$app" 2>/dev/null || { echo "run.sh: trelvane-record ended during the measurement" >&2; exit 1; }

awk -v t0="$t0" -v t1="$t1" -v k0="$ticks0" -v k1="$ticks1" -v hz="$(getconf CLK_TCK)" -v hwm="$hwm" \
    -v r0="$records0" -v r1="$records1" 'BEGIN {
  wall = t1 - t0; cpu = (k1 - k0) / hz
  printf "measured %.1f s of recording, %d records logged meanwhile\n", wall, r1 - r0
  printf "CPU: %.2f s = %.2f %% of one core\n", cpu, 100 * cpu / wall
  printf "peak memory (VmHWM): %.1f MB\n", hwm / 1024
}'
echo "per thread (% of one core over the same time):"
thread_share "$threads0" "$threads1" "$t0" "$t1"
