#!/usr/bin/env bash
# Installs what is needed, builds, and shows Trelvane recording a live charge
# from the built-in charger simulator (no charger needed).
#
# With a display: Trelvane opens with the simulator's port (COM7) and a log path
# preselected; press "start". Without a display (no DISPLAY/WAYLAND_DISPLAY) the
# same runs under Xvfb for about 20 seconds, driven by xdotool, and screenshots
# of the control dialog, the overview and the detail view are saved.
#
#   scripts/demo.sh [--shots DIR] [--seconds N]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
shots=""
seconds=20
while [ $# -gt 0 ]; do
  case "$1" in
    --shots) shots="$2"; shift 2 ;;
    --seconds) seconds="$2"; shift 2 ;;
    -h|--help) sed -n '2,11p' "$0"; exit 0 ;;
    *) echo "demo.sh: unknown option $1" >&2; exit 2 ;;
  esac
done

"$here/scripts/install-deps.sh"
"$here/scripts/build.sh" "$here/build"
bin="$here/build/bin"

work="$(mktemp -d /tmp/trelvane-demo.XXXXXX)"
ports="$work/ports"
mkdir -p "$ports"
log="$work/demo-charge.tvr"
[ -n "$shots" ] || shots="$work/screenshots"
mkdir -p "$shots"
port=7

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT

# A lithium charge of four cells on a pseudo-terminal registered as COM7.
"$bin/trelvane-charger-sim" --register "$ports" --port "$port" --scenario charge-v1 \
  --cells 4 --battery lipo --seconds 3600 --wait-for-reader 120 >"$work/simulator.out" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -e "$ports/COM$port" ] && break; sleep 0.1; done
[ -e "$ports/COM$port" ] || { echo "demo.sh: the simulator did not start:" >&2; cat "$work/simulator.out" >&2; exit 1; }
export TRELVANE_PORTS_DIR="$ports"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Trelvane is starting with the simulator on COM$port. Press \"start\" to record into $log."
  "$bin/trelvane" --port "$port" --log "$log"
  echo "Log file: $log"
  "$bin/trelvane-log" info "$log" || true
  exit 0
fi

# No display: run under Xvfb and drive the windows with xdotool.
display=":$(( 90 + RANDOM % 100 ))"
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.out" 2>&1 &
pids+=($!)
export DISPLAY="$display"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

"$bin/trelvane" --port "$port" --log "$log" >"$work/trelvane.out" 2>&1 &
app=$!
pids+=($app)

window_of() { xdotool search --sync --onlyvisible --name '^Trelvane$' 2>/dev/null | tail -1; }
click_in() { # window x y
  xdotool mousemove --window "$1" "$2" "$3" click 1
}
shot() { "$bin/trelvane-xshot" "$shots/$1.png" && echo "  $shots/$1.png"; }

echo "Running the demo under Xvfb for about $seconds seconds; screenshots:"
control="$(timeout 20 bash -c "$(declare -f window_of); window_of")"
sleep 1
shot control-dialog
click_in "$control" 182 291            # "start"

sleep 2
main="$(timeout 20 bash -c "$(declare -f window_of); window_of")"
sleep $(( seconds / 2 ))
shot overview
click_in "$main" 122 10                # "Detail Window"
sleep 1
click_in "$main" 420 $(( 20 + 325 ))   # a cross-hair in the plot
sleep $(( seconds / 2 - 3 ))
shot detail-view
click_in "$main" 41 10                 # back to "Overview"
sleep 1
click_in "$main" $(( 856 + 41 )) $(( 20 + 610 + 13 ))   # "Exit"

for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app" 2>/dev/null; then
  echo "demo.sh: Trelvane did not close" >&2
  exit 1
fi
echo "Recorded log: $log"
"$bin/trelvane-log" info "$log"
