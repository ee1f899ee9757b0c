#!/usr/bin/env bash
# Asks the Windows program --help and --version as a Windows user would, under Wine, and fails
# unless each answer arrives and is true on Windows:
# - with the output redirected, as a script captures it;
# - typed into a console (Wine's cmd, on a terminal of its own);
# - started from neither, as a shortcut or Explorer starts it: a message box, which Enter closes,
#   and the program then ends with status 0.
#
# WINELOADER names the Wine of the program's width, 64-bit unless it says otherwise, and WINEARCH
# the kind of prefix.
#
# usage: check-info-options.sh ondeline.exe VERSION
set -uo pipefail

program=$1 version=$2
wine=${WINELOADER:-/usr/lib/wine/wine64}
scratch=$(mktemp -d)
export WINEPREFIX=$scratch/prefix WINEDEBUG=-all WINELOADER=$wine WINEDLLOVERRIDES="mscoree,mshtml="
unset WAYLAND_DISPLAY DISPLAY
source "$(dirname "$0")/script-checks.sh"
cleanup() {
  end_wine_server "$WINEPREFIX"
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

"$wine" wineboot -i >/dev/null 2>&1
wineserver -w
cp "$program" "$WINEPREFIX/drive_c/ondeline.exe"
exe='C:\ondeline.exe'

said=$("$wine" "$exe" --version | tr -d '\r')
[ "$said" = "ondeline $version" ] || fail "--version to a pipe said '$said'"
help=$("$wine" "$exe" --help | tr -d '\r')
[ "$(head -n 1 <<<"$help")" = "Usage: ondeline [--help | --version]" ] ||
  fail "--help to a pipe began '$(head -n 1 <<<"$help")'"
grep -q 'Alt+Space opens the window menu' <<<"$help" || fail "--help does not name Alt+Space"
grep -qiE 'qt|wayland|man ondeline|ondeline-render' <<<"$help" && fail "--help speaks of Linux: $help"

# The terminal's escape sequences taken out, and its line ends.
typed=$(script -qec "$wine cmd /c '$exe' --version" /dev/null |
  sed 's/\x1b\[[0-9;?]*[A-Za-z]//g' | tr -d '\r')
grep -q "ondeline.*$version" <<<"$typed" || fail "--version typed into a console said '$typed'"

# The Wine server of the steps above knows no display; wait for it to end, so that the desktop
# the message box shows on is made anew on the X server.
wineserver -w
start_xvfb
# start runs the program as the desktop does, with no output and no console to write to.
"$wine" start /wait "$exe" --help >/dev/null 2>&1 &
asked=$!
await xdotool search --onlyvisible --name '^Ondeline$' || fail "--help from the desktop showed no message box"
box=$(xdotool search --onlyvisible --name '^Ondeline$' | head -n 1)
[ -n "$box" ] && xdotool windowfocus --sync "$box" key Return
wait "$asked"
status=$?
[ "$status" -eq 0 ] || fail "--help from the desktop ended with status $status"

[ "$failures" -eq 0 ]
