#!/usr/bin/env bash
# Measures what the animation costs while it runs: the share of one core that the program uses,
# and the share the display server uses to show it, side by side with XScreenSaver's Ripples and
# Interference hacks at the same size, first under X, then on Wayland.
#
#   tools/scripts/measure-cpu.sh [--seconds N] [--sizes "1280x720 3840x2100"]
#       [--outputs "1280x720 3840x2160 3840x2160@2"] [--only x11|wayland] [[NAME=]ONDELINE...]
#
# Each ONDELINE (default build/app/ondeline), headed NAME in the tables if given, runs with Rain
# and Stretch on at 200 x 200 cells, then once more with Stretch alone, calm water. Times are
# utime + stime from /proc/PID/stat over a fixed span after a short settling time. Under X the
# server is Xvfb with openbox, and each window is put at the top-left corner at each size. On
# Wayland the compositor is a headless sway (software renderer) with one output of each size
# and scale, run as an unprivileged user (nobody, when this runs as root); Ondeline runs as a
# Wayland client, the hacks under sway's Xwayland as that user (Xwayland takes no other), and
# each window is made fullscreen. A program or hack that shows no window within 30 s is
# reported and skipped.
set -euo pipefail

seconds=20
sizes="1280x720 3840x2100"
outputs="1280x720 3840x2160 3840x2160@2"
only=""
settle=3
window_timeout=30
hacks_dir=/usr/libexec/xscreensaver
programs=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds="$2"; shift 2 ;;
    --sizes) sizes="$2"; shift 2 ;;
    --outputs) outputs="$2"; shift 2 ;;
    --only) only="$2"; shift 2 ;;
    -h|--help) sed -n '2,17p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "measure-cpu.sh: unknown option $1 (try --help)" >&2; exit 2 ;;
    *) programs+=("$1"); shift ;;
  esac
done
if [ ${#programs[@]} -eq 0 ]; then
  programs=("$(cd "$(dirname "$0")/../.." && pwd)/build/app/ondeline")
fi
case "$seconds" in
  ''|*[!0-9]*|0) echo "measure-cpu.sh: --seconds takes a positive whole number" >&2; exit 2 ;;
esac
case "$only" in
  ''|x11|wayland) ;;
  *) echo "measure-cpu.sh: --only takes x11 or wayland" >&2; exit 2 ;;
esac
for size in $sizes; do
  if ! [[ "$size" =~ ^[1-9][0-9]*x[1-9][0-9]*$ ]]; then
    echo "measure-cpu.sh: a size is WIDTHxHEIGHT, not $size" >&2; exit 2
  fi
done
for output in $outputs; do
  if ! [[ "$output" =~ ^[1-9][0-9]*x[1-9][0-9]*(@[1-9][0-9]*(\.[0-9]+)?)?$ ]]; then
    echo "measure-cpu.sh: an output is WIDTHxHEIGHT or WIDTHxHEIGHT@SCALE, not $output" >&2; exit 2
  fi
done
names=()
for i in "${!programs[@]}"; do
  program="${programs[$i]}"
  names+=("Ondeline")
  if [[ "$program" == *=* ]]; then
    names[i]="Ondeline ${program%%=*}"
    programs[i]="${program#*=}"
    program="${programs[$i]}"
  fi
  if [ ! -x "$program" ]; then
    echo "measure-cpu.sh: $program is not a program; build it first (tools/scripts/build.sh)" >&2
    exit 2
  fi
  programs[i]="$(cd "$(dirname "$program")" && pwd)/$(basename "$program")"
done

# What the measurement needs, by command -> Debian package. Ripples comes with
# xscreensaver-data, Interference with xscreensaver-data-extra.
missing=()
needs=(Xvfb:xvfb openbox:openbox xdotool:xdotool xdpyinfo:x11-utils xprop:x11-utils)
[ "$only" = x11 ] || needs+=(sway:sway swaymsg:sway Xwayland:xwayland wtype:wtype jq:jq)
for need in "${needs[@]}"; do
  command -v "${need%%:*}" >/dev/null || missing+=("${need#*:}")
done
[ -x "$hacks_dir/ripples" ] || missing+=(xscreensaver-data)
[ -x "$hacks_dir/interference" ] || missing+=(xscreensaver-data-extra)
if [ ${#missing[@]} -gt 0 ]; then
  mapfile -t missing < <(printf '%s\n' "${missing[@]}" | sort -u)
  if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null; then
    echo "Installing ${missing[*]}" >&2
    apt-get update -qq >/dev/null
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  else
    echo "measure-cpu.sh needs these Debian packages: ${missing[*]} (sudo apt-get install ${missing[*]})" >&2
    exit 1
  fi
fi

ticks_per_second=$(getconf CLK_TCK)
subject_pid=""
session_pids=()
work_dir=$(mktemp -d)

stop() {
  local pid="$1"
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
}
end_session() {
  local pid
  for pid in "${session_pids[@]}"; do
    stop "$pid"
  done
  session_pids=()
}
cleanup() {
  stop "$subject_pid"
  end_session
  rm -rf "$work_dir"
}
trap cleanup EXIT

# utime + stime of a process, in clock ticks (fields 14 and 15, counted after the command name,
# which may hold spaces); nothing, and failure, once the process is gone.
cpu_ticks() {
  local stat fields
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  read -r -a fields <<<"${stat##*) }"
  [ ${#fields[@]} -ge 13 ] || return 1
  echo $((fields[11] + fields[12]))
}

# Percent of one core that a tick count over the measured span comes to, one decimal.
percent() {
  awk -v t="$1" -v hz="$ticks_per_second" -v s="$seconds" 'BEGIN { printf "%.1f", 100 * t / hz / s }'
}

# Runs the subject for the measured span, with the session's processes given beside it; prints
# the percent of each, the subject first, or why there is nothing to print.
measure() {
  local pids=("$subject_pid" "$@") before=() after=() pid ticks shares=()
  sleep "$settle"
  for pid in "${pids[@]}"; do
    ticks=$(cpu_ticks "$pid") || { echo "ended before it was measured"; return; }
    before+=("$ticks")
  done
  sleep "$seconds"
  for pid in "${pids[@]}"; do
    ticks=$(cpu_ticks "$pid") || { echo "ended while it was measured"; return; }
    after+=("$ticks")
  done
  stop "$subject_pid"
  subject_pid=""
  for i in "${!pids[@]}"; do
    shares+=("$(percent $((after[i] - before[i])))")
  done
  echo "${shares[*]}"
}

# "p % + s % = t %" from the shares measure printed; anything else is passed on as it is.
cell() {
  if ! [[ "$1" =~ ^[0-9.\ ]+$ ]]; then
    echo "$1"
    return
  fi
  awk -v shares="$1" 'BEGIN {
    n = split(shares, s, " "); total = 0; out = ""
    for (i = 1; i <= n; i++) { out = out (i > 1 ? " + " : "") sprintf("%.1f %%", s[i]); total += s[i] }
    printf "%s = %.1f %%", out, total }'
}

# The table's heading and rule: the first column's name, then two columns for each Ondeline
# (rain, calm) and one for each hack.
table_head() {
  local header="| $1 | " rule="|---|" name
  for name in "${names[@]}"; do
    header+="$name, rain | calm | "
    rule+="---|---|"
  done
  echo "${header}XScreenSaver Ripples | XScreenSaver Interference |"
  echo "${rule}---|---|"
}

# A row's cells for each Ondeline, with rain and then on calm water; measure_one PROGRAM KEYS
# measures one run, and where names the place for the progress lines.
ondeline_cells() {
  local measure_one="$1" where="$2" row="" program
  shift 2
  for program in "${programs[@]}"; do
    echo "Measuring $program with rain $where for $seconds s" >&2
    row+="$(cell "$("$measure_one" "$program" "$@" "space Tab space Tab Tab End")") | "
    echo "Measuring $program on calm water $where for $seconds s" >&2
    row+="$(cell "$("$measure_one" "$program" "$@" "Tab space Tab Tab End")") | "
  done
  echo "$row"
}

# Ends the subject that showed no window, and says so.
no_window() {
  echo "measure-cpu.sh: $1 showed no window within $window_timeout s; skipped" >&2
  stop "$subject_pid"
  subject_pid=""
  echo "no window in $window_timeout s"
}

# ---- X: Xvfb and openbox ---------------------------------------------------------------------

x_server_pid=""

start_x_session() {
  local width="$1" height="$2"
  # Room for the window's title bar, and at least a full HD screen: Ripples only starts when its
  # first window (1280 x 720) lies wholly on the screen.
  local screen_width=$((width > 1920 ? width : 1920))
  local screen_height=$((height + 60 > 1080 ? height + 60 : 1080))
  local display=90
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
  done
  Xvfb ":$display" -screen 0 "${screen_width}x${screen_height}x24" -nolisten tcp >/dev/null 2>&1 &
  x_server_pid=$!
  session_pids+=("$x_server_pid")
  export DISPLAY=":$display"
  for _ in $(seq 100); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
  done
  openbox >/dev/null 2>&1 &
  session_pids+=($!)
  # openbox has taken the screen once it names itself on the root window.
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
  done
}

# The subject's visible window, put at the top-left corner at the given size; nothing when none
# shows in time.
place_x_window() {
  local width="$1" height="$2" window=""
  for _ in $(seq $((window_timeout * 10))); do
    window=$(xdotool search --onlyvisible --pid "$subject_pid" 2>/dev/null | head -n 1) || true
    [ -n "$window" ] && break
    kill -0 "$subject_pid" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$window" ] || return 0
  xdotool windowmove --sync "$window" 0 0 >/dev/null 2>&1 || true
  xdotool windowsize --sync "$window" "$width" "$height" >/dev/null 2>&1 || true
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
  echo "$window"
}

# keys: what the keyboard does in the window once it is placed.
measure_x_ondeline() {
  local program="$1" width="$2" height="$3" keys="$4" window
  env -u QT_SCALE_FACTOR -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$program" >/dev/null 2>&1 &
  subject_pid=$!
  window=$(place_x_window "$width" "$height")
  [ -n "$window" ] || { no_window "$program"; return; }
  # Focus starts on Rain; Tab walks the controls in template order: Rain, Stretch, Drift, the
  # size list (End chooses 200 x 200), Spectrum, Add Color.
  # shellcheck disable=SC2086
  xdotool key --delay 50 $keys
  measure "$x_server_pid"
}

measure_x_hack() {
  local hack="$1" width="$2" height="$3" window
  "$hacks_dir/$hack" -window >/dev/null 2>&1 &
  subject_pid=$!
  window=$(place_x_window "$width" "$height")
  [ -n "$window" ] || { no_window "$hack"; return; }
  measure "$x_server_pid"
}

measure_x11() {
  local rows=() size width height row
  for size in $sizes; do
    width=${size%x*}
    height=${size#*x}
    start_x_session "$width" "$height"
    row="| $width x $height | $(ondeline_cells measure_x_ondeline "at $size under X" "$width" "$height")"
    for hack in ripples interference; do
      echo "Measuring $hack at $size under X for $seconds s" >&2
      row+="$(cell "$(measure_x_hack "$hack" "$width" "$height")") | "
    done
    end_session
    unset DISPLAY
    rows+=("${row% }")
  done
  echo "Under X: share of one core, program + X server = total, over $seconds s (Xvfb, openbox, 200 x 200 cells, Stretch on):"
  table_head window
  printf '%s\n' "${rows[@]}"
}

# ---- Wayland: headless sway and its Xwayland --------------------------------------------------

sway_pid=""
sway_runtime=""
x_display=""
sway_socket=""
ipc_socket=""
client_runtime=""
as_user=()

# sway will not run as root; root runs it, and the hacks, as nobody.
pick_user() {
  as_user=()
  if [ "$(id -u)" -eq 0 ]; then
    as_user=(setpriv --reuid=nobody "--regid=$(id -g nobody)" --clear-groups)
  fi
}

start_wayland_session() {
  local width="$1" height="$2" scale="$3" base="$work_dir/sway-$1x$2@$3"
  mkdir -p "$base/runtime" "$base/client"
  chmod 755 "$work_dir" "$base"
  chmod 700 "$base/runtime" "$base/client"
  [ "$(id -u)" -ne 0 ] || chown nobody "$base/runtime"
  cat >"$base/config" <<EOF
output HEADLESS-1 mode ${width}x${height} position 0 0 scale $scale
default_border none
default_floating_border none
xwayland enable
seat * hide_cursor 100
EOF
  chmod 644 "$base/config"
  env -i PATH="$PATH" XDG_RUNTIME_DIR="$base/runtime" HOME="$base" WLR_BACKENDS=headless \
    WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 "${as_user[@]}" sway --config "$base/config" \
    >"$base/sway.log" 2>&1 &
  sway_pid=$!
  session_pids+=("$sway_pid")
  client_runtime="$base/client"
  sway_runtime="$base/runtime"
  sway_socket=""
  ipc_socket=""
  x_display=""
  for _ in $(seq 200); do
    sway_socket=$(find "$base/runtime" -maxdepth 1 -type s -name 'wayland-*' | head -n 1)
    ipc_socket=$(find "$base/runtime" -maxdepth 1 -type s -name 'sway-ipc.*' | head -n 1)
    x_display=$(sway_x_display)
    [ -n "$sway_socket" ] && [ -n "$ipc_socket" ] && [ -n "$x_display" ] && break
    sleep 0.1
  done
  if [ -z "$sway_socket" ] || [ -z "$ipc_socket" ] || [ -z "$x_display" ]; then
    echo "measure-cpu.sh: sway with Xwayland did not start; its log:" >&2
    cat "$base/sway.log" >&2
    exit 1
  fi
  # A keyboard of its own, there before any client starts, as a person's would be.
  WAYLAND_DISPLAY="$sway_socket" wtype -s 100000000 >/dev/null 2>&1 &
  session_pids+=($!)
}

# The X display sway keeps for Xwayland: the one whose lock file holds sway's process id.
sway_x_display() {
  local lock pid
  for lock in /tmp/.X*-lock; do
    pid=$(tr -cd '0-9' 2>/dev/null <"$lock") || continue
    if [ "$pid" = "$sway_pid" ]; then
      lock=${lock#/tmp/.X}
      echo ":${lock%-lock}"
      return
    fi
  done
}

# sway starts Xwayland when the first X client comes, as a process of its own; it is the one
# that has sway's runtime folder.
sway_xwayland() {
  local pid
  for pid in $(pgrep -x Xwayland); do
    if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "XDG_RUNTIME_DIR=$sway_runtime"; then
      echo "$pid"
      return
    fi
  done
}

swaymsg_() {
  swaymsg -s "$ipc_socket" "$@"
}

# The id of the subject's window once sway shows it, made fullscreen; nothing when none shows in
# time. X clients' windows are found as the only X window there is.
fullscreen_window() {
  local id=""
  for _ in $(seq $((window_timeout * 10))); do
    id=$(swaymsg_ -r -t get_tree 2>/dev/null | jq -r --argjson pid "$subject_pid" \
      '[.. | objects | select(has("shell") and (.pid == $pid or .shell == "xwayland"))][0].id // empty') || true
    [ -n "$id" ] && break
    kill -0 "$subject_pid" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$id" ] || return 0
  swaymsg_ "[con_id=$id] focus, fullscreen enable" >/dev/null
  echo "$id"
}

measure_wayland_ondeline() {
  local program="$1" keys="$2" key keyargs=()
  env -u DISPLAY -u QT_SCALE_FACTOR QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY="$sway_socket" \
    XDG_RUNTIME_DIR="$client_runtime" "$program" >/dev/null 2>&1 &
  subject_pid=$!
  [ -n "$(fullscreen_window)" ] || { no_window "$program"; return; }
  for key in $keys; do
    keyargs+=(-k "$key" -s 50)
  done
  WAYLAND_DISPLAY="$sway_socket" wtype "${keyargs[@]}"
  measure "$sway_pid"
}

measure_wayland_hack() {
  local hack="$1" xwayland
  env -i PATH="$PATH" HOME="$work_dir" DISPLAY="$x_display" "${as_user[@]}" \
    "$hacks_dir/$hack" -window >/dev/null 2>&1 &
  subject_pid=$!
  [ -n "$(fullscreen_window)" ] || { no_window "$hack"; return; }
  xwayland=$(sway_xwayland)
  [ -n "$xwayland" ] || { no_window "Xwayland for $hack"; return; }
  measure "$sway_pid" "$xwayland"
}

measure_wayland() {
  local rows=() output size scale width height row
  pick_user
  for output in $outputs; do
    size=${output%@*}
    scale=1
    [[ "$output" != *@* ]] || scale=${output#*@}
    width=${size%x*}
    height=${size#*x}
    start_wayland_session "$width" "$height" "$scale"
    row="| $width x $height, scale $scale | $(ondeline_cells measure_wayland_ondeline "on $output under sway")"
    for hack in ripples interference; do
      echo "Measuring $hack on $output under sway's Xwayland for $seconds s" >&2
      row+="$(cell "$(measure_wayland_hack "$hack")") | "
    done
    end_session
    rows+=("${row% }")
  done
  echo "On Wayland: share of one core, program + sway (+ Xwayland for the hacks) = total, over $seconds s (headless sway, pixman renderer, fullscreen, 200 x 200 cells, Stretch on):"
  table_head output
  printf '%s\n' "${rows[@]}"
}

[ "$only" = wayland ] || measure_x11
[ "$only" = x11 ] || measure_wayland
