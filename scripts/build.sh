#!/usr/bin/env bash
# Configures and builds Trelvane. Usage: scripts/build.sh [BUILD_DIR] [extra cmake args...]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$here/build}"
shift || true
# Warnings are errors in our own builds; ccache, when a developer has it, only saves time.
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRELVANE_WERROR=ON "${launcher[@]}" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
