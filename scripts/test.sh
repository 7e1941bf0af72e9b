#!/usr/bin/env bash
# Installs what is needed, builds and runs every test.
#   scripts/test.sh             normal build in build/
#   scripts/test.sh --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$here/scripts/install-deps.sh"

build="$here/build"
# The benchmarks are compiled by scripts/fuzz.sh's clang build; measuring is
# not testing (docs/performance.md says how to build them here).
extra=(-DTRELVANE_BENCH=OFF)
if [ "${1:-}" = "--sanitize" ]; then
  build="$here/build-asan"
  # Line tables (-g1) are all a sanitizer's report needs, at a fraction of the build time.
  extra+=(-DTRELVANE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1)
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
  export LSAN_OPTIONS="suppressions=$here/scripts/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi

"$here/scripts/build.sh" "$build" "${extra[@]}"
cd "$build"
ctest --output-on-failure -j2 --timeout 300
