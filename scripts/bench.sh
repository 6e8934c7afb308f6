#!/usr/bin/env bash
# Builds the optimised benchmarks, runs every one of them and prints one
# table; the same figures go to build/bench/results.json for comparing runs.
# Run scripts/test.sh (or scripts/setup.sh) once before on a new machine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh test
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
out=build/bench/results
rm -rf "$out" && mkdir -p "$out"
for b in build/bench/bench/zb_bench_*; do
  [[ -x $b ]] || continue
  name=$(basename "$b")
  if ! "$b" --benchmark_out="$out/$name.json" --benchmark_out_format=json >/dev/null 2>"$out/$name.log"; then
    cat "$out/$name.log" >&2
    exit 1
  fi
done
python3 bench/report.py "$out"/*.json --json build/bench/results.json \
  --commit "$(git rev-parse --short HEAD 2>/dev/null || true)"
echo "results: build/bench/results.json"
