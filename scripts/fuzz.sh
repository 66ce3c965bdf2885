#!/bin/sh
# Builds the fuzz targets of tests/fuzz/targets.txt in build-fuzz with clang-14 (Debian
# packages clang-14 and libclang-rt-14-dev) under AddressSanitizer and
# UndefinedBehaviorSanitizer, with leak checks, and then either
#   scripts/fuzz.sh --replay [TARGET...]      runs every input of each target's corpus once
#   scripts/fuzz.sh SECONDS [TARGET...]       fuzzes each target for SECONDS (default 60)
# Without TARGET names, all targets. Exits non-zero when an input crashes, overruns, meets
# undefined behaviour, leaks or times out; the input that did it is left in build-fuzz/
# as TARGET-crash-*, TARGET-leak-* or TARGET-timeout-*. A finding once fixed belongs in
# tests/fuzz/corpus/TARGET/, so that every replay runs it again.
set -eu

seconds=${1:-60}
[ $# -gt 0 ] && shift
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
targets=${*:-$(grep -E '^[a-z_]+$' "$root/tests/fuzz/targets.txt")}

cmake -S "$root" -B "$build" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DVERITOR_FUZZ=ON -DVERITOR_TESTS=OFF -DVERITOR_SANITIZE=address,undefined >/dev/null
for name in $targets; do
  cmake --build "$build" -j2 --target "${name}_fuzz"
done

for name in $targets; do
  seeds="$root/tests/fuzz/corpus/$name"
  dict="$root/tests/fuzz/corpus/$name.dict"
  set -- -timeout=10 -max_len=16384 -rss_limit_mb=2048 -artifact_prefix="$build/$name-"
  [ -f "$dict" ] && set -- "$@" -dict="$dict"
  if [ "$seconds" = --replay ]; then
    echo "== Replaying the $name corpus"
    # Inputs named one by one are each run once, and nothing new is written.
    "$build/${name}_fuzz" "$@" "$seeds"/*
  else
    echo "== Fuzzing $name for $seconds s"
    # New inputs go to a scratch corpus; the committed seeds are only read.
    mkdir -p "$build/corpus/$name"
    "$build/${name}_fuzz" "$@" -max_total_time="$seconds" -print_final_stats=1 \
      "$build/corpus/$name" "$seeds"
  fi
done
