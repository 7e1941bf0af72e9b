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
# Only the programs the demo runs and the manual Help opens: the tests and
# benchmarks (most of a full build) wait for scripts/test.sh.
"$here/scripts/build.sh" "$here/build" --target trelvane --target trelvane-charger-sim \
  --target trelvane-xshot --target trelvane-log --target trelvane_manual_pdf
bin="$here/build/bin"

work="$(mktemp -d /tmp/trelvane-demo.XXXXXX)"
ports="$work/ports"
mkdir -p "$ports"
log="$work/demo-charge.tvr"
[ -n "$shots" ] || shots="$work/screenshots"
mkdir -p "$shots"
port=7
# A finished recording goes into the run library: the demo's into a library of
# its own, not the user's list of real charges.
export XDG_DATA_HOME="$work/data"

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT

# A two-minute lithium charge of four cells on a pseudo-terminal registered as COM7.
"$bin/trelvane-charger-sim" --register "$ports" --port "$port" --scenario charge-v1 \
  --cells 4 --battery lipo --seconds 120 --wait-for-reader 120 >"$work/simulator.out" 2>&1 &
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

# No display: run under a private Xvfb, on a display number it picks itself,
# with settings kept out of the user's own, and drive the windows with xdotool.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.out" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "demo.sh: Xvfb did not start:" >&2; cat "$work/xvfb.out" >&2; exit 1; }
export DISPLAY=":$(tr -dc 0-9 <"$work/display")"
unset XAUTHORITY
export XDG_CONFIG_HOME="$work/config"

"$bin/trelvane" --port "$port" --log "$log" >"$work/trelvane.out" 2>&1 &
app=$!
pids+=($app)

# The visible window titled "Trelvane" of the given size (the control dialog
# and the main window share the title); waits up to 20 s.
window_of_size() { # width height
  local id geometry
  for _ in $(seq 200); do
    for id in $(xdotool search --onlyvisible --name '^Trelvane$' 2>/dev/null); do
      geometry="$(xdotool getwindowgeometry "$id" 2>/dev/null | sed -n 's/.*Geometry: //p')"
      [ "$geometry" = "$1x$2" ] && { echo "$id"; return 0; }
    done
    sleep 0.1
  done
  echo "demo.sh: no $1x$2 Trelvane window:" >&2; cat "$work/trelvane.out" >&2
  return 1
}
records() { echo $(( $(stat -c %s "$log" 2>/dev/null || echo 0) / 64 )); }
wait_for_records() { # count: one record a second while the charge is recorded
  for _ in $(seq $(( $1 * 20 + 100 ))); do [ "$(records)" -ge "$1" ] && return 0; sleep 0.1; done
  echo "demo.sh: only $(records) records were logged" >&2
  return 1
}
click_in() { # window x y
  xdotool mousemove --sync --window "$1" "$2" "$3" click 1
}
shot() { # name window
  "$bin/trelvane-xshot" "$shots/$1.png" "$2" && echo "  $shots/$1.png"
}

echo "Running the demo under Xvfb for about $seconds seconds; screenshots:"
control="$(window_of_size 580 334)"
sleep 0.5                              # let the first paint land
shot control-dialog "$control"
click_in "$control" 182 291            # "start"

main="$(window_of_size 1024 720)"
wait_for_records $(( seconds / 2 ))
shot overview "$main"
click_in "$main" 122 10                # "Detail Window"
wait_for_records $(( seconds / 2 + 1 ))
click_in "$main" 420 $(( 20 + 325 ))   # a cross-hair in the plot
wait_for_records $(( seconds - 2 ))
shot detail-view "$main"
click_in "$main" 41 10                 # back to "Overview"
wait_for_records $(( seconds - 1 ))
click_in "$main" $(( 856 + 41 )) $(( 20 + 610 + 13 ))   # "Exit"

for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app" 2>/dev/null; then
  echo "demo.sh: Trelvane did not close" >&2
  exit 1
fi
echo "Recorded log: $log"
"$bin/trelvane-log" info "$log"
