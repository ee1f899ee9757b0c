#!/usr/bin/env bash
# Installs a build into a scratch DESTDIR as a package would (prefix /usr) and checks that a
# desktop finds everything where it looks: the exact set of files, icons of the sizes their
# folders promise, a desktop entry, catalogue entry and manual pages that the desktop's own
# validators pass, manual pages that document every option the programs offer, a scalable icon
# that draws the same picture as the bitmap ones, and the licence in Debian's machine-readable
# form. Then once more under another prefix. Any failure is printed and makes the exit status
# non-zero.
#
# usage: check-install.sh CMAKE BUILD_DIR APP_ID VERSION SOURCE_DIR
set -uo pipefail

cmake=$1 build=$2 id=$3 version=$4 source=$5
icon_sizes=(16 32 48 64 128 256)
failures=0
scratch=$(mktemp -d)
# cmake --install writes the list of what it installed into the build folder, where a person
# may be keeping the list of a real installation to remove it by; it is put back afterwards.
manifest=$build/install_manifest.txt
[ -f "$manifest" ] && cp -p "$manifest" "$scratch/manifest.kept"
restore() {
  if [ -f "$scratch/manifest.kept" ]; then
    cp -p "$scratch/manifest.kept" "$manifest"
  else
    rm -f "$manifest"
  fi
  rm -rf "$scratch"
}
trap restore EXIT

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

pass() {
  echo "ok: $*"
}

need() {
  command -v "$1" >/dev/null || { echo "FAIL: $1 is missing (Debian package $2)"; exit 1; }
}

need desktop-file-validate desktop-file-utils
need appstreamcli appstream
need groff groff-base
need man man-db
need readelf binutils
need rsvg-convert librsvg2-bin
need compare imagemagick

# A PNG's width and height, from its header.
png_size() {
  od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }'
}

check_file_set() {
  local root=$1
  local expected=(
    usr/bin/ondeline
    usr/bin/ondeline-render
    "usr/share/applications/$id.desktop"
    "usr/share/metainfo/$id.metainfo.xml"
    usr/share/man/man1/ondeline-render.1.gz
    usr/share/man/man1/ondeline.1.gz
    usr/share/doc/ondeline/copyright
    usr/share/doc/ondeline/changelog.gz
    "usr/share/icons/hicolor/scalable/apps/$id.svg"
  )
  for size in "${icon_sizes[@]}"; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
  done
  local want got
  want=$(printf '%s\n' "${expected[@]}" | sort)
  got=$(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | sort)
  if [ "$want" = "$got" ]; then
    pass "installs exactly the ${#expected[@]} expected files"
  else
    fail "the installed files differ from the expected ones:"
    diff <(echo "$want") <(echo "$got") | sed 's/^/    /'
  fi
}

check_programs() {
  local bin=$1/usr/bin
  for program in ondeline ondeline-render; do
    [ -x "$bin/$program" ] || fail "$program is not executable"
    # A run path into the build folder would load the build's libraries, or none, elsewhere.
    if readelf -d "$bin/$program" | grep -E 'R(UN)?PATH' | grep -q "$build"; then
      fail "$program keeps a run path into the build folder"
    fi
  done
  local said
  said=$("$bin/ondeline-render" --version)
  [ "$said" = "ondeline-render $version" ] && pass "ondeline-render --version says $version" ||
    fail "ondeline-render --version says '$said', not 'ondeline-render $version'"
}

check_icons() {
  local root=$1
  for size in "${icon_sizes[@]}"; do
    local png=$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png
    [ -f "$png" ] || continue
    local signature
    signature=$(od -An -tx1 -N8 "$png" | tr -d ' ')
    [ "$signature" = 89504e470d0a1a0a ] || fail "$png is not a PNG"
    [ "$(png_size "$png")" = "${size}x${size}" ] || fail "$png is $(png_size "$png"), not ${size}x${size}"
  done
  pass "icons are PNG pictures of ${icon_sizes[*]} pixels"

  # The scalable icon must render, and at 256 pixels look like the bitmap drawn from the same
  # shapes: the two differ only in how their edges are smoothed.
  local svg=$root/usr/share/icons/hicolor/scalable/apps/$id.svg
  local drawn=$scratch/scalable-256.png
  local said
  if ! said=$(rsvg-convert -w 256 -h 256 -o "$drawn" "$svg" 2>&1); then
    fail "rsvg-convert cannot render $svg: $said"
    return
  fi
  local rmse differing
  rmse=$(compare -metric RMSE "$drawn" "$root/usr/share/icons/hicolor/256x256/apps/$id.png" null: 2>&1 |
    sed -n 's/.*(\([0-9.e-]*\)).*/\1/p')
  differing=$(compare -metric AE -fuzz 10% "$drawn" "$root/usr/share/icons/hicolor/256x256/apps/$id.png" null: 2>&1)
  if awk -v r="${rmse:-1}" -v d="${differing:-65536}" 'BEGIN { exit !(r < 0.02 && d < 656) }'; then
    pass "the scalable icon renders as the 256-pixel one (RMSE $rmse, $differing pixels apart)"
  else
    fail "the scalable icon rendered at 256 pixels differs from the bitmap: RMSE ${rmse:-?}, ${differing:-?} pixels"
  fi
}

check_desktop_entry() {
  local root=$1
  local entry=$root/usr/share/applications/$id.desktop
  local said
  if said=$(desktop-file-validate "$entry" 2>&1) && [ -z "$said" ]; then
    pass "desktop-file-validate passes the desktop entry"
  else
    fail "desktop-file-validate: $said"
  fi
  local field
  for field in "Name=Ondeline" "Exec=ondeline" "Icon=$id" "Type=Application"; do
    grep -qx "$field" "$entry" || fail "the desktop entry has no line $field"
  done
  grep -qE '^Comment=.+' "$entry" || fail "the desktop entry has no comment"
  grep -qE '^Categories=.*Game;' "$entry" || fail "the desktop entry is not filed under Game"
}

check_metainfo() {
  local root=$1
  local metainfo=$root/usr/share/metainfo/$id.metainfo.xml
  local said
  # Pedantic, and only information (I) may remain: software centres pass over entries with
  # warnings, and the pedantic notes are the ones a careful catalogue would raise next.
  if said=$(appstreamcli validate --pedantic --no-net "$metainfo" 2>&1) &&
    ! grep -qE '^[EWP]:' <<<"$said"; then
    pass "appstreamcli validate --pedantic passes the metainfo"
  else
    fail "appstreamcli validate --pedantic: $said"
  fi
  # The catalogue entry must lead to the desktop entry, and carry this release.
  grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo does not launch $id.desktop"
  grep -q "<id>$id</id>" "$metainfo" || fail "the metainfo's id is not $id"
  grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo has no release $version"
  grep -q "<project_license>MIT</project_license>" "$metainfo" || fail "the metainfo names no MIT licence"
}

check_manual() {
  local root=$1
  local page warnings
  for page in ondeline ondeline-render; do
    local file=$root/usr/share/man/man1/$page.1.gz
    warnings=$(zcat "$file" | groff -man -Tutf8 -ww -z 2>&1)
    [ -z "$warnings" ] || fail "groff warns about $page.1: $warnings"
    warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$file" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man warns about $page.1: $warnings"
    lexgrog "$file" | grep -q "\"$page - " || fail "$page.1 has no NAME line for whatis"
    zgrep -q "^\.TH .* \"Ondeline $version\"" "$file" || fail "$page.1 does not name version $version"
  done
  # Every option ondeline-render offers is in its page.
  local rendered option missing=()
  rendered=$(MANWIDTH=200 man -E UTF-8 -l "$root/usr/share/man/man1/ondeline-render.1.gz" 2>/dev/null | col -b)
  for option in $("$root/usr/bin/ondeline-render" --help | grep -oE -- '--[a-z]+' | sort -u); do
    grep -qe "$option" <<<"$rendered" || missing+=("$option")
  done
  [ ${#missing[@]} -eq 0 ] || fail "ondeline-render.1 does not describe ${missing[*]}"
  pass "manual pages format without warnings and cover every option of ondeline-render"
}

# The copyright file is Debian's machine-readable form, and its licence is LICENSE word for word.
check_licence() {
  local root=$1
  local copyright=$root/usr/share/doc/ondeline/copyright
  head -1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "the copyright file does not declare the machine-readable format"
  local failed_before=$failures text licence
  # The stand-alone licence paragraph: the last "License:" line and the indented text after it.
  text=$(awk '/^License: Expat$/ { text = ""; next } /^ / { text = text $0 "\n" } END { printf "%s", text }' \
    "$copyright" | sed 's/^ \.$//; s/^ //' | tr -s ' \n' ' ')
  licence=$(grep -vE '^(MIT License|Copyright .*)$' "$source/LICENSE" | tr -s ' \n' ' ')
  [ "${text# }" = "${licence# }" ] || fail "the copyright file's licence text is not LICENSE's"
  grep -qx 'Copyright: 2026 The Ondeline developers' "$copyright" || fail "the copyright file names no holder"
  zcat "$root/usr/share/doc/ondeline/changelog.gz" | head -1 | grep -q "^ondeline ($version) " ||
    fail "the changelog's newest entry is not for $version"
  [ "$failures" -eq "$failed_before" ] && pass "the licence and the changelog are in usr/share/doc/ondeline"
}

destdir=$scratch/package
if DESTDIR=$destdir "$cmake" --install "$build" --prefix /usr >"$scratch/install.log" 2>&1; then
  check_file_set "$destdir"
  check_programs "$destdir"
  check_icons "$destdir"
  check_desktop_entry "$destdir"
  check_metainfo "$destdir"
  check_manual "$destdir"
  check_licence "$destdir"
else
  fail "cmake --install failed:"
  sed 's/^/    /' "$scratch/install.log"
fi

# Another prefix takes the same tree under it.
other=$scratch/other
if DESTDIR=$other "$cmake" --install "$build" --prefix /opt/ondeline >"$scratch/install.log" 2>&1 &&
  [ -x "$other/opt/ondeline/bin/ondeline" ] &&
  [ -f "$other/opt/ondeline/share/applications/$id.desktop" ] &&
  [ -f "$other/opt/ondeline/share/icons/hicolor/256x256/apps/$id.png" ]; then
  pass "--prefix /opt/ondeline installs under /opt/ondeline"
else
  fail "cmake --install --prefix /opt/ondeline did not install under it"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "every install check passed"
