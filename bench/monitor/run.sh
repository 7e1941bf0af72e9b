#!/usr/bin/env bash
# Trelvane monitoring the charger simulator at the full line rate: 76-byte
# frames back to back at 9600 baud (one every 80 ms), under Xvfb, started with
# --port and --log and "start" clicked with xdotool, as a user would.
#
# Once the log holds RECORDS records (default 1), the program's CPU time
# (utime + stime from /proc/PID/stat, all its threads) is read over SECONDS of
# recording and given as % of one core, per thread as well; peak memory is
# VmHWM from /proc/PID/status at the end. The acquisition thread's wake-ups
# are its context switches (voluntary + involuntary, from
# /proc/PID/task/TID/status) over the same time, per second and per frame
# (a frame every 80 ms). --runs N measures N such windows one after the other.
#
#   bench/monitor/run.sh [--build DIR] [--seconds N] [--runs N] [--warm-up RECORDS] [--detail]
#
# --warm-up 580 measures ticks 580 to 640, while the history holds 290 to 319
# entries (it is halved at tick 640); --detail shows the detail view instead
# of the overview.
# Needs Xvfb and xdotool, and trelvane and trelvane-charger-sim built in DIR
# (default: build).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$here/bench/common/process-cpu.sh"
build="$here/build"
seconds=60
runs=1
warmup=1
detail=0
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build="$(cd "$2" && pwd)"; shift 2 ;;
    --seconds) seconds="$2"; shift 2 ;;
    --runs) runs="$2"; shift 2 ;;
    --warm-up) warmup="$2"; shift 2 ;;
    --detail) detail=1; shift ;;
    -h|--help) sed -n '2,21p' "$0"; exit 0 ;;
    *) echo "run.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
bin="$build/bin"
for tool in Xvfb xdotool "$bin/trelvane" "$bin/trelvane-charger-sim"; do
  command -v "$tool" >/dev/null || { echo "run.sh: $tool not found" >&2; exit 2; }
done

make_workspace trelvane-monitor
port=7
# The recording ends in the run library when the program closes: keep it out
# of the user's own.
export XDG_DATA_HOME="$work/data"

# -displayfd: the server picks a free display and writes its number.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.out" 2>&1 &
pids+=($!)
wait_for 15 test -s "$work/display" || { echo "run.sh: Xvfb did not start" >&2; cat "$work/xvfb.out" >&2; exit 1; }
export DISPLAY=":$(head -1 "$work/display")"
export QT_QPA_PLATFORM=xcb

# A charge that outlasts start-up and the measurement.
"$bin/trelvane-charger-sim" --register "$ports" --port "$port" --scenario charge-v1 --cells 4 \
  --battery lipo --period-ms 80 --seconds $(( warmup + seconds * runs + 120 )) --wait-for-reader 60 \
  >"$work/simulator.out" 2>&1 &
pids+=($!)
wait_for 10 test -e "$ports/COM$port" || { echo "run.sh: the simulator did not start" >&2; cat "$work/simulator.out" >&2; exit 1; }

TRELVANE_PORTS_DIR="$ports" "$bin/trelvane" --port "$port" --log "$log" >"$work/trelvane.out" 2>&1 &
app=$!
pids+=($app)

# Both windows are titled "Trelvane"; the main window is the one with a 1024 x 720 client area.
window_of_size() { # width height
  local id
  for id in $(xdotool search --onlyvisible --name '^Trelvane$' 2>/dev/null); do
    if xdotool getwindowgeometry "$id" 2>/dev/null | grep -q "Geometry: $1x$2\$"; then
      echo "$id"
      return 0
    fi
  done
  return 1
}
control_dialog() { xdotool search --onlyvisible --name '^Trelvane$' 2>/dev/null | head -1 | grep -q .; }
wait_for 20 control_dialog || { echo "run.sh: no control dialog" >&2; cat "$work/trelvane.out" >&2; exit 1; }
control="$(xdotool search --onlyvisible --name '^Trelvane$' | head -1)"
xdotool mousemove --sync --window "$control" 182 291 click 1    # "start"
wait_for 20 window_of_size 1024 720 >/dev/null || { echo "run.sh: no main window" >&2; cat "$work/trelvane.out" >&2; exit 1; }
main="$(window_of_size 1024 720)"
if [ "$detail" = 1 ]; then
  xdotool mousemove --sync --window "$main" 122 10 click 1      # "Detail Window"
fi
xdotool mousemove --sync 1200 780                                # out of the way: no pointer-over repaints

log_records() { echo $(( $(stat -c %s "$log" 2>/dev/null || echo 0) / 64 )); }
recording() { [ "$(log_records)" -ge "$warmup" ]; }
wait_for $(( warmup + 30 )) recording || { echo "run.sh: nothing was recorded" >&2; cat "$work/trelvane.out" "$work/simulator.out" >&2; exit 1; }

hz="$(getconf CLK_TCK)"

# Context switches of the acquisition thread: each is one time it slept and woke.
acquisition_task() {
  local task
  for task in /proc/"$app"/task/*; do
    [ "$(cat "$task/comm")" = CReceiveThread ] && { echo "$task"; return 0; }
  done
  return 1
}
switches() { awk '/^(voluntary|nonvoluntary)_ctxt_switches:/ { n += $2 } END { print n }' "$1/status"; }
task="$(acquisition_task)" || { echo "run.sh: no acquisition thread" >&2; exit 1; }
view="$([ "$detail" = 1 ] && echo detail || echo overview)"

for run in $(seq "$runs"); do
  records0="$(log_records)"
  ticks0="$(cpu_ticks /proc/$app/stat)"
  threads0="$(thread_ticks "$app")"
  switches0="$(switches "$task")"
  t0="$(date +%s.%N)"
  sleep "$seconds"                                               # the measurement itself
  ticks1="$(cpu_ticks /proc/$app/stat)"
  threads1="$(thread_ticks "$app")"
  switches1="$(switches "$task")"
  t1="$(date +%s.%N)"
  records1="$(log_records)"
  hwm="$(awk '/^VmHWM:/ { print $2 }' /proc/$app/status)"
  rss="$(awk '/^VmRSS:/ { print $2 }' /proc/$app/status)"
  kill -0 "$app" 2>/dev/null || { echo "run.sh: trelvane ended during the measurement" >&2; exit 1; }

  echo "run $run of $runs, $(date -u '+%Y-%m-%d %H:%M UTC'), load average $(cut -d' ' -f1-3 /proc/loadavg)"
  awk -v t0="$t0" -v t1="$t1" -v k0="$ticks0" -v k1="$ticks1" -v hz="$hz" -v hwm="$hwm" -v rss="$rss" \
      -v r0="$records0" -v r1="$records1" -v s0="$switches0" -v s1="$switches1" -v view="$view" 'BEGIN {
    wall = t1 - t0; cpu = (k1 - k0) / hz; frames = wall / 0.080; wakes = s1 - s0
    printf "view: %s; measured %.1f s of recording, %d records logged meanwhile\n", view, wall, r1 - r0
    printf "CPU: %.2f s = %.3f %% of one core (target: under 0.3 %%)\n", cpu, 100 * cpu / wall
    printf "acquisition thread: %d wake-ups = %.1f a second = %.2f a frame (target: at most 2)\n", wakes, wakes / wall, wakes / frames
    printf "peak memory (VmHWM): %.1f MB, resident at the end %.1f MB (target: under 100 MB)\n", hwm / 1024, rss / 1024
  }'
  echo "per thread (% of one core over the same time):"
  thread_share "$threads0" "$threads1" "$t0" "$t1" 3
done
