#!/usr/bin/env bash
# Installs the Windows installer silently under 64-bit Wine, in a prefix of its own, and checks
# that the program's files are under Program Files with a Start-menu shortcut and an entry in
# Apps & features (the Uninstall registry key), that the installed program starts, and that the
# portable .zip holds the same files. Then uninstalls it silently and fails on any file or
# registry key of it left behind.
#
# usage: check-installer.sh INSTALLER.exe PORTABLE.zip
set -uo pipefail

installer=$1 zip=$2
wine64=${ONDELINE_WINE64:-/usr/lib/wine/wine64}
# The names the installer files the program under, as cmake/WindowsPackaging.cmake gives them.
folder=Ondeline
vendor="Ondeline developers"
uninstall_key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$folder"

prefix=$(mktemp -d)
listing=$(mktemp -d)
export WINEPREFIX=$prefix WINEDEBUG=-all WINELOADER=$wine64 WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  rm -rf "$prefix" "$listing"
}
trap cleanup EXIT
# A silent installation opens no window, so Wine needs no display.
unset DISPLAY WAYLAND_DISPLAY

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
# Runs a Windows program and waits for every process of the prefix to end: the uninstaller
# copies itself away and runs from there, and the registry is written out when the server ends.
wine_run() {
  "$wine64" "$@"
  local status=$?
  wineserver -w
  return $status
}
key_exists() { "$wine64" reg query "$1" >/dev/null 2>&1; }
key_value() { "$wine64" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
# Every file and folder of the prefix's drive, and every registry key, for comparing.
snapshot() {
  (cd "$prefix/drive_c" && find . | sort) >"$listing/$1.files"
  grep -h '^\[' "$prefix"/*.reg | sed 's/\] [0-9]*$/]/' | sort >"$listing/$1.keys"
}

wine_run wineboot -i || fail "wineboot could not make a prefix"
snapshot before

start=$(date +%s)
wine_run "$installer" /S || fail "the silent installation ended with status $?"
echo "installed in $(($(date +%s) - start)) s"
program_dir="$prefix/drive_c/Program Files/$folder"
[ -d "$program_dir" ] || fail "nothing was installed under Program Files\\$folder"
installed=$(cd "$program_dir" 2>/dev/null && find . -type f ! -name Uninstall.exe | sed 's|^\./||' | sort)
packed=$(unzip -Z1 "$zip" | grep -v '/$' | sed 's|^[^/]*/||' | sort)
[ -n "$packed" ] || fail "the .zip holds no files"
[ "$installed" = "$packed" ] || fail "the installer and the .zip hold different files:
installed: $installed
zip: $packed"
[ -f "$program_dir/Uninstall.exe" ] || fail "no uninstaller was installed"
menu="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/$folder"
[ -d "$menu" ] || fail "no Start-menu folder $folder"
[ "$(key_value "$uninstall_key" DisplayName)" = "$folder" ] ||
  fail "Apps & features has no entry named $folder"
version=$(basename "$installer" | sed -n 's/^ondeline-\(.*\)-win64\.exe$/\1/p')
[ "$(key_value "$uninstall_key" DisplayVersion)" = "$version" ] ||
  fail "the Apps & features entry does not say version $version"
uninstaller=$(key_value "$uninstall_key" UninstallString)
[[ "$uninstaller" == *"Program Files\\$folder\\Uninstall.exe"* ]] ||
  fail "the Apps & features entry uninstalls with '$uninstaller'"
[ -f "$menu/Ondeline.lnk" ] || fail "the Start-menu folder has no shortcut Ondeline.lnk"
# The installed program starts from there with nothing beside it; its version answer needs no
# display.
started=$("$wine64" "C:\\Program Files\\$folder\\ondeline.exe" --version 2>&1 | tr -d '\r')
[ "$started" = "ondeline $version" ] || fail "the installed program did not start: '$started'"
echo "installed: $(tr '\n' ' ' <<<"$installed")Uninstall.exe; Start-menu folder: $(ls "$menu" 2>/dev/null | tr '\n' ' ')"

wine_run "C:\\Program Files\\$folder\\Uninstall.exe" /S || fail "the silent uninstallation ended with status $?"
snapshot after
left_files=$(comm -13 "$listing/before.files" "$listing/after.files" | grep -i "$folder")
left_keys=$(comm -13 "$listing/before.keys" "$listing/after.keys" | grep -iE "$folder|$vendor")
[ -z "$left_files" ] || fail "the uninstaller left files behind: $left_files"
[ -z "$left_keys" ] || fail "the uninstaller left registry keys behind: $left_keys"
key_exists "$uninstall_key" && fail "the Apps & features entry is still there"

[ "$failures" -eq 0 ]
