#!/usr/bin/env bash
# Sets up, builds and runs every test: the unit, widget and end-to-end tests with CTest, the
# 64-bit and 32-bit Windows builds' tests under Wine, the page in a headless browser, a short
# run of the fuzzers, the Debian package installed and removed for real, the program under
# valgrind's memcheck, and the whole suite again under the address and undefined-behaviour
# sanitizers.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

# Runs one step and says how long it took, so that a run that grows shows where.
step() {
  local name="$1" start
  shift
  start=$(date +%s)
  "$@"
  echo "test.sh: $name took $(($(date +%s) - start)) s"
}

# The 32-bit Windows program's Wine tests need a 32-bit Wine, which a mirror caught mid-sync can
# keep the set-up from installing, and a kernel that runs 32-bit programs, which some virtual
# machines' do not. They are then not run, and this says why, on a line of its own here and in the
# closing summary, never counting them as passed.
set_up_log=$(mktemp)
trap 'rm -f "$set_up_log"' EXIT
step set-up bash "$here/setup.sh" --tests | tee "$set_up_log"
wine32=/usr/lib/wine/wine
wine32_missing=""
if [ ! -e "$wine32" ]; then
  wine32_missing=$(sed -n 's/^setup: 32-bit Wine not installed: //p' "$set_up_log" | tail -n 1)
  wine32_missing=${wine32_missing:-"no 32-bit Wine at $wine32 (wine32:i386)"}
elif ! started=$("$wine32" --version 2>&1); then
  wine32_missing="this machine cannot run the 32-bit Wine ($wine32 --version: ${started##*: })"
fi
[ -z "$wine32_missing" ] || echo "32-bit Wine tests NOT RUN: $wine32_missing"
step build bash "$here/build.sh"

cd "$here/../../build"
step ctest ctest --output-on-failure -j "$(nproc)" --timeout 900
step windows-build bash "$here/build-windows.sh"
step windows-tests ctest --test-dir "$here/../../build-windows" --output-on-failure -j "$(nproc)" --timeout 900
if [ -z "$wine32_missing" ]; then
  step windows32-tests ctest --test-dir "$here/../../build-windows32" --output-on-failure -j "$(nproc)" --timeout 900
else
  echo "32-bit Wine tests NOT RUN: $wine32_missing"
  step windows32-checks ctest --test-dir "$here/../../build-windows32" --output-on-failure -LE wine
fi
step web-build bash "$here/build-web.sh"
step web-tests /usr/bin/python3 "$here/../../tests/web/page_test.py" "$here/../../build-web/site" \
  "$here/../../build/tools/render/ondeline-render"

step fuzz bash "$here/fuzz.sh" "${ONDELINE_FUZZ_SECONDS:-20}"
step package bash "$here/package-test.sh" "$here/../../build"
step memcheck bash "$here/memcheck.sh"
step sanitizers bash "$here/sanitize.sh"
if [ -n "$wine32_missing" ]; then
  echo "test.sh: every step run passed; the 32-bit program's Wine tests did not run"
  echo "32-bit Wine tests NOT RUN: $wine32_missing"
fi
