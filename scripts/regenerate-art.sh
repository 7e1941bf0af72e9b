#!/usr/bin/env bash
# Rebuilds the artwork generator and redraws every bitmap into res/bitmaps/.
# The normal build never runs it: the PNGs are committed. Usage: scripts/regenerate-art.sh [BUILD_DIR]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$here/build}"
cmake -S "$here" -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target trelvane-artgen
QT_QPA_PLATFORM=offscreen "$build/bin/trelvane-artgen" "$here/res/bitmaps"
