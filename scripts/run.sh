#!/usr/bin/env bash
# Installs what building and playing need (scripts/setup.sh play), builds the
# optimised program and runs it; arguments go to the program (a number is the
# ship's start column; --help lists the others).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh play
log=build/run-build.log
mkdir -p build
if ! { cmake --preset run && cmake --build --preset run; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "run: the build failed (the whole log is in $log)" >&2
  exit 1
fi
exec build/run/src/app/zembrant "$@"
