#!/usr/bin/env bash
# What an installed Zembrant consists of, installed either way:
#
#   install_test.sh cmake <build directory> <version>
#       `cmake --install` into a throw-away prefix
#   install_test.sh package <source directory> <version>
#       builds the Debian package with scripts/package.sh, installs it with
#       dpkg into a throw-away root and removes it again
#
# The installed program says its version and its help without a display; the
# desktop entry, the AppStream data and the manual page pass their
# validators; the icons are PNG files of the theme's sizes; the licence is
# there; the program carries none of the tests' hooks; removing the package
# leaves nothing behind.
set -uo pipefail
mode=$1 where=$2 version=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "install_test: $*" >&2; exit 1; }
root=$tmp/root

# A PNG file's width and height, from its header.
png_size() {
  local b
  read -ra b < <(od -An -tu1 -j16 -N8 "$1")
  echo "$(((b[0] << 24) | (b[1] << 16) | (b[2] << 8) | b[3]))x$(((b[4] << 24) | (b[5] << 16) | (b[6] << 8) | b[7]))"
}

case $mode in
  cmake)
    cmake --install "$where" --prefix "$root/usr" >"$tmp/log" 2>&1 || fail "install failed: $(cat "$tmp/log")"
    prog=$root/usr/bin/zembrant
    licence=$root/usr/share/doc/zembrant/LICENSE
    ;;
  package)
    command -v dpkg-buildpackage >/dev/null || { echo "install_test: no dpkg-buildpackage: skipped"; exit 77; }
    bash "$where/scripts/package.sh" >"$tmp/log" 2>&1 || fail "scripts/package.sh failed: $(cat "$tmp/log")"
    deb=$where/build/package/zembrant_${version}_$(dpkg --print-architecture).deb
    [[ -f $deb ]] || fail "no $deb"
    mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
    touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
    # The libraries it depends on are the host's, not the empty root's.
    dpkg=(dpkg --root="$root" --log="$tmp/dpkg.log" --force-not-root --force-depends)
    "${dpkg[@]}" -i "$deb" >"$tmp/log" 2>&1 || fail "dpkg -i failed: $(cat "$tmp/log")"
    [[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "the package's version is not $version"
    prog=$root/usr/games/zembrant
    licence=$root/usr/share/doc/zembrant/copyright
    ;;
  *) fail "unknown mode $mode" ;;
esac

share=$root/usr/share
man=$(compgen -G "$share/man/man6/zembrant.6*") || fail "no manual page"
entry=$share/applications/zembrant.desktop
metainfo=$(compgen -G "$share/metainfo/*zembrant*.metainfo.xml") || fail "no AppStream data"
for f in "$prog" "$entry" "$licence"; do
  [[ -f $f ]] || fail "${f#"$root"} not installed"
done
grep -q "MIT\|Expat" "$licence" || fail "the licence does not name MIT"

# The program, without a display.
[[ -x $prog ]] || fail "the program is not executable"
[[ $(env -u DISPLAY "$prog" --version) == "zembrant $version" ]] || fail "the installed program does not say $version"
help=$(env -u DISPLAY "$prog" --help) || fail "--help failed"
for gloss in "(About)" "(Quit)" "(Here we go!)"; do
  [[ $help == *"$gloss"* ]] || fail "--help does not gloss $gloss"
done
# The desktop entry's Quit action: known to the program, which wants a display.
env -u DISPLAY "$prog" --quit >/dev/null 2>"$tmp/err"
status=$?
[[ $status == 2 ]] && grep -q DISPLAY "$tmp/err" || fail "--quit without a display: status $status: $(cat "$tmp/err")"

# The backend's test hooks stay in the tests' own library. (The package's
# program is stripped: only the install from the build can be looked into.)
if [[ $mode == cmake ]]; then
  symbols=$(nm -C "$prog" 2>&1) || fail "nm cannot read the program: $symbols"
  [[ $symbols == *"plat::OpenPlatform"* ]] || fail "the program's symbols do not show the platform"
  hooks=$(grep -c 'plat::qt::testing::' <<<"$symbols")
  [[ $hooks == 0 ]] || fail "the program carries $hooks of the tests' hooks"
fi

# The icons: no more XPM, PNG at every size of the theme.
[[ -z $(find "$share/icons" -name '*.xpm') ]] || fail "an XPM icon is still installed"
for s in 16 22 24 32 48 64 128 256; do
  icon=$share/icons/hicolor/${s}x$s/apps/zembrant.png
  [[ -f $icon ]] || fail "no $s px icon"
  [[ $(png_size "$icon") == "${s}x$s" ]] || fail "the $s px icon is $(png_size "$icon")"
done

# The desktop entry and the AppStream data, as their validators see them.
out=$(desktop-file-validate "$entry" 2>&1)
[[ -z $out ]] || fail "desktop-file-validate: $out"
for line in "Exec=zembrant" "Icon=zembrant" "StartupWMClass=Zembrant" "StartupNotify=false" \
            "Categories=Game;ArcadeGame;" "Exec=zembrant --quit"; do
  grep -qxF "$line" "$entry" || fail "the desktop entry lacks $line"
done
grep -q '^Name\[ja\]=' "$entry" && grep -q '^Comment\[ja\]=' "$entry" || fail "the desktop entry has no Japanese name or comment"
out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $out"
! grep -q '^[EW]: ' <<<"$out" || fail "appstreamcli validate: $out"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the AppStream data has no release $version"
grep -q '<project_license>MIT</project_license>' "$metainfo" || fail "the AppStream data does not name MIT"

# The manual page: no warnings in a UTF-8 locale; in the C locale, where the
# Japanese cannot be shown, the English glosses still are.
out=$(LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l "$man" 2>&1 >/dev/null)
[[ -z $out ]] || fail "the manual page has warnings: $out"
[[ $(LC_ALL=C.UTF-8 man -l "$man" 2>/dev/null) == *"Zembrant $version"* ]] || fail "the manual page does not say $version"
page=$(LC_ALL=C MANWIDTH=200 man -l "$man" 2>/dev/null)
for gloss in "(About)" "(Quit)" '"Here we go!"' '"We did it!!"'; do
  [[ $page == *"$gloss"* ]] || fail "the manual page in the C locale does not gloss $gloss"
done

if [[ $mode == package ]]; then
  "${dpkg[@]}" --purge zembrant >"$tmp/log" 2>&1 || fail "dpkg --purge failed: $(cat "$tmp/log")"
  left=$(cd "$root" && find . -path ./var/lib/dpkg -prune -o ! -type d -print)
  [[ -z $left ]] || fail "removing the package left: $left"
  [[ ! -e $root/usr ]] || fail "removing the package left folders: $(cd "$root" && find usr)"
fi
echo "install_test ($mode): passed"
