#!/usr/bin/env bash
# Cross-compiles the Windows tree with MinGW-w64 into build-windows/ (warnings are errors in CI).
# Its tests run under Wine with `ctest --test-dir build-windows`.
#
#   bash tools/scripts/build-windows.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/MinGW64Toolchain.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DONDELINE_WERROR=$werror "${launcher[@]}" >/dev/null
cmake --build build-windows -j "$(nproc)"
