#!/usr/bin/env bash
# Builds Ondeline for browsers into build-web/ (warnings are errors in CI). The page is the folder
# build-web/site/: index.html, ondeline.js and ondeline.wasm, which any web server can serve, as
#
#   bash tools/scripts/build-web.sh
#   python3 -m http.server --directory build-web/site   # then open http://localhost:8000/
set -euo pipefail
cd "$(dirname "$0")/../.."
source tools/scripts/build-options.sh
cmake -S . -B build-web -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/Wasm32WasiToolchain.cmake \
  -DCMAKE_BUILD_TYPE=Release -DONDELINE_WERROR=$werror "${launcher[@]}" >/dev/null
cmake --build build-web -j "$(nproc)"
echo "The page is in build-web/site/; serve it with: python3 -m http.server --directory build-web/site"
