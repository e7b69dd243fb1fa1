#!/usr/bin/env bash
# Builds Vitrinex and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j2
exec build/tools/cli/vitrinex-cli stats assets/samples/Vintage\ Heroes.fcd
