#!/bin/sh
# Fuzzes for SECONDS seconds (60 when not given) under AddressSanitizer and
# UndefinedBehaviorSanitizer, with leak checks, one of the fuzz targets:
#   exam_text   the exam header and body parsers (the default)
#   xmc_reader  the completed-file reader and its analysis, as the report runs them
# Builds in build-fuzz with clang-14 (Debian packages clang-14 and libclang-rt-14-dev).
# Exits non-zero when the fuzzer finds a crash, an overrun, undefined behaviour, a leak
# or a time-out; the input that did it is left in build-fuzz/ as crash-*, leak-* or
# timeout-*.
set -eu

seconds=${1:-60}
target=${2:-exam_text}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"

case "$target" in
  exam_text)
    seeds="$root/tests/fuzz/corpus"
    options="-max_len=16384 -dict=$root/tests/fuzz/exam_text.dict" ;;
  xmc_reader)
    seeds="$root/tests/fuzz/xmc_corpus"
    options="-max_len=65536" ;;
  *)
    echo "fuzz.sh: unknown target '$target' (exam_text or xmc_reader)" >&2
    exit 2 ;;
esac

cmake -S "$root" -B "$build" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DVERITOR_FUZZ=ON -DVERITOR_TESTS=OFF -DVERITOR_SANITIZE=address,undefined
cmake --build "$build" -j2 --target "${target}_fuzz"

# New inputs go to a scratch corpus; the committed seeds are only read.
mkdir -p "$build/corpus-$target"
# shellcheck disable=SC2086
exec "$build/${target}_fuzz" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 $options \
  -artifact_prefix="$build/" -print_final_stats=1 \
  "$build/corpus-$target" "$seeds"
