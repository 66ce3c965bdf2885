#!/bin/sh
# Fuzzes the exam header and body parsers for SECONDS seconds (60 when not given) under
# AddressSanitizer and UndefinedBehaviorSanitizer, with leak checks. Builds in build-fuzz
# with clang-14 (Debian packages clang-14 and libclang-rt-14-dev). Exits non-zero when
# the fuzzer finds a crash, an overrun, undefined behaviour, a leak or a time-out; the
# input that did it is left in build-fuzz/ as crash-*, leak-* or timeout-*.
set -eu

seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"

cmake -S "$root" -B "$build" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DVERITOR_FUZZ=ON -DVERITOR_TESTS=OFF -DVERITOR_SANITIZE=address,undefined
cmake --build "$build" -j2 --target exam_text_fuzz

# New inputs go to a scratch corpus; the committed seeds are only read.
mkdir -p "$build/corpus"
exec "$build/exam_text_fuzz" \
  -max_total_time="$seconds" -timeout=10 -max_len=16384 -rss_limit_mb=2048 \
  -dict="$root/tests/fuzz/exam_text.dict" \
  -artifact_prefix="$build/" -print_final_stats=1 \
  "$build/corpus" "$root/tests/fuzz/corpus"
