#!/usr/bin/env bash
# Makes sure the Debian packages Zembrant needs are installed.
#
#   scripts/setup.sh play    building and playing (scripts/packages/play.txt)
#   scripts/setup.sh test    the same plus the tests, benchmarks, fuzzer and
#                            Debian package (scripts/packages/test.txt); the default
#
# Each package is looked for by what it brings (a program, a pkg-config
# module, a file, a font), so when everything is there no package manager is
# called at all, on Debian or elsewhere. What is missing is installed with
# apt-get as root or through sudo; without either, one line says what to
# install. Safe to run again.
set -euo pipefail
here=$(dirname "$0")/packages

case ${1:-test} in
  play) lists=("$here/play.txt") ;;
  test) lists=("$here/play.txt" "$here/test.txt") ;;
  *) echo "usage: scripts/setup.sh [play|test]" >&2; exit 2 ;;
esac

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
  done < <(cat "${lists[@]}")
}

mapfile -t missing < <(missing_packages)
((${#missing[@]} == 0)) && exit 0

if ! command -v apt-get >/dev/null; then
  echo "setup: install these Debian packages, or your system's own (see the README): ${missing[*]}" >&2
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
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
mapfile -t missing < <(missing_packages)
if ((${#missing[@]})); then
  echo "setup: still not found after installing: ${missing[*]}" >&2
  exit 1
fi
