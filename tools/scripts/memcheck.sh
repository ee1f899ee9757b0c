#!/usr/bin/env bash
# Runs the whole program under valgrind's memcheck: the real start-up, the main dialog inside its
# modal loop and the end, driven on Qt's offscreen platform by EVENTS seeded random events
# (default 900: about three hundred ticks among clicks, rain, drift, size choices, resizes,
# minimising and the About box). Fails on any memory error and on any leak, definite or
# possible; suppressions are only for the toolkit's own, in tools/sanitizers/valgrind.supp.
#
#   bash tools/scripts/memcheck.sh [EVENTS [SEED]]
#
# ONDELINE_MEMCHECK_BUILD names the build folder (default build, as build.sh makes it); only the
# driver is built there. The full report is kept in that folder's memcheck.log.
set -euo pipefail
cd "$(dirname "$0")/../.."

events="${1:-900}"
seed="${2:-1}"
build="${ONDELINE_MEMCHECK_BUILD:-build}"
for value in "$events" "$seed"; do
  case "$value" in
    '' | *[!0-9]*) echo "memcheck: EVENTS and SEED must be whole numbers, not '$value'" >&2; exit 2 ;;
  esac
done
command -v valgrind >/dev/null || { echo "memcheck: valgrind is missing (Debian: valgrind)" >&2; exit 2; }

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target memcheck_driver

log="$build/memcheck.log"
start=$(date +%s)
status=0
QT_QPA_PLATFORM=offscreen valgrind --tool=memcheck --leak-check=full \
  --errors-for-leak-kinds=definite,possible --show-leak-kinds=definite,possible \
  --error-exitcode=1 --num-callers=40 --track-origins=yes --gen-suppressions=all \
  --suppressions=tools/sanitizers/valgrind.supp \
  "$build/tests/reliability/memcheck_driver" "$events" "$seed" >"$log" 2>&1 || status=$?
seconds=$(( $(date +%s) - start ))

grep -E '^memcheck driver:' "$log" || true
grep -E '(total heap usage|definitely lost|indirectly lost|possibly lost|still reachable|suppressed:|ERROR SUMMARY)' "$log" |
  sed 's/^==[0-9]*== */memcheck: /'
echo "memcheck: ${seconds} s under valgrind"
if [ "$status" -ne 0 ]; then
  echo "memcheck: FAILED (status $status); the report is in $log" >&2
  grep -v -E '^==[0-9]+== *$' "$log" | tail -80 >&2
fi
exit "$status"
