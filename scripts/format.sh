#!/usr/bin/env bash
# Lays out the C++ sources by the project's .clang-format.
#   scripts/format.sh          rewrites every file that differs
#   scripts/format.sh --check  changes nothing; fails and names the files that would change
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --format

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files '*.cpp' '*.h')
else
  mapfile -t files < <(find src tools tests bench fuzz -name '*.cpp' -o -name '*.h' | sort)
fi

case "${1:-}" in
  --check) clang-format --dry-run --Werror "${files[@]}" ;;
  "") clang-format -i "${files[@]}" ;;
  *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac
