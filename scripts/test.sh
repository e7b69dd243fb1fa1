#!/usr/bin/env bash
# Builds Vitrinex and runs every test.
#   scripts/test.sh             normal build in build/
#   scripts/test.sh --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

build=build
flags=()
if [ "${1:-}" = "--sanitize" ]; then
  build=build-asan
  flags=(-DVITRINEX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
fi

cmake -S . -B "$build" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure -j2
