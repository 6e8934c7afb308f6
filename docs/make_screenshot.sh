#!/usr/bin/env bash
# Takes docs/screenshot.png: the program in a fight on a private Xvfb, with
# openbox, a desktop colour and a terminal and a clock (xterm and xclock, if
# installed) around it.
#
#   docs/make_screenshot.sh <path of the zembrant program> [output, docs/screenshot.png]
set -euo pipefail
prog=$(realpath "$1")
output=$(realpath -m "${2:-$(dirname "$0")/screenshot.png}")
cd "$(dirname "$0")"
tmp=$(mktemp -d)
pids=()
cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$tmp"
}
trap cleanup EXIT

mkfifo "$tmp/fd"
Xvfb -displayfd 3 -screen 0 1024x480x24 -nolisten tcp -noreset 3>"$tmp/fd" 2>/dev/null &
pids+=($!)
read -r -t 30 display <"$tmp/fd"
export DISPLAY=:$display XDG_RUNTIME_DIR=$tmp
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
sleep 1
xsetroot -solid '#3a6ea5'
if command -v xterm >/dev/null; then
  xterm -geometry 58x8+500+290 -e sh -c 'echo "$ zembrant"; sleep 60' >/dev/null 2>&1 &
  pids+=($!)
fi
if command -v xclock >/dev/null; then
  xclock -geometry 110x110+880+300 >/dev/null 2>&1 &
  pids+=($!)
fi
sleep 1
"$prog" 120 >/dev/null 2>&1 &
pids+=($!)
sleep 2
xdotool key space
sleep 1.2
xdotool key Home   # invincible: the picture shows a fight, not a loss
xdotool keydown space
sleep 5.5
import -window root -crop 1024x240+0+240 +repage -strip -colors 64 "$tmp/shot.png"
xdotool keyup space
mv "$tmp/shot.png" "$output"
echo "make_screenshot: $output"
