#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer (the asan preset of
# CMakePresets.json, into build-asan/) and runs the whole test suite under them. The first
# report of either ends the process that made it, so the test fails; the report is in the
# test's output. Leaks count too. Suppressions, only for the toolkit's own reports, are in
# tools/sanitizers/.
#
#   bash tools/scripts/sanitize.sh [CTEST ARGUMENTS...]
#
# for instance -R ui_ or -L e2e to run some tests only. Takes about a quarter of an hour on two
# cores from nothing, build included.
set -euo pipefail
cd "$(dirname "$0")/../.."

# The asan preset sets ASAN_OPTIONS, UBSAN_OPTIONS and LSAN_OPTIONS for the build (whose test
# discovery runs the test programs) and for ctest, and so for whatever a test starts in turn.
start=$(date +%s)
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$(nproc)"
built=$(date +%s)
status=0
ctest --preset asan -j "$(nproc)" "$@" || status=$?
done_at=$(date +%s)
echo "sanitize: built in $((built - start)) s, tested in $((done_at - built)) s"
exit "$status"
