#!/usr/bin/env bash
# Checks the installer for every Windows and the two portable .zip files that
# tools/scripts/package-windows.sh wrote into the 64-bit build folder, under Wine, in prefixes of
# their own:
# - a 64-bit Windows gets the 64-bit program and a 32-bit one the 32-bit program, under Program
#   Files, byte for byte as the matching .zip holds it, with a Start-menu shortcut (and none to
#   uninstall), an Apps & features entry as Windows expects it, and a version resource on the
#   installer and the uninstaller; the installed program starts;
# - installing again while the program runs closes it, as does uninstalling, which then leaves no
#   file or registry key behind;
# - when the running program does not close, a silent uninstallation fails and changes nothing,
#   and the uninstaller's window asks the user; once they have closed it, Retry removes everything.
# The installer is a 32-bit program, as 32-bit Windows needs. Where Wine has no 32-bit half that
# runs (wine32 missing, or a kernel that runs no 32-bit programs), it cannot run at all: then the
# same installer built as a 64-bit program goes through the same checks in 64-bit Wine, and the
# test ends as not run (status 77) unless a check failed.
#
# usage: check-installer.sh BUILD64 BUILD32
set -uo pipefail

build64=$1 build32=$2
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
wine64=${ONDELINE_WINE64:-/usr/lib/wine/wine64}
wine32=${ONDELINE_WINE32:-/usr/lib/wine/wine}
not_run_status=77
# What a silent run that stopped before it was done ends with, as the README says.
not_done_status=2
# The names the installer files the program under, as tools/windows/Common.nsh gives them.
folder=Ondeline
program=ondeline.exe
uninstall_key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$folder"
program_path="C:\\Program Files\\$folder\\$program"
uninstaller_path="C:\\Program Files\\$folder\\Uninstall.exe"

version=$(cat "$build64/package/version.txt")
installer=$build64/ondeline-$version-setup.exe
scratch=$(mktemp -d)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WAYLAND_DISPLAY
programs=()
window_manager=
source "$(dirname "$0")/script-checks.sh"
cleanup() {
  for pid in "${programs[@]}"; do
    kill -CONT "$pid" 2>/dev/null
  done
  for prefix in "$scratch"/prefix-*; do
    [ -d "$prefix" ] && end_wine_server "$prefix"
  done
  [ -n "$window_manager" ] && kill "$window_manager" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

# A private X server with a window manager, for the program's window and the uninstaller's.
start_display() {
  start_xvfb
  openbox >/dev/null 2>&1 &
  window_manager=$!
  await xprop -root _NET_SUPPORTING_WM_CHECK || fail "openbox did not start; $(window_manager_state)"
}

# Types Return on a window once the window manager has made it active. Once, under load, the
# window manager could not make the uninstaller's page active, and the key that would have gone
# to it was never typed; a failure now says what became of the window manager.
press_return_on() {
  await timeout 10 xdotool windowactivate --sync "$1" || {
    fail "window $1 could not be made active; $(window_manager_state)"
    return 1
  }
  xdotool key Return
}

window_manager_state() {
  if kill -0 "$window_manager" 2>/dev/null; then
    echo "openbox runs; the root window's _NET_SUPPORTED: $(xprop -root _NET_SUPPORTED 2>&1 | cut -c1-200)"
  else
    wait "$window_manager"
    echo "openbox has ended with status $?"
  fi
}

# Everything below runs in the prefix and with the Wine of the last use_wine. The 32-bit loader
# starts 64-bit programs too, with the 64-bit one, in a 64-bit prefix; Wine's reg is then a
# 32-bit program, told to read the 64-bit registry.
use_wine() {
  export WINEPREFIX=$scratch/prefix-$1 WINEARCH=$2
  wine=$3
  reg_view=()
  [ "$2" = win64 ] && reg_view=(/reg:64)
  if [ "$wine" = "$wine64" ]; then
    export WINELOADER=$wine64
  else
    unset WINELOADER
  fi
  wine_run wineboot -i 2>/dev/null || fail "wineboot could not make a $2 prefix"
}
# Runs a Windows program and waits for every process of the prefix to end: the uninstaller's
# copy deletes it after it has ended, and the registry is written out when the server ends.
wine_run() {
  "$wine" "$@"
  local status=$?
  wineserver -w
  return $status
}
# The Apps & features entry's values, one a line, as NAME TYPE VALUE; empty when it is missing.
read_entry() {
  entry=$("$wine" reg query "$uninstall_key" "${reg_view[@]}" 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *\([A-Za-z]*\) *\(REG_[A-Z_]*\) *\(.*\)$/\1 \2 \3/p')
}
# TYPE VALUE of the value of that name in the entry read last.
key_value() { sed -n "s/^$1 //p" <<<"$entry"; }
# Every file and folder of the prefix's drive, and every registry key, for comparing.
snapshot() {
  (cd "$WINEPREFIX/drive_c" && find . | sort) >"$scratch/$1.files"
  grep -h '^\[' "$WINEPREFIX"/*.reg | sed 's/\] [0-9]*$/]/' | sort >"$scratch/$1.keys"
}
expect_all_gone() {
  snapshot after
  local files keys
  files=$(comm -13 "$scratch/before.files" "$scratch/after.files" | grep -iE "$folder|ondeline")
  keys=$(comm -13 "$scratch/before.keys" "$scratch/after.keys" | grep -iE "$folder|ondeline")
  [ -z "$files" ] || fail "$1 left files behind: $files"
  [ -z "$keys" ] || fail "$1 left registry keys behind: $keys"
}
start_program() {
  "$wine" "$program_path" &
  running=$!
  programs+=("$running")
  await xdotool search --onlyvisible --name "^$folder\$" || fail "the installed program shows no window"
}
# The program's status once it has ended, as its close button ends it: 0.
expect_closed() {
  wait "$running"
  local status=$?
  [ "$status" -eq 0 ] || fail "$1: the program ended with status $status"
}
# The machine a Windows program is for, from its PE header: 8664 x86-64, 014c i386.
machine_of() {
  local header
  header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  od -An -tx2 -j$((header + 4)) -N2 "$1" | tr -d ' '
}

# The silent installation, what it puts where, and the program it starts.
check_installation() {
  local setup=$1 zip=$2 machine=$3
  snapshot before
  wine_run "$setup" /S || fail "the silent installation ended with status $?"
  local dir="$WINEPREFIX/drive_c/Program Files/$folder"
  local installed packed
  installed=$(cd "$dir" 2>/dev/null && find . -type f ! -name Uninstall.exe | sed 's|^\./||' | sort)
  packed=$(unzip -Z1 "$zip" | grep -v '/$' | sed 's|^[^/]*/||' | sort)
  [ -n "$packed" ] || fail "$zip holds no files"
  [ "$installed" = "$packed" ] || fail "the installer and $zip hold different files:
installed: $installed
zip: $packed"
  unzip -q -o "$zip" -d "$scratch/unzipped"
  cmp -s "$dir/$program" "$scratch/unzipped/$(basename "$zip" .zip)/$program" ||
    fail "the installed $program is not the one of $(basename "$zip")"
  [ "$(machine_of "$dir/$program")" = "$machine" ] ||
    fail "the installed $program is for the machine $(machine_of "$dir/$program"), not $machine"
  [ -f "$dir/Uninstall.exe" ] || fail "no uninstaller was installed"
  strings -el "$dir/Uninstall.exe" | grep -qx "$folder Uninstall" ||
    fail "the uninstaller has no version resource naming it"

  local menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
  [ -f "$menu/$folder.lnk" ] || fail "the Start menu has no shortcut $folder.lnk"
  [ -z "$(find "$menu" -iname '*uninstall*')" ] || fail "the Start menu has an uninstall shortcut"
  local expected
  read_entry
  for expected in "DisplayName REG_SZ $folder" "DisplayVersion REG_SZ $version" \
    "InstallLocation REG_SZ C:\\Program Files\\$folder" "NoModify REG_DWORD 0x1" \
    "NoRepair REG_DWORD 0x1" "UninstallString REG_SZ \"$uninstaller_path\"" \
    "QuietUninstallString REG_SZ \"$uninstaller_path\" /S"; do
    [ "${expected%% *} $(key_value "${expected%% *}")" = "$expected" ] ||
      fail "the Apps & features entry has not $expected but: $(key_value "${expected%% *}")"
  done
  local size
  size=$(key_value EstimatedSize | sed -n 's/^REG_DWORD 0x\([0-9a-f]*\)$/\1/p')
  [ -n "$size" ] && [ $((16#$size)) -gt 0 ] || fail "the Apps & features entry has no EstimatedSize"
  # Answered on the standard output, which needs no display.
  local started
  started=$(DISPLAY= "$wine" "$program_path" --version 2>&1 | tr -d '\r')
  [ "$started" = "ondeline $version" ] || fail "the installed program did not start: '$started'"
}

# Installing over an installation, and uninstalling, while the program runs.
check_running_program() {
  local setup=$1
  start_program
  wine_run "$setup" /S || fail "installing over the running program ended with status $?"
  expect_closed "installing over it"

  start_program
  wine_run "$uninstaller_path" /S || fail "uninstalling the running program ended with status $?"
  expect_closed "uninstalling it"
  expect_all_gone "uninstalling the running program"

  # A program that does not answer: stopped, as a hung one would be.
  wine_run "$setup" /S || fail "installing again ended with status $?"
  start_program
  kill -STOP "$running"
  "$wine" "$uninstaller_path" /S
  local status=$?
  [ "$status" -eq "$not_done_status" ] ||
    fail "a silent uninstallation that could not close the program ended with status $status"
  [ -f "$WINEPREFIX/drive_c/Program Files/$folder/$program" ] ||
    fail "the failed uninstallation removed $program"
  read_entry
  [ -n "$(key_value DisplayName)" ] || fail "the failed uninstallation removed the Apps & features entry"

  # The same with the uninstaller's window: it asks; the user closes the program and retries.
  "$wine" "$uninstaller_path" &
  local uninstaller=$! title="^$folder Uninstall\$" page question
  await xdotool search --onlyvisible --name "$title" || {
    fail "the uninstaller shows no window"
    return
  }
  page=$(xdotool search --onlyvisible --name "$title")
  press_return_on "$page" || return
  asks() { xdotool search --onlyvisible --name "$title" | grep -vx "$page"; }
  await asks || {
    fail "the uninstaller did not ask to close the program"
    return
  }
  question=$(asks)
  kill -CONT "$running"
  local window
  window=$(xdotool search --onlyvisible --name "^$folder\$" | head -n 1)
  [ -n "$window" ] && wmctrl -i -c "$window"
  expect_closed "closed by its user"
  press_return_on "$question" || return
  program_gone() { [ ! -e "$WINEPREFIX/drive_c/Program Files/$folder/$program" ]; }
  await program_gone || {
    fail "Retry did not remove the program"
    return
  }
  # Its Close button, once the page has made it the default.
  closes() {
    xdotool windowactivate --sync "$page" key Return
    ! kill -0 "$uninstaller"
  }
  await closes || fail "the uninstaller's window did not close"
  wait "$uninstaller"
  status=$?
  wineserver -w
  [ "$status" -eq 0 ] || fail "the uninstaller's window ended with status $status"
  expect_all_gone "retrying the uninstallation"
}

check_uninstallation() {
  wine_run "$uninstaller_path" /S || fail "the silent uninstallation ended with status $?"
  expect_all_gone "the silent uninstallation"
}

[ -f "$installer" ] || {
  echo "FAIL: $installer is missing: tools/scripts/build-windows.sh makes it"
  exit 1
}
strings -el "$installer" | grep -qx "$folder Setup" || fail "the installer has no version resource naming it"
start_display

if started=$("$wine32" --version 2>&1); then
  use_wine 64 win64 "$wine32"
  check_installation "$installer" "$build64/ondeline-$version-win64.zip" 8664
  check_running_program "$installer"
  use_wine 32 win32 "$wine32"
  check_installation "$installer" "$build64/ondeline-$version-win32.zip" 014c
  check_uninstallation
  [ "$failures" -eq 0 ]
  exit
fi

echo "32-bit Wine tests NOT RUN: the installer, a 32-bit program, cannot run without a 32-bit Wine ($wine32 --version: ${started##*: }); its 64-bit build is checked instead"
bash "$source_dir/tools/scripts/package-windows.sh" --native64 "$scratch/native64" "$build64" "$build32" ||
  fail "the 64-bit build of the installer could not be made"
use_wine 64 win64 "$wine64"
check_installation "$scratch/native64/ondeline-$version-setup.exe" \
  "$build64/ondeline-$version-win64.zip" 8664
check_running_program "$scratch/native64/ondeline-$version-setup.exe"
[ "$failures" -eq 0 ] || exit 1
exit $not_run_status
