#!/usr/bin/env bash
# Sets up, builds and runs Ondeline.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bash "$here/setup.sh"
bash "$here/build.sh"
cd "$here/../.."
out="${1:-ondeline-demo.png}"
./build/tools/render/ondeline-render --png "$out" --scale 3 tools/render/demo.scene
echo "Wrote $out"
