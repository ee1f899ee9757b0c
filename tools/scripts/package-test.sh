#!/usr/bin/env bash
# Builds the Debian package in a build folder with CPack, has Debian's checker lintian pass it
# with no error and no warning, installs it with apt-get as a person would, checks that the programs run from /usr/bin and that the desktop finds the menu entry,
# the icons, the catalogue entry and the manual pages, then purges it and checks that nothing
# of it is left. Exits non-zero on any failure. Needs root (or sudo) on Debian 12, and changes
# the machine's installed packages while it runs; it refuses to start where ondeline is already
# installed, so as not to take away a copy it did not put there.
#
# usage: package-test.sh [BUILD_DIR]      (default: build, beside this repository's sources)
set -uo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
build="$(realpath "${1:-$here/../../build}")"
icon_sizes=(16 32 48 64 128 256)
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

pass() {
  echo "ok: $*"
}

stop() {
  echo "package-test: $*" >&2
  exit 1
}

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || stop "installing a package needs root; run as root or install sudo"
  sudo=(sudo)
fi
[ -f "$build/CPackConfig.cmake" ] || stop "$build is not a configured build folder"
command -v dpkg-shlibdeps >/dev/null || stop "dpkg-shlibdeps is missing (Debian package dpkg-dev)"
command -v lintian >/dev/null || stop "lintian is missing (Debian package lintian)"
if dpkg-query -W -f='${Status}' ondeline 2>/dev/null | grep -q "install ok installed"; then
  stop "ondeline is already installed; remove it first (apt-get purge ondeline)"
fi

# The desktop entry id, as the build configured the entry from the program's own.
entries=("$build"/data/*.desktop)
[ ${#entries[@]} -eq 1 ] && [ -f "${entries[0]}" ] || stop "$build/data holds no single desktop entry"
id=$(basename "${entries[0]}" .desktop)
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
[ -n "$version" ] || stop "cannot read the package version from $build/CPackConfig.cmake"

scratch=$(mktemp -d)
installed=no
cleanup() {
  if [ "$installed" = yes ]; then
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get purge -y -q ondeline >/dev/null 2>&1
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT

# --- Build -------------------------------------------------------------------------------------
echo "package-test: building and packaging $build"
cmake --build "$build" >"$scratch/build.log" 2>&1 || { tail -20 "$scratch/build.log"; stop "the build failed"; }
rm -f "$build"/ondeline_*.deb
(cd "$build" && cpack -G DEB >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log"; stop "cpack failed"; }
debs=("$build"/ondeline_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || stop "cpack made no single ondeline_*.deb"
deb=${debs[0]}
echo "package-test: made $(basename "$deb"), $(stat -c %s "$deb") bytes"

field() {
  dpkg-deb -f "$deb" "$1"
}

# Whether the Depends line names this package, with or without a version.
depends_on() {
  tr ',|' '\n\n' <<<"$depends" | sed 's/^ *//; s/[ (].*//' | grep -qxF "$1"
}

[ "$(field Package)" = ondeline ] && pass "the package is called ondeline" || fail "the package is called '$(field Package)'"
[ "$(field Version)" = "$version" ] && pass "its version is $version" || fail "its version is '$(field Version)', not $version"
[ "$(field Section)" = misc ] || fail "its section is '$(field Section)', not misc"

# Informational notes are printed for the record; any error or warning fails.
if lintian --fail-on error,warning --display-info "$deb" >"$scratch/lintian.log" 2>&1; then
  pass "lintian: no errors, no warnings"
else
  fail "lintian finds errors or warnings"
fi
grep -E '^[EWIP]: ' "$scratch/lintian.log" | sed 's/^/    lintian: /'

depends=$(field Depends)
echo "package-test: Depends: $depends"
for needed in libc6 libstdc++6 libqt6widgets6 libqt6gui6 libqt6core6 libpng16-16 qt6-qpa-plugins hicolor-icon-theme; do
  depends_on "$needed" || fail "Depends lacks $needed"
done

# --- Install -----------------------------------------------------------------------------------
# apt fetches local packages as its own unprivileged user, so the file goes where that user can
# read it; otherwise apt says so in a notice.
chmod 755 "$scratch"
cp "$deb" "$scratch/"
local_deb="$scratch/$(basename "$deb")"
chmod 644 "$local_deb"
if DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q "$local_deb" >"$scratch/install.log" 2>&1; then
  installed=yes
  pass "apt-get install $(basename "$deb")"
  if grep -E '^(W|E): ' "$scratch/install.log"; then
    fail "apt-get warned while installing"
  fi
else
  cat "$scratch/install.log"
  stop "apt-get install failed"
fi
dpkg-query -W -f='${Status}' ondeline | grep -q "install ok installed" || fail "dpkg does not list ondeline as installed"

said=$(env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/ondeline --version 2>&1)
[ "$said" = "ondeline $version" ] && pass "/usr/bin/ondeline --version says $version" ||
  fail "/usr/bin/ondeline --version says '$said'"
said=$(/usr/bin/ondeline-render --version 2>&1)
[ "$said" = "ondeline-render $version" ] && pass "/usr/bin/ondeline-render --version says $version" ||
  fail "/usr/bin/ondeline-render --version says '$said'"
printf 'grid 50 50\noptions color\ndrop 25 25 0\nnow 1500\n' |
  (cd "$scratch" && /usr/bin/ondeline-render --png frame.png --scale 2) &&
  [ "$(od -An -tx1 -N4 "$scratch/frame.png" | tr -d ' ')" = 89504e47 ] &&
  pass "/usr/bin/ondeline-render draws a frame" || fail "/usr/bin/ondeline-render cannot draw a frame"

# With no display the program must get as far as saying so: every library it needs loaded.
said=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/ondeline 2>&1)
status=$?
if [ $status -eq 1 ] && grep -q "no display" <<<"$said"; then
  pass "/usr/bin/ondeline starts and says there is no display"
else
  fail "/usr/bin/ondeline without a display: status $status, '$said'"
fi

# Every library the programs link must come from a package the Depends line names.
failed_before=$failures
for program in /usr/bin/ondeline /usr/bin/ondeline-render; do
  if ldd "$program" | grep -q "not found"; then
    fail "$program misses libraries: $(ldd "$program" | grep 'not found' | tr -s ' \t' ' ')"
  fi
  for soname in $(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    # ldd names the dynamic loader by its path alone, the other libraries by soname => path.
    path=$(ldd "$program" | awk -v s="$soname" '$1 == s { print $3 } $1 ~ "/" s "$" { print $1 }')
    owner=$(dpkg -S "$path" 2>/dev/null || dpkg -S "/usr$path" 2>/dev/null || dpkg -S "$(realpath "$path")" 2>/dev/null)
    owner=${owner%%:*}
    if [ -z "$owner" ]; then
      fail "no package owns $path, which $program needs"
    elif ! depends_on "$owner"; then
      fail "$program needs $soname from $owner, which Depends does not name"
    fi
  done
done
[ "$failures" -eq "$failed_before" ] && pass "every library the programs link comes from a package in Depends"

entry=/usr/share/applications/$id.desktop
[ -f "$entry" ] && grep -qx "Icon=$id" "$entry" && grep -qx "Exec=ondeline" "$entry" &&
  pass "the desktop entry is in place" || fail "$entry is missing or wrong"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry" || fail "desktop-file-validate fails on $entry"
fi
for size in "${icon_sizes[@]}"; do
  [ -f "/usr/share/icons/hicolor/${size}x${size}/apps/$id.png" ] || fail "no ${size}x${size} icon"
done
pass "icons of ${icon_sizes[*]} pixels are in the hicolor theme"
[ -f "/usr/share/icons/hicolor/scalable/apps/$id.svg" ] && pass "the scalable icon is in place" ||
  fail "no scalable icon"
[ -f "/usr/share/metainfo/$id.metainfo.xml" ] && pass "the metainfo is in place" || fail "no metainfo"
[ -f /usr/share/doc/ondeline/copyright ] && [ -f /usr/share/doc/ondeline/changelog.gz ] &&
  pass "the copyright file and the changelog are in /usr/share/doc/ondeline" ||
  fail "no copyright file or changelog in /usr/share/doc/ondeline"
for page in ondeline ondeline-render; do
  man -w "$page" >/dev/null 2>&1 || fail "man cannot find $page(1)"
done
pass "man finds ondeline(1) and ondeline-render(1)"

# --- Remove ------------------------------------------------------------------------------------
mapfile -t files < <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }')
if DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get purge -y -q ondeline >"$scratch/remove.log" 2>&1; then
  installed=no
  pass "apt-get purge ondeline"
  if grep -E '^(W|E): ' "$scratch/remove.log"; then
    fail "apt-get warned while removing"
  fi
else
  cat "$scratch/remove.log"
  fail "apt-get purge ondeline failed"
fi
dpkg-query -W -f='${Status}' ondeline 2>/dev/null | grep -q "installed" && fail "dpkg still lists ondeline"
left=()
for file in "${files[@]}"; do
  [ -e "$file" ] && left+=("$file")
done
[ ${#left[@]} -eq 0 ] && pass "none of the package's ${#files[@]} files is left" ||
  fail "left behind: ${left[*]}"
command -v ondeline-render >/dev/null && fail "ondeline-render is still on the PATH"

if [ "$failures" -ne 0 ]; then
  echo "package-test: $failures check(s) failed"
  exit 1
fi
echo "package-test: every check passed"
