#!/usr/bin/env bash
# Runs a command as a client of a private headless sway (wlroots' headless
# back end, pixman renderer, no XWayland) and stops sway after.
#
#   with_sway.sh [--size WxH] [--scale N] [--] command [args...]
#
# sway will not run as root: under root it runs as the user nobody, in a
# runtime directory made for it. The command sees WAYLAND_DISPLAY and
# XDG_RUNTIME_DIR, no DISPLAY, and sway's process id in ZB_SWAY_PID (a test
# may end it). The desktop is a solid colour, #204a87. The exit status is
# the command's.
set -euo pipefail

size=1280x1024
scale=1
while (($#)); do
  case $1 in
    --size) size=$2; shift 2 ;;
    --scale) scale=$2; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
(($#)) || { echo "usage: with_sway.sh [--size WxH] [--scale N] [--] command [args...]" >&2; exit 2; }

runtime=$(mktemp -d "${TMPDIR:-/tmp}/zb-sway-XXXXXX")
chmod 700 "$runtime"
as=()
if ((EUID == 0)); then
  chown nobody: "$runtime"
  as=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
fi
sway_pid=
cleanup() {
  if [[ -n $sway_pid ]]; then
    kill "$sway_pid" 2>/dev/null || true
    wait "$sway_pid" 2>/dev/null || true
  fi
  rm -rf "$runtime"
}
trap cleanup EXIT

cat >"$runtime/config" <<CONF
xwayland disable
output HEADLESS-1 mode $size scale $scale position 0 0 bg #204a87 solid_color
focus_follows_mouse no
exec sh -c 'echo "\$WAYLAND_DISPLAY" > $runtime/socket.new && mv $runtime/socket.new $runtime/socket'
CONF
chmod 644 "$runtime/config"
env -u DISPLAY -u WAYLAND_DISPLAY -u WAYLAND_SOCKET -u SWAYSOCK -u XDG_CONFIG_HOME \
  XDG_RUNTIME_DIR="$runtime" HOME="$runtime" WLR_BACKENDS=headless WLR_RENDERER=pixman \
  WLR_LIBINPUT_NO_DEVICES=1 "${as[@]}" sway --config "$runtime/config" >"$runtime/sway.log" 2>&1 &
sway_pid=$!
for _ in $(seq 200); do
  [[ -s $runtime/socket ]] && break
  kill -0 "$sway_pid" 2>/dev/null || break
  sleep 0.05
done
if [[ ! -s $runtime/socket ]]; then
  echo "with_sway: sway did not start:" >&2
  cat "$runtime/sway.log" >&2
  exit 1
fi
export WAYLAND_DISPLAY=$(cat "$runtime/socket") XDG_RUNTIME_DIR=$runtime ZB_SWAY_PID=$sway_pid
unset DISPLAY
status=0
"$@" || status=$?
exit "$status"
