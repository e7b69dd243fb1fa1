#!/usr/bin/env bash
# Builds Vitrinex and starts it from its own folder, where its sounds, icon and help file lie.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j2 --target vitrinex vitrinex-cli
cd build/src/app
exec ./vitrinex
