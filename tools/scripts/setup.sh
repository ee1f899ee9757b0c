#!/usr/bin/env bash
# Installs from Debian's packages what building and running Ondeline need, and with --tests what
# its tests need as well, only what is missing. Runs as root, or through sudo.
#
#   bash tools/scripts/setup.sh [--tests] [--list]
#
# --list prints the packages instead of installing them.
set -euo pipefail

# One group of packages a line, so that additions merge cleanly.
build_packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev libgl-dev libpng-dev libgif-dev libxcb1-dev libwayland-dev
  qt6-wayland qt6-base-private-dev
  fonts-dejavu-core
)
test_packages=(
  git
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang-format
  clang libclang-rt-14-dev
  valgrind
  gdb
  desktop-file-utils appstream man-db librsvg2-bin
  dpkg-dev lintian
  xvfb xauth openbox xdotool wmctrl x11-utils imagemagick
  sway grim wtype
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 nsis unzip
)

tests=no
list=no
for argument in "$@"; do
  case "$argument" in
    --tests) tests=yes ;;
    --list) list=yes ;;
    *) echo "setup: unknown argument '$argument'; usage: setup.sh [--tests] [--list]" >&2; exit 2 ;;
  esac
done
packages=("${build_packages[@]}")
[ "$tests" = yes ] && packages+=("${test_packages[@]}")
if [ "$list" = yes ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: installing ${missing[*]} needs root; run as root or install sudo" >&2; exit 1; }
  sudo=(sudo)
fi
echo "setup: installing ${missing[*]}"
"${sudo[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
