#!/usr/bin/env bash
# Builds Vitrinex and runs every test.
#   scripts/test.sh             normal build in build/
#   scripts/test.sh --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
#   scripts/test.sh --core      the core, the command line and their tests without Qt Widgets, in build-core/
# With VITRINEX_WERROR=ON in the environment (as CI sets it) a warning fails the build.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build
flags=()
setup=(--test)
case "${1:-}" in
  --sanitize)
    setup+=(--clang)
    build=build-asan
    flags=(-DVITRINEX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug) ;;
  --core)
    build=build-core
    flags=(-DVITRINEX_GUI=OFF) ;;
esac
bash scripts/setup.sh "${setup[@]}"

cmake -S . -B "$build" -G Ninja "${flags[@]}" -DVITRINEX_WERROR="${VITRINEX_WERROR:-OFF}" >/dev/null
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure -j2
