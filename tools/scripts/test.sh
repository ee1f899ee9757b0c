#!/usr/bin/env bash
# Sets up, builds and runs every test: the unit, widget and end-to-end tests with CTest, the
# Windows build's tests under Wine, the page in a headless browser, a short run of the fuzzers,
# the Debian package installed and removed for real, the program under valgrind's memcheck, and
# the whole suite again under the address and undefined-behaviour sanitizers.
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

step set-up bash "$here/setup.sh" --tests
step build bash "$here/build.sh"

cd "$here/../../build"
step ctest ctest --output-on-failure -j "$(nproc)" --timeout 900
step windows-build bash "$here/build-windows.sh"
step windows-tests ctest --test-dir "$here/../../build-windows" --output-on-failure -j "$(nproc)" --timeout 900
step web-build bash "$here/build-web.sh"
step web-tests /usr/bin/python3 "$here/../../tests/web/page_test.py" "$here/../../build-web/site" \
  "$here/../../build/tools/render/ondeline-render"

step fuzz bash "$here/fuzz.sh" "${ONDELINE_FUZZ_SECONDS:-20}"
step package bash "$here/package-test.sh" "$here/../../build"
step memcheck bash "$here/memcheck.sh"
step sanitizers bash "$here/sanitize.sh"
