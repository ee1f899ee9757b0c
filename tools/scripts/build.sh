#!/usr/bin/env bash
# Configures and builds into build/ (CI: warnings are errors): everything, or with --programs
# only the two programs and what they install, which needs none of the test packages.
#
#   bash tools/scripts/build.sh [--programs]
set -euo pipefail
cd "$(dirname "$0")/../.."
checks=ON
case "${1:-}" in
  '') ;;
  --programs) checks=OFF ;;
  *) echo "build: unknown argument '$1'; usage: build.sh [--programs]" >&2; exit 2 ;;
esac
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
# The options are given each time, since the cache would otherwise keep the last run's.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DONDELINE_WERROR=$werror \
  -DONDELINE_TESTS=$checks -DONDELINE_BENCH=$checks >/dev/null
cmake --build build -j "$(nproc)"
