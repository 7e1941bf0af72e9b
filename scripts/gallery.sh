#!/usr/bin/env bash
# Builds the gallery tool and renders the chart panels, the detail chart and
# the button looks into docs/screenshots/. Usage: scripts/gallery.sh [BUILD_DIR]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$here/build}"
cmake -S "$here" -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target trelvane-gallery
QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=1 "$build/bin/trelvane-gallery" "$here/docs/screenshots"
