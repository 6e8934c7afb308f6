#!/usr/bin/env bash
# Builds the optimised program and runs it; arguments go to the program
# (a number is the ship's start column).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset run >/dev/null
cmake --build --preset run >/dev/null
exec build/run/zembrant "$@"
