#!/usr/bin/env bash
# Installs every Debian package Zembrant needs to build, run, test and
# benchmark (the C++ compiler aside). Safe to run again: packages already
# present are left alone and apt is only asked when something is missing.
set -euo pipefail

PACKAGES=(
  # build
  cmake ninja-build pkg-config
  # windows, pictures, text, menus, dialogs, timers
  qt6-base-dev libgl-dev
  # region algebra
  libpixman-1-dev
  # keyboard polling and the SHAPE extension straight on xcb
  libxcb1-dev libxcb-xinput-dev libxcb-shape0-dev libxcb-xtest0-dev
  libxcb-keysyms1-dev libxcb-res0-dev libxcb-screensaver0-dev
  # fonts that stand in for the named Japanese and Latin fonts
  fonts-ipafont-gothic fonts-ipafont-mincho fonts-liberation2 fontconfig
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth x11-utils x11-xserver-utils xdotool imagemagick openbox procps
  # the benchmark table, and the command-line fuzzer (clang's libFuzzer)
  python3 clang libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

SUDO=()
if [[ $(id -u) -ne 0 ]]; then
  if command -v sudo >/dev/null; then SUDO=(sudo); else
    echo "setup: need root (or sudo) to install: ${missing[*]}" >&2; exit 1
  fi
fi

echo "setup: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
