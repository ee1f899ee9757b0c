#!/usr/bin/env bash
# Compiles every file of the class library and of ui/, app/, surface/ and res/ against MinGW-w64's
# <windows.h>, with the warnings of the build, and fails on any error or warning: those files are
# written against the Windows API's declarations alone, so they must build on Windows unchanged.
set -euo pipefail
cd "$(dirname "$0")/../.."
compiler=x86_64-w64-mingw32-g++-posix
command -v "$compiler" >/dev/null || {
  echo "windows-headers: $compiler is missing; bash tools/scripts/setup.sh --tests installs it" >&2
  exit 1
}
mapfile -t files < <(git ls-files 'platform/afx/*.cpp' 'ui/*.cpp' 'app/*.cpp' 'surface/*.cpp' 'res/*.cpp')
failed=0
for file in "${files[@]}"; do
  if ! "$compiler" -std=c++20 -fsyntax-only -Wall -Wextra -Wpedantic -Werror -I. "$file"; then
    echo "windows-headers: $file does not compile against the Windows SDK's headers" >&2
    failed=1
  fi
done
[ "$failed" -eq 0 ] || exit 1
echo "${#files[@]} files compile against MinGW-w64's <windows.h>"
