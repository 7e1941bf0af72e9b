#!/usr/bin/env bash
# Installs what is needed, builds and runs every test.
#   scripts/test.sh             normal build in build/ (clang 14, RelWithDebInfo)
#   scripts/test.sh --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/ (g++)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$here/scripts/install-deps.sh"

build="$here/build"
extra=()
if [ "${1:-}" = "--sanitize" ]; then
  build="$here/build-asan"
  # g++ here and clang in the normal build: each file is compiled by both, warnings as errors.
  # Line tables (-g1) are all a sanitizer's report needs, at a fraction of the build time.
  extra=(-DCMAKE_CXX_COMPILER=g++ -DTRELVANE_SANITIZE=ON -DTRELVANE_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
         -DCMAKE_CXX_FLAGS_DEBUG=-g1)
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
  export LSAN_OPTIONS="suppressions=$here/scripts/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi

"$here/scripts/build.sh" "$build" "${extra[@]}"
cd "$build"
# Most tests wait on serial lines, timers and child processes: twice as many
# tests as cores keeps the cores busy.
ctest --output-on-failure -j"$(( $(nproc) * 2 ))" --timeout 300
