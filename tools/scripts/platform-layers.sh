#!/usr/bin/env bash
# Prints platform/'s files in dependency order, each above the ones it includes, and fails when
# they include one another in a circle. A header and its source count as one file here, so a
# source that includes a header whose own source includes it back is a circle too. The folders
# run one way as well, each including only itself and the ones listed after it: the class
# library (afx/) sees only the Windows API's declarations, never Qt, xcb, Wayland or the layers
# beneath; the API over Qt goes from its calls down to the session it runs in, and so does the
# API over a web page, which shares the Qt one's plain parts but none of its Qt; both stand on
# the generic dialog manager and windows (dialog/, user/) and the graphics layer (gdi/), which
# include neither of them and no Qt. The table of the API's calls in the developers' guide must
# name the files that define them.
set -euo pipefail
cd "$(dirname "$0")/../.."
layers=(afx winweb/dialog winweb/paint winweb/user winweb/session winqt/dialog winqt/user winqt/picture winqt/paint winqt/session dialog user gdi winapi)
failed=0
if grep -nE '^#include [<"](Q|qpa/|xcb/|wayland-)' platform/afx/* platform/dialog/* platform/user/* platform/gdi/*; then
  echo "the class library, the generic windows or the graphics layer includes Qt, xcb or Wayland" >&2
  failed=1
fi
# The benchmarks reach the window system only through the tests' support (tests/platform/).
if grep -nE '^#include [<"](Q|qpa/|xcb/|wayland-)|^#include "platform/winqt/' bench/*; then
  echo "bench/ includes Qt, xcb, Wayland or the API over Qt" >&2
  failed=1
fi
for ((i = 0; i < ${#layers[@]}; ++i)); do
  below="${layers[*]:i}"
  while IFS= read -r hit; do
    [[ -z "$hit" ]] && continue
    included=$(sed 's|.*#include "platform/\(.*\)/[A-Za-z0-9_]*\.h".*|\1|' <<<"$hit")
    if [[ " $below " != *" $included "* ]]; then
      echo "$hit: ${layers[i]}/ includes $included/, which is not beneath it" >&2
      failed=1
    fi
  done < <(grep -HnE '^#include "platform/' platform/"${layers[i]}"/*.* || true)
done
# The developers' guide names the file of each call of the API; each must be defined there.
while IFS='|' read -r _ _ calls files _; do
  for call in $(grep -o '`[A-Za-z]*`' <<<"$calls" | tr -d '`'); do
    if ! grep -qE "^[A-Za-z_][A-Za-z0-9_ *]* $call\(" \
      $(grep -o '`[a-z/A-Za-z]*\.cpp`' <<<"$files" | tr -d '`' | sed 's|^|platform/|'); then
      echo "docs/DEVELOPING.md: $call is not defined in $files" >&2
      failed=1
    fi
  done
done < <(grep -E '^\| [A-Z].* \| `.*\.cpp`' docs/DEVELOPING.md)
[[ $failed == 0 ]] || exit 1
edges=$(
  for file in $(find platform -name '*.h' -o -name '*.cpp' | sort); do
    unit=$(basename "${file%.*}")
    echo "$unit $unit"
    grep -o '^#include "platform/[A-Za-z0-9_/]*\.h"' "$file" |
      sed 's|.*/\([A-Za-z0-9_]*\)\.h"|\1|' | { grep -vx "$unit" || true; } | sed "s|^|$unit |"
  done
)
if ! order=$(tsort <<<"$edges" 2>&1) || grep -q 'loop' <<<"$order"; then
  echo "platform/ includes itself in a circle:" >&2
  echo "$order" >&2
  exit 1
fi
echo "$order"
