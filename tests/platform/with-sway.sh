#!/usr/bin/env bash
# Runs a command as the one client of a headless sway of its own (no screen, software rendering)
# and ends the compositor after it, with the command's exit status. sway will not run as root,
# so root starts it as nobody; the client reaches its socket by path.
set -euo pipefail
dir=$(mktemp -d)
chmod 755 "$dir"
mkdir -m 700 "$dir/compositor" "$dir/client"
printf 'output HEADLESS-1 mode 640x480\nxwayland disable\ndefault_border none\n' >"$dir/config"
chmod 644 "$dir/config"
as_user=()
if [ "$(id -u)" = 0 ]; then
  chown nobody "$dir/compositor"
  as_user=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups)
fi
env -u WAYLAND_DISPLAY -u DISPLAY XDG_RUNTIME_DIR="$dir/compositor" HOME="$dir" \
  WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
  "${as_user[@]}" sway --config "$dir/config" >"$dir/sway.log" 2>&1 &
sway_pid=$!
trap 'kill "$sway_pid" 2>/dev/null || true; wait "$sway_pid" 2>/dev/null || true; rm -rf "$dir"' EXIT
# The socket appears once sway is ready for clients; it gives up long before the test's timeout.
for _ in $(seq 100); do
  [ -S "$dir/compositor/wayland-1" ] && break
  kill -0 "$sway_pid" 2>/dev/null || { cat "$dir/sway.log" >&2; exit 1; }
  sleep 0.1
done
[ -S "$dir/compositor/wayland-1" ] || { echo "sway made no socket" >&2; exit 1; }
status=0
XDG_RUNTIME_DIR="$dir/client" WAYLAND_DISPLAY="$dir/compositor/wayland-1" "$@" || status=$?
exit "$status"
