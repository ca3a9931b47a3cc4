#!/usr/bin/env bash
# The real program at rest and under a flood of keys, under its own Xvfb:
#   idle    the dipole with field lines, 2000 hedgehog lines, a surface, a probe and a Gauss
#           sphere shown, nothing moving: the share of one core that the program uses over SECONDS (default 10),
#           from the CPU times in /proc/PID/stat (target: under 2 %)
#   typing  4000 characters typed at once into Save Model As's name field: how long the
#           program takes after the last key is sent until it has handled them all and
#           answers the next one (Esc closes the dialog)
# Usage: bench/window_bench.sh BUILD-FOLDER [idle|typing|all] [SECONDS]
# Needs Xvfb (xvfb-run) and xdotool, as the end-to-end tests do.
set -euo pipefail
build=$(cd "${1:?usage: bench/window_bench.sh BUILD-FOLDER [idle|typing|all] [SECONDS]}" && pwd)
what=${2:-all}
seconds=${3:-10}
top=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${KELVARO_BENCH_DISPLAY:-}" ]; then
  exec env KELVARO_BENCH_DISPLAY=1 xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" "$build" "$what" "$seconds"
fi

work=$(mktemp -d)
export XDG_CONFIG_HOME="$work/config"
trap 'kill "$program" 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$top/examples/dipole.txt" "$top/examples/ElectronData" "$work/"
cd "$work"

# The main window lies at (50, 50) without a window manager; places in it as the
# end-to-end tests' fixture gives them.
"$build/app/kelvaro" dipole.txt >/dev/null &
program=$!
main=$(xdotool search --sync --onlyvisible --name '^Kelvaro$' | head -1)
sleep 1

# Waits until the window titled $1 is shown (or hidden, with $2 = hidden).
wait_for() {
  for _ in $(seq 1000); do
    if xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; then [ "${2:-shown}" = shown ] && return; else
      [ "${2:-shown}" = hidden ] && return; fi
    sleep 0.01
  done
  echo "window_bench: $1 was not ${2:-shown} in time" >&2
  exit 1
}

# Clicks the command button at $1, $2 of the main window, types $4 into the first field
# of the dialog titled $3 (nothing when empty: the fields keep what they show) and presses
# Return (OK).
add() {
  xdotool mousemove --window "$main" "$1" "$2" click 1
  wait_for "$3"
  local dialog
  dialog=$(xdotool search --onlyvisible --name "^$3\$" | head -1)
  xdotool mousemove --window "$dialog" 5 5
  if [ -n "$4" ]; then xdotool key Tab type "$4"; fi
  xdotool key Return
  wait_for "$3" hidden
}

# The process's user and system time, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$program/stat"; }

if [ "$what" = idle ] || [ "$what" = all ]; then
  add 713 39 "Add Field Lines to Charge" ""
  add 713 62 "Add Hedgehog Lines" 2000
  add 713 85 "Add Equipotential Surface" 5
  add 706 231 "Probe" ""
  add 706 254 "Add Gauss Surface" ""
  xdotool mousemove --window "$main" 313 260
  sleep 1
  before=$(cpu_ticks)
  sleep "$seconds"
  after=$(cpu_ticks)
  awk -v ticks=$((after - before)) -v hz="$(getconf CLK_TCK)" -v s="$seconds" \
    'BEGIN { printf "idle: %.2f %% of a core over %d s (%d ticks of CPU time)\n", 100 * ticks / hz / s, s, ticks }'
fi

# Types $1 characters into Save Model As at once and prints when the program answered.
type_into_save_dialog() {
  xdotool mousemove --window "$main" 313 260 key ctrl+s
  wait_for "Save Model As"
  local text before start sent done_at after
  text=$(head -c "$1" /dev/zero | tr '\0' 'w')
  before=$(cpu_ticks)
  start=$(date +%s%N)
  xdotool type --delay 0 "$text"
  sent=$(date +%s%N)
  xdotool key Escape
  wait_for "Save Model As" hidden
  done_at=$(date +%s%N)
  after=$(cpu_ticks)
  awk -v n="$1" -v send=$(((sent - start) / 1000000)) -v answer=$(((done_at - sent) / 1000000)) \
      -v ticks=$((after - before)) -v hz="$(getconf CLK_TCK)" \
    'BEGIN { printf "typing: %d characters sent in %d ms; the program answered %d ms after the last (%.2f s of CPU time)\n", n, send, answer, ticks / hz }'
}

if [ "$what" = typing ] || [ "$what" = all ]; then
  # A short text first: what the measuring itself costs (xdotool's start, the polling).
  type_into_save_dialog 10
  type_into_save_dialog 4000
fi
