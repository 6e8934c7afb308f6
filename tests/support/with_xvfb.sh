#!/usr/bin/env bash
# Runs a command against a private Xvfb server and stops the server after.
#
#   with_xvfb.sh [--size WxH] [--wm] [--] command [args...]
#
# The server picks a free display itself (-displayfd); the command sees it in
# DISPLAY. --wm also starts openbox, for tests of managed windows. The exit
# status is the command's.
set -euo pipefail

size=1280x1024
wm=0
while (($#)); do
  case $1 in
    --size) size=$2; shift 2 ;;
    --wm) wm=1; shift ;;
    --) shift; break ;;
    *) break ;;
  esac
done
(($#)) || { echo "usage: with_xvfb.sh [--size WxH] [--wm] [--] command [args...]" >&2; exit 2; }

fifo_dir=$(mktemp -d)
fifo=$fifo_dir/display
mkfifo "$fifo"
pids=()
cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  rm -rf "$fifo_dir"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$fifo" 2>"$fifo_dir/xvfb.log" &
pids+=($!)
if ! read -r -t 30 display <"$fifo"; then
  echo "with_xvfb: Xvfb did not start:" >&2
  cat "$fifo_dir/xvfb.log" >&2
  exit 1
fi
export DISPLAY=:$display
unset WAYLAND_DISPLAY
# Qt wants a private runtime directory; the test's own keeps it quiet.
mkdir -m 700 "$fifo_dir/runtime"
export XDG_RUNTIME_DIR=$fifo_dir/runtime

if ((wm)); then
  openbox --sm-disable >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
  done
fi

status=0
"$@" || status=$?
exit "$status"
