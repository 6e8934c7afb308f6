#!/usr/bin/env bash
# The README's screenshot command: a picture of a game in progress, of the
# size the README shows, with more in it than a plain background.
#
#   screenshot_test.sh <path of the zembrant program>
set -uo pipefail
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "screenshot_test: $*" >&2; exit 1; }

"$(dirname "$0")/../../docs/make_screenshot.sh" "$1" "$tmp/shot.png" >"$tmp/log" 2>&1 ||
  fail "make_screenshot.sh failed: $(cat "$tmp/log")"
[[ $(identify -format %wx%h "$tmp/shot.png") == 1024x240 ]] || fail "the picture is not 1024 x 240"
colours=$(identify -format %k "$tmp/shot.png")
((colours >= 16)) || fail "the picture has only $colours colours"
echo "screenshot_test: passed"
