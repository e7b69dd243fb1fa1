#!/usr/bin/env bash
# A picture of the price window: a copy of the sample collection is given an item whose price changes
# a few times through vitrinex-cli, then opened in the program under a virtual display, where the
# table (Ctrl+T), filtered to that item, shows its price over time (Ctrl+H). Writes
# docs/price-window.png (README.md shows it). Needs xvfb, xdotool, netpbm.
#   scripts/price-screenshot.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$PWD/${1:-build}
docs=$PWD/docs
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME"
cli=$build/tools/cli/vitrinex-cli
file=$work/Vintage\ Heroes.fcd
cp "assets/samples/Vintage Heroes.fcd" "$file"
# Prices a second or two apart, so that the chart has a time axis.
step() { "$@" >/dev/null; sleep 2; }
step "$cli" add "$file" --name "Snowspeeder" --price '$38' --quantity 2 --year 1982 --series "Vehicles"
step "$cli" edit "$file" Snowspeeder --as-typed --price '$44.00'
step "$cli" edit "$file" Snowspeeder --as-typed --price '$41.00'
step "$cli" edit "$file" Snowspeeder --as-typed --price '$52.00'

cd "$build/src/app"
xvfb-run -a -s "-screen 0 1000x700x24" bash -c '
  ./vitrinex "$1" &
  sleep 6
  main=$(xdotool search --name "^Vitrinex 1.4 - " | head -n 1)
  xdotool windowfocus --sync "$main" key ctrl+t
  sleep 2
  table=$(xdotool search --name "^collection table$" | head -n 1)
  xdotool windowfocus --sync "$table" type "Snowspeeder"
  sleep 1
  xdotool key Tab Down ctrl+h
  sleep 2
  price=$(xdotool search --name "^price over time$" | head -n 1)
  xdotool mousemove --window "$price" 300 120
  sleep 2
  xwd -name "price over time" -silent | xwdtopnm 2>/dev/null | pnmtopng >"$2/price-window.png"
  kill %1' _ "$file" "$docs"
echo "docs/price-window.png"
