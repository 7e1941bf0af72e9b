#!/usr/bin/env bash
# Builds with ThreadSanitizer into build-tsan and runs the tests where two
# threads meet: the acquisition thread, the UI-thread calls, the recording
# tick and the live record, the serial link and frame reader on a real
# pseudo-terminal, and the replay that reads a log in the background.
#   scripts/tsan.sh [extra ctest args...]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$here/build-tsan"

cmake -S "$here" -B "$build" -DTRELVANE_TSAN=ON -DTRELVANE_WERROR=ON -DTRELVANE_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" -j"$(nproc)" --target trelvane_core_tests trelvane_io_tests

# Qt's own libraries are not instrumented (see tsan.supp); second_deadlock_stack helps read lock reports.
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$here/scripts/tsan.supp${TSAN_OPTIONS:+:$TSAN_OPTIONS}"
cd "$build"
ctest --output-on-failure --timeout 300 \
  -R 'ReceiveThread|UiThreadCall|AcquisitionToLog|RecordingTick|LiveRecord|SerialLinkOnPty|FrameReaderOnPty|BackgroundReplay' "$@"
