#!/usr/bin/env bash
# Installs from Debian's packages what building and running Ondeline need, and with --tests what
# its tests need as well, only what is missing. Runs as root, or through sudo.
#
# The tests of the 32-bit Windows program want a 32-bit Wine, wine32 from the i386 architecture,
# which --tests adds. A mirror can serve an i386 list that does not match its release file for
# hours while it syncs; then wine32 cannot be resolved, through no fault of ours. So everything
# else is installed first and stays installed, wine32 is tried a few times, and if it still cannot
# be had the set-up says why on a line starting "setup: 32-bit Wine not installed:" and succeeds:
# the test command reports those tests as not run.
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
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  wasi-libc libc++-14-dev-wasm32 libc++abi-14-dev-wasm32 libclang-rt-14-dev-wasm32 lld-14 binaryen
  chromium chromium-driver python3-selenium
)
wine32_package=wine32:i386

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
  [ "$tests" = yes ] && echo "$wine32_package"
  exit 0
fi

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
want_wine32=no
[ "$tests" = yes ] && ! installed "$wine32_package" && want_wine32=yes
[ ${#missing[@]} -eq 0 ] && [ "$want_wine32" = no ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: installing ${missing[*]} needs root; run as root or install sudo" >&2; exit 1; }
  sudo=(sudo)
fi
attempts=3
pause=20
# What apt-get said went wrong last, for the message when wine32 cannot be had.
update_errors=$(mktemp)
install_errors=$(mktemp)
trap 'rm -f "$update_errors" "$install_errors"' EXIT
# apt-get update fails when any one list fails, though it keeps every list it did fetch, so what
# it left is used either way.
update() {
  "${sudo[@]}" apt-get update -q 2>"$update_errors" && return 0
  cat "$update_errors" >&2
  echo "setup: apt-get update failed"
  return 1
}
install() {
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "$@"
}

if [ "$want_wine32" = yes ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "setup: adding the i386 architecture for $wine32_package"
  "${sudo[@]}" dpkg --add-architecture i386
fi
# A list of the machine's own architecture caught mid-sync is fetched again a little later; a
# failing i386 list alone keeps back only wine32, which is tried below.
for attempt in $(seq "$attempts"); do
  update && break
  grep '^E: Failed to fetch' "$update_errors" | grep -qv 'binary-i386' || break
  [ "$attempt" -lt "$attempts" ] && sleep "$pause"
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  install "${missing[@]}"
fi
[ "$want_wine32" = yes ] || exit 0

# A mirror caught mid-sync may have finished a little later, so the lists are fetched again
# before each further try; while they still fail, installing from them would fail as before.
echo "setup: installing $wine32_package"
install "$wine32_package" 2>"$install_errors" && exit 0
cat "$install_errors" >&2
for attempt in $(seq 2 "$attempts"); do
  echo "setup: $wine32_package could not be installed; trying again in $pause s ($attempt of $attempts)"
  sleep "$pause"
  update || continue
  install "$wine32_package" 2>"$install_errors" && exit 0
  cat "$install_errors" >&2
done
first_error() { grep -m1 '^E: ' "$1" | cut -c4- | sed 's/ *\[IP: [^]]*\]//'; }
why="apt-get install $wine32_package: $(first_error "$install_errors")"
updated=$(first_error "$update_errors")
[ -n "$updated" ] && why+="; apt-get update: $updated"
echo "setup: 32-bit Wine not installed: $why"
