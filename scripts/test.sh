#!/usr/bin/env bash
# Builds Zembrant with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# every test. Tests that need an X server start their own Xvfb. With CI=true
# the end-to-end and fault tests then run once more with every core kept busy
# (scripts/load_test.sh, about two and a half minutes on 2 cores).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh test
cmake --preset test >/dev/null
cmake --build --preset test
ctest --preset test
if [[ ${CI:-} == true ]]; then
  bash scripts/load_test.sh
fi
