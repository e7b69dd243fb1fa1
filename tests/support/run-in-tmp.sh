#!/usr/bin/env bash
# Runs one test binary from a fresh temporary directory and removes it afterwards.
set -u
dir=$(mktemp -d "${TMPDIR:-/tmp}/vitrinex-test.XXXXXX")
cd "$dir" || exit 1
export HOME="$dir"
export XDG_RUNTIME_DIR="$dir/run"; mkdir -p -m 700 "$XDG_RUNTIME_DIR"
export XDG_DATA_HOME="$dir/data"
"$@"
rc=$?
cd / && rm -rf "$dir"
exit $rc
