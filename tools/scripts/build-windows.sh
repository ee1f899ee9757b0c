#!/usr/bin/env bash
# Cross-compiles the Windows tree with MinGW-w64 twice, from the same sources: the 64-bit program
# into build-windows/ and the 32-bit one into build-windows32/ (warnings are errors in CI), with
# their resources written by tools of the Linux build in build/, and makes the installer and the
# portable .zip files in build-windows/. The tests run under Wine with `ctest --test-dir` either.
#
#   bash tools/scripts/build-windows.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
source tools/scripts/build-options.sh
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
# build_windows FOLDER TOOLCHAIN
build_windows() {
  cmake -S . -B "$1" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/$2" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DONDELINE_WERROR=$werror -DONDELINE_HOST_BUILD="$PWD/build" \
    "${launcher[@]}" >/dev/null
  cmake --build "$1" -j "$(nproc)"
}
build_windows build-windows MinGW64Toolchain.cmake
build_windows build-windows32 MinGW32Toolchain.cmake
# The installer for both and the two portable .zip files, in build-windows/.
bash tools/scripts/package-windows.sh
