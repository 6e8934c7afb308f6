#!/usr/bin/env bash
# Makes sure the Debian packages Zembrant needs are installed.
#
#   scripts/setup.sh play    building and playing: the Build-Depends of
#                            debian/control and scripts/packages/play.txt
#   scripts/setup.sh test    the same plus the tests, benchmarks, fuzzer and
#                            Debian package (scripts/packages/test.txt); the default
#
# debian/control is the one list of what the build needs: a new build
# dependency goes there, with a "# setup: PROBE" line above it.
#
# Each package is looked for by what it brings (a program, a pkg-config
# module, a file, a font), so when everything is there no package manager is
# called at all, on Debian or elsewhere. What is missing is installed with
# apt-get as root or through sudo; without either, one line says what to
# install. Safe to run again.
set -euo pipefail
here=$(dirname "$0")/packages
control=$(dirname "$0")/../debian/control

case ${1:-test} in
  play) lists=("$here/play.txt") ;;
  test) lists=("$here/play.txt" "$here/test.txt") ;;
  *) echo "usage: scripts/setup.sh [play|test]" >&2; exit 2 ;;
esac

# The Build-Depends of debian/control as "package probe" lines, the probe
# taken from the "# setup: PROBE" comment above each ("-": not for us).
# Of alternatives the first is taken; versions and qualifiers are dropped.
# Bash alone, so that it works on a PATH without the usual tools.
build_depends() {
  local line probe="" inside=false entries entry name
  while IFS= read -r line || [[ -n $line ]]; do
    if [[ $line == "#"* ]]; then
      [[ $line =~ ^#\ setup:\ *([^ ]+) ]] && probe=${BASH_REMATCH[1]}
      continue
    fi
    if [[ $line =~ ^[^[:space:]] ]]; then
      [[ $line == Build-Depends:* ]] || { inside=false; continue; }
      inside=true
      line=${line#Build-Depends:}
    fi
    $inside || continue
    IFS=, read -ra entries <<<"$line"
    for entry in "${entries[@]}"; do
      entry=${entry%%|*}
      read -r name _ <<<"$entry"
      name=${name%%:*}
      [[ -z $name ]] && continue
      if [[ -z $probe ]]; then
        echo "setup: debian/control: no '# setup:' line above $name" >&2
        return 1
      fi
      [[ $probe == - ]] || echo "$name $probe"
      probe=""
    done
  done <"$control"
}
build_list=$(build_depends)

# present PROBE: whether what the probe names is there.
present() {
  local kind=${1%%:*} what=${1#*:}
  case $kind in
    bin) command -v "$what" >/dev/null ;;
    pc) command -v pkg-config >/dev/null && pkg-config --exists "$what" ;;
    file) compgen -G "$what" >/dev/null ;;
    font) command -v fc-list >/dev/null && fc-list -q "$what" ;;
    *) return 1 ;;
  esac
}

# The packages of the lists whose probe finds nothing.
missing_packages() {
  local package probe
  while read -r package probe; do
    [[ -z $package || $package == \#* ]] && continue
    present "$probe" || echo "$package"
  done < <(echo "$build_list"; cat "${lists[@]}")
}

mapfile -t missing < <(missing_packages)
((${#missing[@]} == 0)) && exit 0

if ! command -v apt-get >/dev/null; then
  echo "setup: install these Debian packages, or your system's own (see docs/reference.md, Other systems): ${missing[*]}" >&2
  exit 1
fi
SUDO=()
if [[ $(id -u) -ne 0 ]]; then
  if command -v sudo >/dev/null; then SUDO=(sudo); else
    echo "setup: as root, run: apt-get install ${missing[*]}" >&2
    exit 1
  fi
fi

echo "setup: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
# Another apt-get at work (an unattended upgrade) is waited for, not failed on.
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=600 \
  "${missing[@]}" >/dev/null
mapfile -t missing < <(missing_packages)
if ((${#missing[@]})); then
  echo "setup: still not found after installing: ${missing[*]}" >&2
  exit 1
fi
