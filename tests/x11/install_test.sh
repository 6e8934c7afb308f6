#!/usr/bin/env bash
# What `cmake --install` puts where: the program, the desktop entry, the
# icon in the hicolor theme and the manual page; the entry names the
# program, its icon and its window class, and the page renders cleanly.
#
#   install_test.sh <build directory>
set -uo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "install_test: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$tmp/usr" >"$tmp/log" 2>&1 || fail "install failed: $(cat "$tmp/log")"
share=$tmp/usr/share
for f in bin/zembrant share/applications/zembrant.desktop share/icons/hicolor/32x32/apps/zembrant.xpm \
         share/man/man6/zembrant.6; do
  [[ -f $tmp/usr/$f ]] || fail "$f not installed"
done
[[ -x $tmp/usr/bin/zembrant ]] || fail "the program is not executable"
[[ $("$tmp/usr/bin/zembrant" --version) == *1.0.0* ]] || fail "the installed program does not say its version"

entry=$share/applications/zembrant.desktop
for line in "Type=Application" "Exec=zembrant" "Icon=zembrant" "StartupWMClass=Zembrant" "Terminal=false"; do
  grep -qx "$line" "$entry" || fail "the desktop entry lacks $line"
done
head -1 "$share/icons/hicolor/32x32/apps/zembrant.xpm" | grep -q XPM || fail "the icon is no XPM picture"
grep -q '"32 32 ' "$share/icons/hicolor/32x32/apps/zembrant.xpm" || fail "the icon is not 32 x 32"

warnings=$(groff -k -man -Tutf8 -ww -z "$share/man/man6/zembrant.6" 2>&1)
[[ -z $warnings ]] || fail "the manual page has warnings: $warnings"
echo "install_test: passed"
