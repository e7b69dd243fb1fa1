#!/usr/bin/env bash
# Pictures of the photos window and of the collection table with covers: a copy of the sample
# collection is given a few photos through vitrinex-cli (pictures drawn here, made JPEG by netpbm),
# then opened in the program under a virtual display; an item is selected, Ctrl+I opens the photos
# window and Ctrl+T the table. Writes docs/photos-window.png and docs/table-covers.png.
# Needs xvfb, xdotool, netpbm, python3.
#   scripts/photos-screenshots.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$PWD/${1:-build}
docs=$PWD/docs
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
mkdir -p "$HOME"
cli=$build/tools/cli/vitrinex-cli
file=$work/Vintage\ Heroes.fcd
cp "assets/samples/Vintage Heroes.fcd" "$file"

# A figure on a card: a coloured backdrop, a bubble and a figure's outline, in `colour`.
draw() { # draw OUT R G B
  python3 - "$@" <<'PY'
import sys
out, r, g, b = sys.argv[1], *map(int, sys.argv[2:5])
w, h = 480, 640
rows = []
for y in range(h):
    row = bytearray()
    for x in range(w):
        card = 30 <= x < w - 30 and 30 <= y < h - 30
        bubble = (x - w / 2) ** 2 / 150 ** 2 + (y - 360) ** 2 / 230 ** 2 < 1
        head = (x - w / 2) ** 2 + (y - 220) ** 2 < 45 ** 2
        body = abs(x - w / 2) < 55 - (y - 270) / 12 and 265 < y < 470
        legs = abs(abs(x - w / 2) - 25) < 16 and 470 <= y < 560
        if head or body or legs:
            px = (min(255, r + 60), min(255, g + 60), min(255, b + 60))
        elif bubble:
            px = (200, 215, 225)
        elif card:
            shade = 1 - y / h / 2
            px = (int(r * shade), int(g * shade), int(b * shade))
        else:
            px = (20, 20, 20)
        row += bytes(px)
    rows.append(bytes(row))
with open(out, "wb") as f:
    f.write(b"P6 %d %d 255\n" % (w, h) + b"".join(rows))
PY
}
n=0
for photo in "Captain Comet:200 40 40" "Captain Comet:40 60 190" "Captain Comet:30 150 60" \
            "Nebula Knight:120 40 160" "Moon Marauder:180 120 20" "Astro Hound:20 130 140" \
            "Coral Queen:200 80 120" "Ghost Galleon:90 90 100" "Gravity Golem:140 90 40"; do
  item=${photo%%:*}
  n=$((n + 1))
  draw "$work/p$n.ppm" ${photo#*:}
  pnmtojpeg --quality 90 "$work/p$n.ppm" >"$work/photo$n.jpg"
  "$cli" photo-add "$file" "$item" "$work/photo$n.jpg" >/dev/null
done

cd "$build/src/app"
xvfb-run -a -s "-screen 0 1400x800x24" bash -c '
  ./vitrinex "$1" &
  sleep 6
  main=$(xdotool search --name "^Vitrinex 1.4 - " | head -n 1)
  xdotool mousemove --window "$main" 90 253 click 1 # "Captain Comet" in the list
  sleep 1
  xwd -id "$main" -silent | xwdtopnm 2>/dev/null | pnmtopng >"$2/main-window-cover.png"
  xdotool windowfocus --sync "$main" key ctrl+i
  sleep 3
  xwd -name "photos" -silent | xwdtopnm 2>/dev/null | pnmtopng >"$2/photos-window.png"
  xdotool windowfocus --sync "$main" key ctrl+t
  sleep 3
  xwd -name "collection table" -silent | xwdtopnm 2>/dev/null | pnmtopng >"$2/table-covers.png"
  kill %1' _ "$file" "$docs"
echo "docs/main-window-cover.png docs/photos-window.png docs/table-covers.png"
