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
grep -q '^setup: as root, run: apt-get install g++ cmake ninja-build .*fonts-liberation2$' "$tmp/out" ||
  fail "a user without root: $(cat "$tmp/out")"
[[ ! -s $tmp/calls ]] || fail "a user without root: a package manager was called: $(cat "$tmp/calls")"
echo "setup_test: passed"
