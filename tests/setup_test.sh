#!/usr/bin/env bash
# scripts/setup.sh: with everything installed it calls no package manager;
# as a user without root or sudo, with packages missing, it says in one line
# what to install and installs nothing.
#
#   setup_test.sh <source directory>
set -uo pipefail
setup=$1/scripts/setup.sh
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "setup_test: $*" >&2; exit 1; }

# Package managers that only note that they were called.
mkdir "$tmp/shims"
for tool in apt-get apt dpkg dpkg-query sudo; do
  printf '#!/bin/sh\necho "%s $*" >>"%s"\nexit 1\n' "$tool" "$tmp/calls" >"$tmp/shims/$tool"
  chmod +x "$tmp/shims/$tool"
done

for size in play test; do
  PATH=$tmp/shims:$PATH bash "$setup" "$size" >"$tmp/out" 2>&1 || fail "setup.sh $size failed: $(cat "$tmp/out")"
  [[ ! -s $tmp/calls ]] || fail "setup.sh $size called a package manager: $(cat "$tmp/calls")"
  [[ ! -s $tmp/out ]] || fail "setup.sh $size said something: $(cat "$tmp/out")"
done

# A user (id 1000) with apt-get but no sudo, on a PATH without the build
# tools: nothing found, one line naming the packages.
mkdir "$tmp/user"
printf '#!/bin/sh\necho 1000\n' >"$tmp/user/id"
chmod +x "$tmp/user/id"
ln -s "$tmp/shims/apt-get" "$tmp/user/apt-get"
for tool in cat dirname; do ln -s "$(command -v "$tool")" "$tmp/user/$tool"; done
PATH=$tmp/user "$BASH" "$setup" play >"$tmp/out" 2>&1
status=$?
[[ $status == 1 ]] || fail "a user without root: exit status $status: $(cat "$tmp/out")"
[[ $(wc -l <"$tmp/out") == 1 ]] || fail "a user without root: not one line: $(cat "$tmp/out")"
grep -q '^setup: as root, run: apt-get install cmake ninja-build .* g++ .*fonts-liberation2$' "$tmp/out" ||
  fail "a user without root: $(cat "$tmp/out")"
[[ ! -s $tmp/calls ]] || fail "a user without root: a package manager was called: $(cat "$tmp/calls")"
# The build's packages are those of debian/control's Build-Depends, all but
# debhelper's, which only the Debian package's own build needs, and those
# found by a file of theirs, which no PATH hides.
while read -r probe package; do
  [[ $package == debhelper-compat || ( $probe == file:* && -n $(compgen -G "${probe#file:}") ) ]] && continue
  [[ " $(cat "$tmp/out") " == *" $package "* ]] ||
    fail "a user without root: $package of debian/control is not named: $(cat "$tmp/out")"
done < <(sed -n '/^Build-Depends:/,/^[^ #]/{s/^# setup: *//p;/^ /s/^ *\([^ ,:|]*\).*/\1/p}' "$1/debian/control" | paste - -)

# A build dependency without a probe above it stops the set-up with one line.
mkdir -p "$tmp/tree/debian"
cp -r "$1/scripts" "$tmp/tree/"
sed 's/^ qt6-base-dev,/ qt6-base-dev,\n new-dev,/' "$1/debian/control" >"$tmp/tree/debian/control"
grep -q '^ new-dev,' "$tmp/tree/debian/control" || fail "could not add a package to a copy of debian/control"
PATH=$tmp/shims:$PATH bash "$tmp/tree/scripts/setup.sh" play >"$tmp/out" 2>&1
status=$?
[[ $status == 1 && $(wc -l <"$tmp/out") == 1 ]] && grep -q "no '# setup:' line above new-dev" "$tmp/out" ||
  fail "a build dependency without a probe: status $status: $(cat "$tmp/out")"
[[ ! -s $tmp/calls ]] || fail "a build dependency without a probe: a package manager was called: $(cat "$tmp/calls")"
echo "setup_test: passed"
