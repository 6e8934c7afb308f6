#!/usr/bin/env bash
# Runs the end-to-end and fault tests (CTest label "load") of the sanitizer
# build while a CPU hog keeps every core busy, two tests at a time: what a
# loaded desktop does to the program and to the tests' timing.
#
#   scripts/load_test.sh [RUNS]    # RUNS times in a row (default 1); stops at the first failure
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-1}
bash scripts/setup.sh
cmake --preset test >/dev/null
cmake --build --preset test
hog=
stop_hog() {
  if [[ -n $hog ]]; then kill "$hog" 2>/dev/null || true; wait "$hog" 2>/dev/null || true; fi
}
trap stop_hog EXIT
# A bound of its own, in case this script is killed before it can stop it.
stress-ng --cpu "$(nproc)" --timeout $((runs * 1800))s --quiet &
hog=$!
for ((i = 1; i <= runs; i++)); do
  echo "load run $i of $runs" >&2
  ctest --preset test -L load -j2
done
