# What the Windows build's script checks share; sourced, after they have made a scratch folder.

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Waits up to a minute for a command to succeed.
await() {
  local tries=600
  until "$@" >/dev/null 2>&1; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || return 1
    sleep 0.1
  done
}

# A private X server, on a display number it picks itself, made the DISPLAY; its process is $xvfb
# for the caller to end. Its keys do not repeat, as in the end-to-end tests' sessions.
xvfb=
start_xvfb() {
  local number=$scratch/display
  Xvfb -displayfd 3 -screen 0 1024x768x24 -r -nolisten tcp 3>"$number" 2>/dev/null &
  xvfb=$!
  await grep -q '[0-9]' "$number" || {
    echo "FAIL: Xvfb did not start"
    exit 1
  }
  export DISPLAY=:$(cat "$number")
}

# Ends every program of a prefix and waits for its server to end, before the prefix may go: the
# server writes the registry out as it ends, and would otherwise write into a folder being removed.
end_wine_server() {
  WINEPREFIX=$1 wineserver -k >/dev/null 2>&1
  WINEPREFIX=$1 wineserver -w >/dev/null 2>&1
}
