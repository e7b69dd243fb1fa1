#!/usr/bin/env bash
# A picture of the main window at a zoom of 200 %, the sample collection open and an item selected:
# the zoom is kept in a fresh settings folder, the program started under a virtual display and the
# window saved as docs/main-window-200.png. Needs xvfb, xdotool, netpbm (scripts/setup.sh --screenshot).
#   scripts/zoom-screenshot.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$PWD/${1:-build}
out=$PWD/docs/main-window-200.png
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME" "$XDG_CONFIG_HOME/vitrinex"
echo 200 >"$XDG_CONFIG_HOME/vitrinex/zoom"
cp "assets/samples/Vintage Heroes.fcd" "$work/"
cd "$build/src/app"
xvfb-run -a -s "-screen 0 1100x900x24" bash -c '
  ./vitrinex "$1" &
  sleep 6
  main=$(xdotool search --name "^Vitrinex 1.4 - " | head -n 1)
  xdotool mousemove --window "$main" 200 520 click 1 # the fourth item of the list
  sleep 1
  xdotool mousemove --window "$main" 960 780
  sleep 1
  xwd -id "$main" -silent | xwdtopnm 2>/dev/null | pnmtopng >"$2"
  kill %1' _ "$work/Vintage Heroes.fcd" "$out"
echo "docs/main-window-200.png"
