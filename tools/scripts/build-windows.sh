#!/usr/bin/env bash
# Cross-compiles the Windows tree with MinGW-w64 into build-windows/ (warnings are errors in CI),
# with its resources written by tools of the Linux build in build/, and makes the installer and the
# portable .zip there. Its tests run under Wine with `ctest --test-dir build-windows`.
#
#   bash tools/scripts/build-windows.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# The resources are written by two small programs of the Linux build in build/, which is
# configured here for the programs alone when it does not exist yet; where that build has its
# tests, the Wine end-to-end tests' driver comes from it too.
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DONDELINE_WERROR=$werror \
    -DONDELINE_TESTS=OFF -DONDELINE_BENCH=OFF "${launcher[@]}" >/dev/null
fi
host_targets=(ondeline-rc ondeline-icons)
targets=$(cmake --build build --target help)
grep -q '^wine_e2e_tests:' <<<"$targets" && host_targets+=(wine_e2e_tests)
cmake --build build --target "${host_targets[@]}"
cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/MinGW64Toolchain.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DONDELINE_WERROR=$werror -DONDELINE_HOST_BUILD="$PWD/build" \
  "${launcher[@]}" >/dev/null
cmake --build build-windows -j "$(nproc)"
# The installer for both and the two portable .zip files, in build-windows/.
bash tools/scripts/package-windows.sh
