#!/usr/bin/env bash
# Builds Zembrant with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# every test. Tests that need an X server start their own Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh test
cmake --preset test >/dev/null
cmake --build --preset test
ctest --preset test
