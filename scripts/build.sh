#!/usr/bin/env bash
# Configures and builds Trelvane.
# Usage: scripts/build.sh [BUILD_DIR] [--target NAME]... [extra cmake args...]
# Without --target everything is built (program, tools, tests, benchmarks);
# with it only the named targets and what they need.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$here/build"
# The folder is optional: "scripts/build.sh --target trelvane" builds into build/.
if [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; then
  build="$1"
  shift
fi
targets=()
configure=()
while [ $# -gt 0 ]; do
  case "$1" in
    --target) targets+=(--target "$2"); shift 2 ;;
    *) configure+=("$1"); shift ;;
  esac
done
# Warnings are errors in our own builds; ccache, when a developer has it, only saves time.
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
# Our builds use clang 14 (install-deps.sh installs it; CXX chooses another); the
# sanitizer build of scripts/test.sh uses g++, so CI compiles every file with both.
# Line tables only (-g1): backtraces and profilers still name file and line, and the
# build takes a fifth less time than with full debug information.
cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER="${CXX:-clang++-14}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DTRELVANE_WERROR=ON "${launcher[@]}" "${configure[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" "${targets[@]}"
