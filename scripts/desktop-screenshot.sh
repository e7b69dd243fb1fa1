#!/usr/bin/env bash
# Installs the build into a temporary prefix, starts the program the way the desktop does (the Exec
# line of its desktop entry, with a sample collection for %f) under a virtual display, and saves a
# picture of the screen as docs/desktop-entry.png.
#   scripts/desktop-screenshot.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --screenshot
build=${1:-build}
out=$PWD/docs/desktop-entry.png
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
entry=$(ls "$prefix"/share/applications/*.desktop)
sample=$(ls "$prefix"/share/vitrinex/samples/*.fcd | head -n 1)
exec_line=$(sed -n 's/^Exec=//p' "$entry")
program=${exec_line%% *}
[ "${exec_line#* }" = "%f" ] || { echo "unexpected Exec line: $exec_line"; exit 1; }

export HOME=$prefix/home PATH=$prefix/bin:$PATH
mkdir -p "$HOME"
cd "$HOME"
xvfb-run -a -s "-screen 0 560x460x24" bash -c '
  "$1" "$2" &
  sleep 6
  xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng >"$3"
  kill %1' _ "$program" "$sample" "$out"
echo "docs/desktop-entry.png"
