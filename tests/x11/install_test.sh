#!/usr/bin/env bash
# What an installed Zembrant consists of, installed either way:
#
#   install_test.sh cmake <build directory> <version>
#       `cmake --install` into a throw-away prefix
#   install_test.sh package <source directory> <version>
#       builds the Debian package in a clean Debian 12 root with
#       `scripts/package.sh --clean-root` (lintian --pedantic clean), installs
#       it with apt into another clean root, where the program starts on an
#       X server and ends by `zembrant --quit`, then purges it: nothing may be
#       left. Skipped (77) with one line when not root, without mmdebstrap or
#       when no Debian mirror answers.
#
# The installed program says its version and its help without a display; the
# desktop entry, the AppStream data and the manual page pass their
# validators, and the manual page names every option --help names; the icons
# are PNG files of the theme's sizes; the licence is there; the program
# carries none of the tests' hooks.
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
    [[ $(id -u) == 0 ]] || { echo "install_test: a clean root needs root: skipped"; exit 77; }
    command -v mmdebstrap >/dev/null || { echo "install_test: no mmdebstrap: skipped"; exit 77; }
    command -v lintian >/dev/null || fail "no lintian to check the package"
    bash "$where/scripts/package.sh" --clean-root >"$tmp/log" 2>&1
    status=$?
    if [[ $status == 77 ]]; then echo "install_test: $(grep -m1 'mirror' "$tmp/log"): skipped"; exit 77; fi
    [[ $status == 0 ]] || fail "scripts/package.sh --clean-root failed: $(cat "$tmp/log")"
    deb=$where/build/package/zembrant_${version}_$(dpkg --print-architecture).deb
    [[ -f $deb ]] || fail "no $deb"
    [[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "the package's version is not $version"
    # shellcheck source=scripts/clean_root.sh
    source "$where/scripts/clean_root.sh"
    clean_root_make "$root" >"$tmp/log" 2>&1 || fail "no clean root: $(cat "$tmp/log")"
    # What the root holds before, to compare with what the purge leaves.
    inventory() {
      (cd "$root" && find . -path ./proc -prune -o -path ./tmp -prune -o -path ./var/cache -prune \
        -o -path ./var/log -prune -o -path ./var/lib/apt -prune -o -path ./var/lib/dpkg -prune \
        -o -path ./root -prune -o -path ./run -prune -o -print | sort)
    }
    inventory >"$tmp/before"
    cp "$deb" "$root/tmp/zembrant.deb"
    # Depends alone, as apt resolves them: no --force of any kind.
    clean_root_run "$root" sh -c "apt-get update -qq && apt-get install -y -qq --no-install-recommends /tmp/zembrant.deb" \
      >"$tmp/log" 2>&1 || fail "apt-get install failed in a clean root: $(tail -20 "$tmp/log")"
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

# The installed program, run where it is installed, without a display.
[[ -x $prog ]] || fail "the program is not executable"
program() {
  if [[ $mode == package ]]; then
    (unset DISPLAY WAYLAND_DISPLAY; clean_root_run "$root" /usr/games/zembrant "$@")
  else
    env -u DISPLAY -u WAYLAND_DISPLAY "$prog" "$@"
  fi
}
[[ $(program --version) == "zembrant $version" ]] || fail "the installed program does not say $version"
help=$(program --help) || fail "--help failed"
for gloss in "(About)" "(Quit)" "(Here we go!)"; do
  [[ $help == *"$gloss"* ]] || fail "--help does not gloss $gloss"
done
# The desktop entry's Quit action: known to the program, which wants a display.
program --quit >/dev/null 2>"$tmp/err"
status=$?
[[ $status == 2 ]] && grep -q DISPLAY "$tmp/err" || fail "--quit without a display: status $status: $(cat "$tmp/err")"

# The backend's test hooks stay in the tests' own library. (The package's
# program is stripped: only the install from the build can be looked into.)
if [[ $mode == cmake ]]; then
  symbols=$(nm -C "$prog" 2>&1) || fail "nm cannot read the program: $symbols"
  [[ $symbols == *"plat::OpenPlatform"* ]] || fail "the program's symbols do not show the platform"
  hooks=$(grep -cE 'plat::(qt|wl)::testing::' <<<"$symbols")
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
out=$(appstreamcli validate --pedantic --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $out"
! grep -q '^[EWIP]: ' <<<"$out" || fail "appstreamcli validate --pedantic: $out"
! grep -q 'https\?://' "$metainfo" || fail "the AppStream data names an address: $(grep 'https\?://' "$metainfo")"
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

# The manual page and --help name the same options and the same numbers
# (the default column, the field's edge) in their option lists.
man_options=$(sed -n '/^OPTIONS/,/^[A-Z]/p' <<<"$page")
help_options=$(grep '^  ' <<<"$help" | sed '/^$/q')
[[ -n $man_options && -n $help_options ]] || fail "no option list in the manual page or in --help"
words() { grep -oE -- '(^|[ ,])--?[A-Za-z][-A-Za-z]*|[0-9]+' <<<"$1" | sed 's/^[ ,]//' | sort -u; }
drift=$(comm -3 <(words "$help_options") <(words "$man_options"))
[[ -z $drift ]] || fail "--help and the manual page's OPTIONS differ in (left: --help only, right: the page only): $drift"

if [[ $mode == package ]]; then
  # The installed program plays on an X server (its Depends are enough)
  # and ends by `zembrant --quit`.
  if command -v Xvfb >/dev/null; then
    exec 3>"$tmp/display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null &
    xvfb=$!
    for _ in $(seq 100); do [[ -s $tmp/display ]] && break; sleep 0.1; done
    display=:$(cat "$tmp/display")
    DISPLAY=$display clean_root_run "$root" /usr/games/zembrant >/dev/null 2>"$tmp/game.err" &
    game=$!
    quit=1
    for _ in $(seq 60); do
      DISPLAY=$display clean_root_run "$root" /usr/games/zembrant --quit >/dev/null 2>"$tmp/quit.err" && { quit=0; break; }
      kill -0 "$game" 2>/dev/null || break
      sleep 0.5
    done
    wait "$game"
    status=$?
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
    [[ $quit == 0 ]] || fail "zembrant --quit did not end the installed game: $(cat "$tmp/quit.err") (the game: $(cat "$tmp/game.err"))"
    [[ $status == 0 ]] || fail "the installed game ended with $status: $(cat "$tmp/game.err")"
  fi
  # Purged with what it brought in: the packages and files are those of
  # before, nothing left.
  clean_root_run "$root" apt-get purge -y -qq --autoremove zembrant >"$tmp/log" 2>&1 ||
    fail "apt-get purge failed: $(cat "$tmp/log")"
  left=$(comm -13 "$tmp/before" <(inventory))
  [[ -z $left ]] || fail "purging the package left: $left"
fi
echo "install_test ($mode): passed"
