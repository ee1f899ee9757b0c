#!/usr/bin/env bash
# Installs what building, running and testing Ondeline need, from Debian's packages, and only
# what is missing. Runs as root, or through sudo.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config git dpkg-dev
  qt6-base-dev qt6-wayland libgl-dev libpng-dev libgif-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang-format clang libclang-rt-14-dev valgrind
  fonts-dejavu-core
  desktop-file-utils appstream man-db
  xvfb xauth openbox xdotool wmctrl x11-utils imagemagick
  sway grim wtype libwayland-dev
)

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
