#!/usr/bin/env bash
# Installs what building and running need (none of the test tools), builds the programs and
# opens Ondeline.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bash "$here/setup.sh"
bash "$here/build.sh" --programs
cd "$here/../.."

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "There is no desktop here to open Ondeline's window on (neither DISPLAY nor WAYLAND_DISPLAY is set)," \
       "so this draws the water to a picture instead:"
  ./build/tools/render/ondeline-render --png ondeline-demo.png --scale 3 tools/render/demo.scene
  echo "Wrote ondeline-demo.png. On a desktop, run this command again to open the window;" \
       "'./build/tools/render/ondeline-render --help' tells how to draw other scenes."
  exit 0
fi
exec ./build/app/ondeline
