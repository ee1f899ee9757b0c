#!/usr/bin/env bash
# Makes, in the 64-bit Windows build folder, the one installer for every Windows and the two
# portable .zip files, from that build and the 32-bit one:
#   ondeline-VERSION-setup.exe   installs the 64-bit program on 64-bit Windows, the 32-bit one on
#                                32-bit Windows, each under its own Program Files
#   ondeline-VERSION-win64.zip   the 64-bit program and its licence, in a folder of that name
#   ondeline-VERSION-win32.zip   the same for 32-bit Windows
# With --native64 DIR it writes instead only the same installer built as a 64-bit program, into
# DIR: only 64-bit Windows runs that one, and the tests try the installer's ways with it where
# Wine has no 32-bit half.
#
#   bash tools/scripts/package-windows.sh [--native64 DIR] [BUILD64 [BUILD32]]
#
# BUILD64 and BUILD32 are build-windows and build-windows32 unless given.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
stop() {
  echo "package-windows: $*" >&2
  exit 1
}
native64=
if [ "${1:-}" = --native64 ]; then
  [ $# -ge 2 ] || stop "--native64 wants a folder"
  native64=$2
  shift 2
fi
build64=$(realpath -m "${1:-$source_dir/build-windows}")
build32=$(realpath -m "${2:-$source_dir/build-windows32}")
command -v makensis >/dev/null || stop "makensis is missing: apt-get install nsis"
for build in "$build64" "$build32"; do
  [ -f "$build/app/ondeline.exe" ] || stop "$build has no app/ondeline.exe: build it first (tools/scripts/build-windows.sh)"
done
version=$(cat "$build64/package/version.txt")
[ "$version" = "$(cat "$build32/package/version.txt")" ] ||
  stop "$build64 and $build32 are builds of different versions"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Each program as it is installed: stripped, with the licence beside it; and its .zip. The 64-bit
# build of the installer takes them from the .zip files, so that it holds the very same bytes.
stage() {
  local name=$1 build=$2
  if [ -n "$native64" ]; then
    unzip -q "$build64/$name.zip" -d "$work"
    return
  fi
  cmake --install "$build" --prefix "$work/$name" --strip >/dev/null
  (cd "$work" && rm -f "$build64/$name.zip" && cmake -E tar cf "$build64/$name.zip" --format=zip "$name")
}
stage "ondeline-$version-win64" "$build64"
stage "ondeline-$version-win32" "$build32"

nsis_dir="$source_dir/tools/windows"
common=(-V2 -WX -DVERSION="$version" -DICON="$build64/resources/ondeline.ico"
  -DHEADER="$build64/package/header.bmp" -DWIZARD="$build64/package/wizard.bmp")
# makes the uninstaller, then the installer around it, into folder $1 for NSIS's target $2.
installer() {
  local out=$1 target=$2
  makensis "${common[@]}" -X"Target $target" -DOUTFILE="$work/Uninstall-$target.exe" \
    "$nsis_dir/Uninstall.nsi" >/dev/null
  makensis "${common[@]}" -X"Target $target" -DOUTFILE="$out/ondeline-$version-setup.exe" \
    -DUNINSTALLER_FILE="$work/Uninstall-$target.exe" -DLICENSE="$source_dir/LICENSE" \
    -DPROGRAM64="$work/ondeline-$version-win64/ondeline.exe" \
    -DPROGRAM32="$work/ondeline-$version-win32/ondeline.exe" "$nsis_dir/ondeline.nsi" >/dev/null
}
if [ -n "$native64" ]; then
  mkdir -p "$native64"
  installer "$(realpath "$native64")" amd64-unicode
else
  installer "$build64" x86-unicode
fi
