#!/usr/bin/env bash
# Leaves the real program running with Rain on, under X (Xvfb and openbox) and on Wayland (a
# headless sway), both at once, for a given time, as a person leaves it in a corner of the
# screen. Each minute it samples the program's resident memory; from outside, through gdb, it
# notes the time of every entry to the dialog's timer handler and of every rain step, so the
# program itself carries nothing for it. Then it closes the window as a person does.
#
#   bash tools/scripts/long-run.sh [--minutes N] [--only x11|wayland] [BUILD_DIR]
#
# It prints resident memory minute by minute, the ticks against the 100 ms periods that passed,
# and how late they came. It fails when resident memory grows past start-up by more than a
# megabyte, when ticks outnumber the periods (a timer doubled) or stop for a second (a timer
# lost), when rain stops, or when the program does not end with status 0. A tick that comes late
# is not a fault of the program's: Qt keeps the timer's cadence after a late tick, so the next
# one comes that much sooner, and a tick more than a period late takes the place of the one it
# missed; how many do depends on what else the machine runs. Default: 60 minutes, build/.
set -euo pipefail
cd "$(dirname "$0")/../.."

minutes=60
only=""
build=build
while [ $# -gt 0 ]; do
  case "$1" in
    --minutes) minutes=$2; shift 2 ;;
    --only) only=$2; shift 2 ;;
    -*) echo "long-run: unknown option '$1'" >&2; exit 2 ;;
    *) build=$1; shift ;;
  esac
done
case "$only" in '' | x11 | wayland) ;; *) echo "long-run: --only takes x11 or wayland" >&2; exit 2 ;; esac
[[ "$minutes" =~ ^[1-9][0-9]*$ ]] || { echo "long-run: --minutes takes a whole number" >&2; exit 2; }
program=$(realpath "$build/app/ondeline" 2>/dev/null || true)
[ -x "$program" ] || { echo "long-run: no program at $build/app/ondeline; build it first" >&2; exit 2; }
for tool in gdb python3 Xvfb openbox xdotool xprop wmctrl sway swaymsg wtype; do
  command -v "$tool" >/dev/null || { echo "long-run: $tool is missing (setup.sh --tests)" >&2; exit 2; }
done

work=$(mktemp -d)
chmod 755 "$work"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  if [ "${status:-1}" != 0 ]; then
    rm -rf "$build/long-run"
    cp -r "$work" "$build/long-run"
    echo "long-run: its logs are in $build/long-run" >&2
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# gdb's part: a breakpoint that never stops the program, only notes the time of each hit.
cat >"$work/ticks.py" <<'EOF'
import gdb, os, time

class Counter(gdb.Breakpoint):
    def __init__(self, location, path):
        super().__init__(location, internal=True)
        self.out = open(path, "w", buffering=1)
    def stop(self):
        self.out.write("%.6f\n" % time.monotonic())
        return False

Counter("CRippleDlg::OnTimer", os.environ["TICKS_FILE"])
Counter("CRippleDlg::MakeRain", os.environ["RAIN_FILE"])
open(os.environ["READY_FILE"], "w").close()
gdb.execute("continue")
# Only a signal stops the program before its end: its threads' stacks say where.
gdb.execute("thread apply all bt")
EOF

wait_for() { # wait_for SECONDS COMMAND...: polls the command until it succeeds
  local deadline=$((SECONDS + $1))
  shift
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.2
  done
}

# Starts gdb on the program, waits until its breakpoints are set and the program runs on.
# Above the programs' own priority where it may be, so that a busy machine delays no tick through gdb.
count_ticks() { # count_ticks NAME PID
  TICKS_FILE="$work/$1.ticks" RAIN_FILE="$work/$1.rain" READY_FILE="$work/$1.gdb-ready" \
    nice -n -5 gdb -q -batch -p "$2" -x "$work/ticks.py" >"$work/$1.gdb.log" 2>&1 &
  pids+=($!)
  wait_for 60 test -e "$work/$1.gdb-ready" || { echo "$1: gdb did not attach" >&2; return 1; }
}

start_x11() {
  Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp >"$work/x11.display" 2>"$work/xvfb.log" &
  pids+=($!)
  wait_for 30 grep -q . "$work/x11.display" || { echo "x11: Xvfb did not start" >&2; return 1; }
  export X11_DISPLAY=":$(head -n1 "$work/x11.display")"
  DISPLAY=$X11_DISPLAY openbox >"$work/openbox.log" 2>&1 &
  pids+=($!)
  wait_for 30 env DISPLAY="$X11_DISPLAY" sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'
  DISPLAY=$X11_DISPLAY QT_QPA_PLATFORM=xcb WAYLAND_DISPLAY= "$program" >"$work/x11.out" 2>&1 &
  x11_pid=$!
  wait_for 60 env DISPLAY="$X11_DISPLAY" xdotool search --onlyvisible --name '^Ondeline$' ||
    { echo "x11: no window" >&2; return 1; }
  x11_window=$(DISPLAY=$X11_DISPLAY xdotool search --onlyvisible --name '^Ondeline$' | head -n1)
  count_ticks x11 "$x11_pid"
  # Focus starts on the first box, Rain: a space ticks it.
  DISPLAY=$X11_DISPLAY xdotool windowactivate --sync "$x11_window" key space
}

close_x11() {
  DISPLAY=$X11_DISPLAY wmctrl -i -c "$x11_window"
}

sway_window_focused() {
  SWAYSOCK=$sway_ipc swaymsg -r -t get_tree | python3 -c '
import json, sys
def find(node):
    if node.get("name") == "Ondeline" and node.get("focused") and "app_id" in node:
        return True
    return any(find(c) for k in ("nodes", "floating_nodes") for c in node.get(k, []))
sys.exit(0 if find(json.load(sys.stdin)) else 1)'
}

start_wayland() {
  mkdir -m 700 "$work/compositor" "$work/client"
  printf 'output HEADLESS-1 mode 1200x900\nxwayland disable\ndefault_border none\n' >"$work/sway.config"
  chmod 644 "$work/sway.config"
  local as_user=()
  if [ "$(id -u)" = 0 ]; then
    chown nobody "$work/compositor"
    as_user=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups)
  fi
  env -u WAYLAND_DISPLAY -u DISPLAY XDG_RUNTIME_DIR="$work/compositor" HOME="$work" \
    WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    "${as_user[@]}" sway --config "$work/sway.config" >"$work/sway.log" 2>&1 &
  pids+=($!)
  wait_for 30 test -S "$work/compositor/wayland-1" || { echo "wayland: sway made no socket" >&2; return 1; }
  sway_ipc=$(ls "$work"/compositor/sway-ipc.* 2>/dev/null | head -n1)
  wayland_display=$work/compositor/wayland-1
  # The keyboard is there before the program, as a person's is, or its first key is lost.
  WAYLAND_DISPLAY=$wayland_display wtype -s $(((minutes + 10) * 60000)) &
  pids+=($!)
  XDG_RUNTIME_DIR=$work/client WAYLAND_DISPLAY=$wayland_display QT_QPA_PLATFORM=wayland DISPLAY= \
    "$program" >"$work/wayland.out" 2>&1 &
  wayland_pid=$!
  wait_for 60 sway_window_focused || { echo "wayland: no window" >&2; return 1; }
  count_ticks wayland "$wayland_pid"
  WAYLAND_DISPLAY=$wayland_display wtype -k space
}

close_wayland() {
  SWAYSOCK=$sway_ipc swaymsg '[title="^Ondeline$"] kill' >/dev/null
}

sessions=(x11 wayland)
[ -n "$only" ] && sessions=("$only")
declare -A pid_of
for name in "${sessions[@]}"; do
  "start_$name"
  [ "$name" = x11 ] && pid_of[x11]=$x11_pid || pid_of[wayland]=$wayland_pid
  pids+=("${pid_of[$name]}")
  echo "$name: program ${pid_of[$name]} running with Rain on"
done

start=$SECONDS
for ((minute = 1; minute <= minutes; ++minute)); do
  wait_s=$((start + minute * 60 - SECONDS))
  [ "$wait_s" -le 0 ] || sleep "$wait_s"
  for name in "${sessions[@]}"; do
    rss=$(awk '/^VmRSS:/ {print $2}' "/proc/${pid_of[$name]}/status" 2>/dev/null || echo gone)
    echo "$minute $rss" >>"$work/$name.memory"
  done
done

status=0
for name in "${sessions[@]}"; do
  "close_$name"
  exit_status=0
  # The program is this shell's child; gdb lets it go as it ends.
  timeout 30 tail --pid="${pid_of[$name]}" -f /dev/null || exit_status=timeout
  wait "${pid_of[$name]}" || exit_status=$?
  echo "$name: ended with status $exit_status"
  [ "$exit_status" = 0 ] || { status=1; cat "$work/$name.out" >&2; }
  python3 - "$name" "$work" <<'EOF' || status=1
import sys
name, work = sys.argv[1], sys.argv[2]
period, slack_kb, stalled = 0.1, 1024, 1.0
memory = [line.split() for line in open(f"{work}/{name}.memory")]
resident = [int(kb) for _, kb in memory if kb.isdigit()]
ticks = [float(t) for t in open(f"{work}/{name}.ticks")]
rain = [float(t) for t in open(f"{work}/{name}.rain")]
if len(ticks) < 2 or len(resident) != len(memory):
    print(f"{name}: the program stopped ticking or ended early")
    sys.exit(1)
gaps = sorted(b - a for a, b in zip(ticks, ticks[1:]))
periods = (ticks[-1] - ticks[0]) / period
# Start-up is over once the first minute's rain has filled the drop table.
base = resident[1] if len(resident) > 1 else resident[0]
growth = max(resident[1:], default=base) - base
late = sum(g > 1.5 * period for g in gaps)
print(f"{name}: resident kB by minute: {' '.join(map(str, resident))}")
print(f"{name}: growth past minute 2: {growth} kB (allowed {slack_kb})")
print(f"{name}: {len(gaps)} ticks in {periods:.0f} periods ({len(gaps) / periods:.4f} a period); "
      f"intervals {gaps[0] * 1000:.1f} to {gaps[-1] * 1000:.1f} ms, median "
      f"{gaps[len(gaps) // 2] * 1000:.1f}, 99th centile {gaps[len(gaps) * 99 // 100] * 1000:.1f}; "
      f"{late} over {1.5 * period * 1000:.0f} ms; rain on {len(rain)} ticks")
ok = (growth <= slack_kb and len(gaps) <= periods + 1 and gaps[-1] < stalled
      and len(rain) >= len(ticks) - 100)
sys.exit(0 if ok else 1)
EOF
done
exit "$status"
