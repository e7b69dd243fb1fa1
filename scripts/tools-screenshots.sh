#!/usr/bin/env bash
# Pictures of the collection table, the statistics window's value chart and the value window: a copy of
# the sample collection is given a short value history (backups, added items and a catalog update
# through vitrinex-cli), then opened in the program under a virtual display, where Ctrl+T (a row then
# selected) and Ctrl+S open the first two windows and the statistics window's "value over time" button the third, with the
# pointer over a point. Writes docs/table-window.png, docs/value-chart.png and docs/value-window.png.
# Needs xvfb, xdotool, netpbm.
#   scripts/tools-screenshots.sh [BUILD_DIR]
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
"$cli" scan assets/samples/update.auf --out "$work/update.dat" >/dev/null
# A point a second or two apart, so that the chart has a time axis.
step() { "$@" >/dev/null; sleep 2; }
step "$cli" backup "$file"
step "$cli" add "$file" --name "Snowspeeder" --price '$38' --quantity 2 --year 1982 --series "Vehicles"
step "$cli" backup "$file"
step "$cli" apply "$file" "$work/update.dat"
step "$cli" add "$file" --name "Ewok Village" --price '$65' --year 1983 --series "Playsets"
step "$cli" backup "$file"

cd "$build/src/app"
xvfb-run -a -s "-screen 0 1000x700x24" bash -c '
  ./vitrinex "$1" &
  sleep 6
  main=$(xdotool search --name "^Vitrinex 1.4 - " | head -n 1)
  xdotool windowfocus --sync "$main" key ctrl+t
  sleep 2
  table=$(xdotool search --name "^collection table$" | head -n 1)
  xdotool mousemove --window "$table" 300 106 click 1 # a row selected: the titles keep their face
  sleep 1
  xwd -name "collection table" -silent | xwdtopnm 2>/dev/null | pnmtopng >"$2/table-window.png"
  xdotool windowfocus --sync "$main" key ctrl+s
  sleep 5
  xwd -name "collection stats" -silent | xwdtopnm 2>/dev/null | pnmtopng >"$2/value-chart.png"
  stats=$(xdotool search --name "^collection stats$" | head -n 1)
  xdotool mousemove --window "$stats" 84 300 click 1
  sleep 2
  value=$(xdotool search --name "^value over time$" | head -n 1)
  xdotool mousemove --window "$value" 210 120 mousemove --window "$value" 218 126
  sleep 3
  xwd -name "value over time" -silent | xwdtopnm 2>/dev/null | pnmtopng >"$2/value-window.png"
  kill %1' _ "$file" "$docs"
echo "docs/table-window.png docs/value-chart.png docs/value-window.png"
