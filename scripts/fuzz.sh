#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang-14 (Release, warnings
# as errors) and runs each for a while, side by side, on a copy of its seed
# corpus. The rest of the code is compiled by scripts/test.sh's two builds.
#
#   scripts/fuzz.sh [--seconds N] [--build DIR] [--coverage]
#
#   --seconds N   run each target N seconds (default 60, as in CI)
#   --build DIR   the clang build folder (default build-clang)
#   --coverage    afterwards, line coverage of the reader, decoder and replay
#                 files reached by the corpus (needs llvm-14: llvm-cov-14)
#
# Exit status: 0 when every property held, 1 on a finding (a crash, a
# sanitizer report or a broken property), 2 on wrong arguments. A finding's
# input is kept in DIR/fuzz-findings/NAME/; copy it into
# tests/fuzz/regressions/NAME/ and it is a test of every build from then on.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds=60
build="$here/build-clang"
coverage=0
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds="$2"; shift 2 ;;
    --build) build="$2"; shift 2 ;;
    --coverage) coverage=1; shift ;;
    -h|--help) sed -n '2,17p' "$0"; exit 0 ;;
    *) echo "fuzz.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
case "$seconds" in ''|*[!0-9]*) echo "fuzz.sh: --seconds takes a whole number" >&2; exit 2 ;; esac

"$here/scripts/install-deps.sh"

launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
echo "fuzz.sh: building the fuzz targets with clang-14 (Release) in $build"
cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=Release \
  -DTRELVANE_WERROR=ON -DTRELVANE_FUZZ=ON -DTRELVANE_TESTS=OFF -DTRELVANE_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzz-frame-stream fuzz-log-file

# Inputs up to 64 KiB give the log target files of over 1000 records, past
# the history's thinning; frames need far less.
declare -A max_len=([frame-stream]=4096 [log-file]=65536)
status=0
names=(frame-stream log-file)
# The targets run side by side: each is single-threaded, and CI has a core for each.
declare -A pid
for name in "${names[@]}"; do
  corpus="$build/fuzz-corpus/$name"
  findings="$build/fuzz-findings/$name"
  mkdir -p "$corpus" "$findings"
  dirs=("$corpus" "$here/tests/fuzz/corpus/$name")
  [ -d "$here/tests/fuzz/regressions/$name" ] && dirs+=("$here/tests/fuzz/regressions/$name")
  echo "fuzz.sh: fuzz-$name for $seconds s (log: $build/fuzz-$name.log)"
  "$build/bin/fuzz-$name" -max_total_time="$seconds" -max_len="${max_len[$name]}" -print_final_stats=1 \
    -artifact_prefix="$findings/" "${dirs[@]}" >"$build/fuzz-$name.log" 2>&1 &
  pid[$name]=$!
done
running() {
  local name
  for name in "${names[@]}"; do kill -0 "${pid[$name]}" 2>/dev/null && return 0; done
  return 1
}
# On a terminal, each fuzzer's latest line every ten seconds.
while running; do
  for _ in $(seq 100); do running || break; sleep 0.1; done
  if [ -t 1 ] && running; then
    for name in "${names[@]}"; do echo "  $name: $(grep -a '^#' "$build/fuzz-$name.log" | tail -n 1)"; done
  fi
done
for name in "${names[@]}"; do
  log="$build/fuzz-$name.log"
  findings="$build/fuzz-findings/$name"
  if wait "${pid[$name]}"; then
    echo "fuzz.sh: fuzz-$name held every property"
    { grep -a -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1; \
      grep -a -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' "$log"; } | sed 's/^/  /' || true
  else
    status=1
    echo "fuzz.sh: fuzz-$name found a fault; the input is in $findings:" >&2
    grep -a -E 'broken property|ERROR|SUMMARY|Test unit written' "$log" | head -n 20 >&2 || true
    echo "fuzz.sh: copy it into tests/fuzz/regressions/$name/ and fix what it shows" >&2
  fi
done

if [ "$coverage" = 1 ]; then
  profdata="$(command -v llvm-profdata-14 || true)"
  cov="$(command -v llvm-cov-14 || true)"
  if [ -z "$profdata" ] || [ -z "$cov" ]; then
    echo "fuzz.sh: --coverage needs llvm-profdata-14 and llvm-cov-14 (Debian package llvm-14)" >&2
    exit 1
  fi
  cbuild="$build-coverage"
  echo "fuzz.sh: coverage of the corpus, built in $cbuild"
  # No compiler cache here: it would record the sources by relative paths, which the report cannot match.
  cmake -S "$here" -B "$cbuild" -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=Debug -DTRELVANE_BENCH=OFF \
    -DCMAKE_CXX_COMPILER_LAUNCHER= -DCMAKE_CXX_FLAGS="-fprofile-instr-generate -fcoverage-mapping" >/dev/null
  cmake --build "$cbuild" -j"$(nproc)" --target fuzz-frame-stream-corpus fuzz-log-file-corpus >"$cbuild/build.log" \
    || { echo "fuzz.sh: the coverage build failed; see $cbuild/build.log" >&2; exit 1; }
  rm -f "$cbuild"/fuzz-*.profraw
  for name in frame-stream log-file; do
    if ! LLVM_PROFILE_FILE="$cbuild/fuzz-$name.profraw" "$cbuild/bin/fuzz-$name-corpus" \
      "$build/fuzz-corpus/$name" "$here/tests/fuzz/corpus/$name" >"$cbuild/fuzz-$name-corpus.log" 2>&1; then
      echo "fuzz.sh: the corpus of $name fails its properties in the coverage build; see $cbuild/fuzz-$name-corpus.log" >&2
      exit 1
    fi
  done
  "$profdata" merge -o "$cbuild/fuzz.profdata" "$cbuild"/fuzz-*.profraw
  files=(acquisition/FrameReader.cpp acquisition/FrameDecoder.cpp tools/dump/FrameCsvFormatter.cpp
         recording/LogReader.cpp recording/LogReplay.cpp recording/LogFileCheck.cpp recording/SampleHistory.cpp
         recording/LogSummary.cpp recording/LogCsv.cpp charts/ChartMath.cpp)
  "$cov" report "$cbuild/bin/fuzz-frame-stream-corpus" -object "$cbuild/bin/fuzz-log-file-corpus" \
    -instr-profile="$cbuild/fuzz.profdata" "${files[@]/#/$here/}"
fi
exit "$status"
