#!/usr/bin/env bash
# Builds the optimised benchmarks and runs every one of them, printing one
# table. Run scripts/test.sh (or scripts/setup.sh) once before on a new machine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
for b in build/bench/bench/zb_bench_*; do
  [[ -x $b ]] || continue
  "$b" --benchmark_counters_tabular=true
done
