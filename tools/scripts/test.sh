#!/usr/bin/env bash
# Sets up, builds and runs every test.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bash "$here/setup.sh"
bash "$here/build.sh"
cd "$here/../../build"
ctest --output-on-failure -j "$(nproc)" --timeout 900
