#!/usr/bin/env bash
# Installs what is missing, builds Veritor and runs the whole test suite: once built with
# AddressSanitizer and UndefinedBehaviorSanitizer, once with ThreadSanitizer; then it
# replays every fuzz target's corpus and fuzzes each target for 30 s, and then runs the
# Windows suite: the programs and unit tests cross-built for 32-bit Windows and run under
# Wine (scripts/test-windows.sh). Any failure or sanitizer finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test

jobs=$(nproc)
fuzz_seconds=${VERITOR_FUZZ_SECONDS:-30}

passed=0
run_suite() {
  local dir=$1 sanitize=$2
  echo "== Test suite built with -fsanitize=$sanitize (in $dir)"
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVERITOR_SANITIZE="$sanitize" >/dev/null
  cmake --build "$dir" -j"$jobs"
  (cd "$dir" && ctest --output-on-failure --no-tests=error -j"$jobs") | tee "$dir/ctest.log"
  local ran
  ran=$(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$dir/ctest.log")
  passed=$((passed + ${ran:-0}))
}

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
# Findings inside uninstrumented system libraries (the message bus library SDL opens,
# the software rasteriser it may load) are let pass, without a list of them on the error
# stream (the Windows session check compares what both programs print there); nothing of
# the program's own is.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:print_suppressions=0}
export TSAN_OPTIONS=${TSAN_OPTIONS:-suppressions=$PWD/tests/window/tsan.supp}
run_suite build-asan address,undefined
run_suite build-tsan thread

# The corpora hold the seeds and every fixed finding: replayed on every run, so that a
# fixed finding stays fixed.
scripts/fuzz.sh --replay
if [ "$fuzz_seconds" -gt 0 ]; then
  scripts/fuzz.sh "$fuzz_seconds"
fi
# VERITOR_WINDOWS=0 leaves the Windows suite out.
if [ "${VERITOR_WINDOWS:-1}" != 0 ]; then
  echo "== Windows suite"
  mkdir -p build-windows
  scripts/test-windows.sh build-asan | tee build-windows/suite.log
  ran=$(sed -n 's/^windows: \([0-9]*\) passed, 0 failed$/\1/p' build-windows/suite.log | tail -1)
  passed=$((passed + ${ran:-0}))
fi

echo "== All tests passed"
echo "$passed passed, 0 failed"
