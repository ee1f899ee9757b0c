#!/usr/bin/env bash
# Prints platform/'s files in dependency order, each above the ones it includes, and fails when
# they include one another in a circle. A header and its source count as one file here, so a
# source that includes a header whose own source includes it back is a circle too. The layers
# run one way as well: the class library (afx/) sees only the Windows API's declarations, never
# Qt, xcb, Wayland or the layer beneath (winqt/), and that layer never includes the class library.
set -euo pipefail
cd "$(dirname "$0")/../.."
if grep -nE '^#include [<"](Q|qpa/|xcb/|wayland-|platform/winqt/)' platform/afx/*; then
  echo "the class library above includes Qt, xcb, Wayland or the layer beneath it" >&2
  exit 1
fi
if grep -nE '^#include "platform/afx/' platform/winqt/* platform/winapi/*; then
  echo "the Windows API includes the class library above it" >&2
  exit 1
fi
edges=$(
  for file in platform/*/*.h platform/*/*.cpp; do
    unit=$(basename "${file%.*}")
    echo "$unit $unit"
    grep -o '^#include "platform/[A-Za-z0-9_]*/[A-Za-z0-9_]*\.h"' "$file" |
      sed 's|.*platform/[A-Za-z0-9_]*/\(.*\)\.h"|\1|' | { grep -vx "$unit" || true; } | sed "s|^|$unit |"
  done
)
if ! order=$(tsort <<<"$edges" 2>&1) || grep -q 'loop' <<<"$order"; then
  echo "platform/ includes itself in a circle:" >&2
  echo "$order" >&2
  exit 1
fi
echo "$order"
