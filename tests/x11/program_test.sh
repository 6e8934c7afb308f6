#!/usr/bin/env bash
# The command line, which needs no display; the program without a display:
# one line on stderr naming DISPLAY, exit status 2, no crash; and with a
# display that goes away in the middle of a game: the program ends with
# status 1 and one line on stderr instead of hanging or crashing. That game
# runs in a Wayland session's environment: it still plays on the X display.
# It has no XDG_RUNTIME_DIR, as under root without a login session: nothing
# but that line on stderr all the same.
#
#   program_test.sh <path of the zembrant program> <the project's version>
set -uo pipefail
prog=$1
version=$2
tmp=$(mktemp -d)
pids=()
cleanup() {
  local p
  for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "program_test: $*" >&2; exit 1; }

# Runs the program with the given environment changes; checks the refusal.
expect_refusal() {
  local what=$1; shift
  env "$@" "$prog" >"$tmp/out" 2>"$tmp/err"
  local status=$?
  [[ $status == 2 ]] || fail "$what: exit status $status, expected 2"
  [[ $(wc -l <"$tmp/err") == 1 ]] || fail "$what: stderr is not one line: $(cat "$tmp/err")"
  grep -q DISPLAY "$tmp/err" || fail "$what: stderr does not name DISPLAY: $(cat "$tmp/err")"
  [[ ! -s $tmp/out ]] || fail "$what: wrote to stdout"
}

# The command line: --help and --version print and succeed without any
# display; an unknown option is one line on stderr and status 2.
env -u DISPLAY "$prog" --help >"$tmp/out" 2>"$tmp/err" || fail "--help: exit status $?"
grep -q '^Usage: zembrant' "$tmp/out" || fail "--help: no usage line: $(cat "$tmp/out")"
[[ $(env -u DISPLAY "$prog" --version) == "zembrant $version" ]] || fail "--version: wrong output"
env -u DISPLAY "$prog" --bogus >"$tmp/out" 2>"$tmp/err"
status=$?
[[ $status == 2 ]] || fail "--bogus: exit status $status, expected 2"
[[ $(wc -l <"$tmp/err") == 1 && ! -s $tmp/out ]] || fail "--bogus: not one line on stderr: $(cat "$tmp/err")"
env -u DISPLAY "$prog" 99999999999 >"$tmp/out" 2>"$tmp/err"
status=$?
[[ $status == 2 && $(wc -l <"$tmp/err") == 1 ]] || fail "a column out of range: status $status: $(cat "$tmp/err")"

expect_refusal "DISPLAY unset" -u DISPLAY -u WAYLAND_DISPLAY
# A display number no server has: the socket does not exist.
expect_refusal "no server" -u WAYLAND_DISPLAY DISPLAY=:31999

# A server that dies under a running game.
mkfifo "$tmp/fd"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/fd" 2>/dev/null &
xvfb=$!
pids+=("$xvfb")
read -r -t 30 display <"$tmp/fd" || fail "Xvfb did not start"
# Only the program's own line on stderr: no list of suppressed leaks.
env -u XDG_RUNTIME_DIR DISPLAY=:$display WAYLAND_DISPLAY=wayland-zembrant-test \
  QT_QPA_PLATFORM=wayland LSAN_OPTIONS="${LSAN_OPTIONS:-}:print_suppressions=0" \
  "$prog" >"$tmp/out" 2>"$tmp/err" &
game=$!
pids+=("$game")
titled=0
for _ in $(seq 100); do
  DISPLAY=:$display xwininfo -root -children 2>/dev/null | grep -q '"frmSTAFF"' && { titled=1; break; }
  sleep 0.1
done
((titled)) || fail "no title on the X display in a Wayland environment: $(cat "$tmp/err")"
DISPLAY=:$display xdotool key space
sleep 2
kill "$xvfb"
for _ in $(seq 100); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
kill -0 "$game" 2>/dev/null && fail "the program still runs 10 s after its display died"
wait "$game"
status=$?
[[ $status == 1 ]] || fail "display died: exit status $status, expected 1: $(cat "$tmp/err")"
[[ $(cat "$tmp/err") == "zembrant: lost the connection to the X display" ]] ||
  fail "display died: stderr is not the one line expected: $(cat "$tmp/err")"
echo "program_test: passed"
