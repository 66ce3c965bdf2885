#!/bin/sh
# Inputs a second of the fuzz targets, on one core, as scripts/fuzz.sh builds them (ASan and
# UBSan). Each target runs RUNS inputs (default 200000) from its seeds into a scratch
# corpus; the exam text target, the cheapest, is measured in the same run as the reference,
# and each target's rate is printed beside it. The aim is 20,000 inputs a second for every
# target on an otherwise idle core; on a loaded machine compare the ratios.
#
#   bench/fuzz_rate.sh [RUNS] [TARGET...]     (default: exam_file console_input)
set -eu

runs=${1:-200000}
[ $# -gt 0 ] && shift
targets=${*:-exam_file console_input}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Builds every target (and replays the corpora, which also checks the build).
"$root/scripts/fuzz.sh" --replay exam_text $targets >/dev/null 2>&1

# One core: taskset where there is one.
pin=""
command -v taskset >/dev/null && pin="taskset -c 0"

rate() {
  name=$1
  mkdir -p "$scratch/$name"
  set -- -max_len=16384 -timeout=10 -runs="$runs"
  [ -f "$root/tests/fuzz/corpus/$name.dict" ] && set -- "$@" -dict="$root/tests/fuzz/corpus/$name.dict"
  start=$(date +%s.%N)
  $pin "$build/${name}_fuzz" "$@" "$scratch/$name" "$root/tests/fuzz/corpus/$name" \
    >"$scratch/$name.log" 2>&1
  end=$(date +%s.%N)
  echo "$runs $start $end" | awk '{ printf "%d", $1 / ($3 - $2) }'
}

reference=$(rate exam_text)
printf '%-14s %8s inputs/s (reference)\n' exam_text "$reference"
for name in $targets; do
  got=$(rate "$name")
  echo "$name $got $reference" |
    awk '{ printf "%-14s %8d inputs/s  %.2f of exam_text  goal 20000: %s\n", $1, $2, $2 / $3, ($2 >= 20000 ? "met" : "not met") }'
done
