#!/usr/bin/env bash
# Measures what the animation costs while it runs: the share of one core that the program uses,
# and the share the X server uses to show it, side by side with XScreenSaver's Ripples and
# Interference hacks in the same X session at the same window size.
#
#   tools/scripts/measure-cpu.sh [--seconds N] [--sizes "1280x720 3840x2100"] [[NAME=]ONDELINE...]
#
# Each ONDELINE (default build/app/ondeline), headed NAME in the table if given, runs with Rain
# and Stretch on at 200 x 200 cells, then once more with Stretch alone, calm water. Times are utime + stime from /proc/PID/stat over
# a fixed span after a short settling time; the X server is Xvfb with openbox as window manager.
set -euo pipefail

seconds=20
sizes="1280x720 3840x2100"
settle=3
hacks_dir=/usr/libexec/xscreensaver
programs=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds="$2"; shift 2 ;;
    --sizes) sizes="$2"; shift 2 ;;
    -h|--help) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
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
for size in $sizes; do
  if ! [[ "$size" =~ ^[1-9][0-9]*x[1-9][0-9]*$ ]]; then
    echo "measure-cpu.sh: a size is WIDTHxHEIGHT, not $size" >&2; exit 2
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
done

# What the measurement needs, by command -> Debian package.
missing=()
for need in Xvfb:xvfb openbox:openbox xdotool:xdotool; do
  command -v "${need%%:*}" >/dev/null || missing+=("${need#*:}")
done
[ -x "$hacks_dir/ripples" ] || missing+=(xscreensaver-data-extra)
[ -x "$hacks_dir/interference" ] || missing+=(xscreensaver-data)
if [ ${#missing[@]} -gt 0 ]; then
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
server_pid=""
wm_pid=""
subject_pid=""

stop() {
  local pid="$1"
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
}
cleanup() {
  stop "$subject_pid"
  stop "$wm_pid"
  stop "$server_pid"
}
trap cleanup EXIT

# utime + stime of a process, in clock ticks (fields 14 and 15, counted after the command name,
# which may hold spaces).
cpu_ticks() {
  local stat
  stat=$(cat "/proc/$1/stat")
  stat=${stat##*) }
  # shellcheck disable=SC2086
  set -- $stat
  echo $(( ${12} + ${13} ))
}

# Percent of one core that a tick count over the measured span comes to, one decimal.
percent() {
  awk -v t="$1" -v hz="$ticks_per_second" -v s="$seconds" 'BEGIN { printf "%.1f", 100 * t / hz / s }'
}

start_session() {
  local width="$1" height="$2"
  # Room for the window's title bar, and at least a full HD screen: Ripples only starts when its
  # first window (1280 x 720) lies wholly on the screen.
  local screen_width=$(( width > 1920 ? width : 1920 ))
  local screen_height=$(( height + 60 > 1080 ? height + 60 : 1080 ))
  local display=90
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
  done
  Xvfb ":$display" -screen 0 "${screen_width}x${screen_height}x24" -nolisten tcp >/dev/null 2>&1 &
  server_pid=$!
  export DISPLAY=":$display"
  for _ in $(seq 100); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
  done
  openbox >/dev/null 2>&1 &
  wm_pid=$!
  # openbox has taken the screen once it names itself on the root window.
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
  done
}

end_session() {
  stop "$wm_pid"
  stop "$server_pid"
  wm_pid=""
  server_pid=""
}

# Finds the visible window of the subject, puts it at the top-left corner at the given size.
place_window() {
  local width="$1" height="$2"
  local window
  window=$(xdotool search --sync --onlyvisible --pid "$subject_pid" | head -n 1)
  xdotool windowmove --sync "$window" 0 0 >/dev/null 2>&1 || true
  xdotool windowsize --sync "$window" "$width" "$height"
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
  echo "$window"
}

# Runs the subject for the measured span; prints "program% server%".
measure() {
  sleep "$settle"
  local p0 x0 p1 x1
  p0=$(cpu_ticks "$subject_pid")
  x0=$(cpu_ticks "$server_pid")
  sleep "$seconds"
  p1=$(cpu_ticks "$subject_pid")
  x1=$(cpu_ticks "$server_pid")
  stop "$subject_pid"
  subject_pid=""
  echo "$(percent $((p1 - p0))) $(percent $((x1 - x0)))"
}

# keys: what the keyboard does in the window once it is placed.
measure_ondeline() {
  local program="$1" width="$2" height="$3" keys="$4"
  env -u QT_SCALE_FACTOR -u QT_QPA_PLATFORM "$program" >/dev/null 2>&1 &
  subject_pid=$!
  local window
  window=$(place_window "$width" "$height")
  # Focus starts on Rain; Tab walks the controls in template order: Rain, Stretch, Drift, the
  # size list (End chooses 200 x 200), Spectrum, Add Color.
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
  # shellcheck disable=SC2086
  xdotool key --delay 50 $keys
  measure
}

measure_hack() {
  local hack="$1" width="$2" height="$3"
  "$hacks_dir/$hack" -window >/dev/null 2>&1 &
  subject_pid=$!
  place_window "$width" "$height" >/dev/null
  measure
}

cell() {
  awk -v p="$1" -v x="$2" 'BEGIN { printf "%.1f %% + %.1f %% = %.1f %%", p, x, p + x }'
}

header="| window | "
rule="|---|"
for name in "${names[@]}"; do
  header+="$name, rain | calm | "
  rule+="---|---|"
done
header+="XScreenSaver Ripples | XScreenSaver Interference |"
rule+="---|---|"
rows=()
for size in $sizes; do
  width=${size%x*}
  height=${size#*x}
  start_session "$width" "$height"
  row="| $width x $height | "
  for program in "${programs[@]}"; do
    echo "Measuring $program with rain at $size for $seconds s" >&2
    # shellcheck disable=SC2046
    row+="$(cell $(measure_ondeline "$program" "$width" "$height" "space Tab space Tab Tab End")) | "
    echo "Measuring $program on calm water at $size for $seconds s" >&2
    # shellcheck disable=SC2046
    row+="$(cell $(measure_ondeline "$program" "$width" "$height" "Tab space Tab Tab End")) | "
  done
  for hack in ripples interference; do
    echo "Measuring $hack at $size for $seconds s" >&2
    # shellcheck disable=SC2046
    row+="$(cell $(measure_hack "$hack" "$width" "$height")) | "
  done
  end_session
  rows+=("${row% }")
done

echo "Share of one core, program + X server = total, over $seconds s (Xvfb, openbox, 200 x 200 cells, Stretch on):"
echo "$header"
echo "$rule"
printf '%s\n' "${rows[@]}"
