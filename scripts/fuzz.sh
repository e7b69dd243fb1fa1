#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each one.
#   scripts/fuzz.sh            60 seconds a target
#   scripts/fuzz.sh --short    20 seconds a target (CI)
#   scripts/fuzz.sh SECONDS
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --clang

seconds=60
case "${1:-}" in
  --short) seconds=20 ;;
  "") ;;
  *) seconds=$1 ;;
esac

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DVITRINEX_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j2 --target fuzzers

status=0
for fuzzer in $(find build-fuzz/fuzz -type f -executable -name 'fuzz_*' | sort); do
  name=$(basename "$fuzzer")
  seeds=fuzz/seeds/${name#fuzz_}
  corpus=build-fuzz/corpus-$name
  mkdir -p "$corpus"
  [ -d "$seeds" ] && cp -n "$seeds"/* "$corpus"/ 2>/dev/null || true
  echo "== $name ($seconds s)"
  if ! ASAN_OPTIONS=detect_leaks=1 QT_QPA_PLATFORM=offscreen "$fuzzer" -max_total_time="$seconds" \
        -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix=build-fuzz/ "$corpus" 2>build-fuzz/$name.log; then
    tail -n 60 build-fuzz/$name.log
    status=1
  else
    grep -E '^(stat::number_of_executed_units|Done)' build-fuzz/$name.log || tail -n 3 build-fuzz/$name.log
  fi
done
exit $status
