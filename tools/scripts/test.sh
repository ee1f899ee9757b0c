#!/usr/bin/env bash
# Sets up, builds and runs every test: the unit, widget and end-to-end tests with CTest, a short
# run of the fuzzers, the Debian package installed and removed for real, the program under
# valgrind's memcheck, and the whole suite again under the address and undefined-behaviour
# sanitizers.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bash "$here/setup.sh" --tests
bash "$here/build.sh"

cd "$here/../../build"
ctest --output-on-failure -j "$(nproc)" --timeout 900

bash "$here/fuzz.sh" "${ONDELINE_FUZZ_SECONDS:-20}"
bash "$here/package-test.sh" "$here/../../build"
bash "$here/memcheck.sh"
bash "$here/sanitize.sh"
