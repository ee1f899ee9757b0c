#!/usr/bin/env bash
# Builds the fuzzers with clang, libFuzzer and the address and undefined-behaviour sanitizers, and
# runs each for SECONDS (default 30) from the seed corpus in tests/fuzz/corpus. Prints each
# fuzzer's executions and coverage; exits non-zero on any crash, hang, leak or sanitizer report,
# and then leaves the input that caused it in the build folder's findings/.
#
#   bash tools/scripts/fuzz.sh [SECONDS]
#
# ONDELINE_FUZZ_BUILD names the build folder (default build-fuzz); the inputs a run finds
# interesting are kept there in corpus/, so a later run starts where this one stopped.
set -euo pipefail
cd "$(dirname "$0")/../.."

seconds="${1:-30}"
build="${ONDELINE_FUZZ_BUILD:-build-fuzz}"
fuzzers=(script field)
case "$seconds" in
  '' | *[!0-9]* | 0) echo "fuzz: SECONDS must be a whole number above 0, not '$seconds'" >&2; exit 2 ;;
esac
command -v clang++ >/dev/null || { echo "fuzz: clang++ is missing (Debian: clang, libclang-rt-14-dev)" >&2; exit 2; }

# -O1 keeps the fuzzers fast yet their reports readable; every undefined behaviour stops the run.
flags="-O1 -g -fno-omit-frame-pointer -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all"
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS="$flags" -DONDELINE_FUZZ=ON -DONDELINE_TESTS=OFF -DONDELINE_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${fuzzers[@]/%/_fuzzer}"

mkdir -p "$build/findings"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
status=0
for name in "${fuzzers[@]}"; do
  corpus=("$build/corpus/$name") # new inputs go to the first folder, never to the seeds
  mkdir -p "${corpus[0]}"
  [ -d "tests/fuzz/corpus/$name" ] && corpus+=("tests/fuzz/corpus/$name")
  extra=()
  [ -f "tests/fuzz/$name.dict" ] && extra+=(-dict="tests/fuzz/$name.dict")
  # A scene takes up to about 260 bytes; inputs start at full length rather than growing to it.
  [ "$name" = field ] && extra+=(-max_len=320 -len_control=0)
  log="$build/findings/$name.log"
  # -timeout: one input running five seconds or more counts as a hang.
  if "$build/tests/fuzz/${name}_fuzzer" "${extra[@]}" -max_total_time="$seconds" -timeout=5 \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/findings/$name-" \
      "${corpus[@]}" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1)
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$done_line")
    ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$done_line")
    corp=$(sed -n 's/.* corp: \([0-9]*\).*/\1/p' <<<"$done_line")
    echo "fuzz: $name: ${runs:-?} executions in ${seconds} s, coverage ${cov:-?} edges, ${ft:-?} features, corpus ${corp:-?} inputs, no findings"
  else
    status=1
    echo "fuzz: $name: FOUND A FAULT; the report follows, the input is in $build/findings/" >&2
    grep -v -E '^#[0-9]+[[:space:]]+(NEW|REDUCE|pulse|INITED|RELOAD)' "$log" | tail -60 >&2
  fi
done
exit $status
