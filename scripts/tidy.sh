#!/usr/bin/env bash
# Runs the checks of .clang-tidy on every source file of a configured build (default build/, made by
# scripts/test.sh) and on the fuzz targets; fails when any file has a finding.
#   scripts/tidy.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
if [ ! -f "$build/compile_commands.json" ]; then
  echo "tidy: $build/compile_commands.json is missing: configure the build first (scripts/test.sh)" >&2
  exit 2
fi
# The fuzz targets build only with clang; their compile commands come from a configure of their own.
fuzzbuild=build-tidy-fuzz
CXX=clang++ cmake -S . -B "$fuzzbuild" -G Ninja -DVITRINEX_FUZZ=ON -DVITRINEX_GUI=OFF >/dev/null

status=0
run-clang-tidy -p "$build" -quiet -j 2 -extra-arg=-Wno-error "$PWD/(src|tools|tests|bench)/.*\.cpp\$" || status=1
run-clang-tidy -p "$fuzzbuild" -quiet -j 2 -extra-arg=-Wno-error "$PWD/fuzz/.*\.cpp\$" || status=1
if [ "$status" -ne 0 ]; then
  echo "tidy: findings above (see .clang-tidy)" >&2
fi
exit "$status"
