#!/usr/bin/env bash
# Remakes the sample collections in assets/samples/ with vitrinex-cli.
#   tools/samples/make-samples.sh path/to/vitrinex-cli
set -euo pipefail
cli=${1:?path to vitrinex-cli}
cd "$(dirname "$0")/../../assets/samples"

file="Vintage Heroes.fcd"
rm -f "$file"
"$cli" new "$file" --name "Vintage Heroes" --brand "Kenner" --year "1978-1986"

# name | quantity | year | series | price | net change | condition | catalog # | comments
while IFS='|' read -r name qty year series price change cond cat comments; do
  [ -z "$name" ] && continue
  "$cli" add "$file" --name "$name" --quantity "$qty" --year "$year" --series "$series" \
    --price "$price" --netchange "$change" --condition "$cond" --catnum "$cat" --comments "$comments"
done <<'ITEMS'
Captain Comet|1|1978|Star Patrol|$  24.50|$  +2|C-9|SP1001|first wave card, small crease at the top corner
Nebula Knight|2|1978|Star Patrol|$  31.00|$   4|C-8|SP1002|one carded, one loose with cape
Rocket Ranger|1|1979|Star Patrol|$  18.75|$  -1|C-7|SP1003|
Moon Marauder|1|1979|Star Patrol|$  42.00|$   6|C-9|SP1004|bubble slightly yellowed\nkeep out of the sun
Astro Hound|3|1979|Star Patrol|$   9.99|$   0|loose|SP1005|three loose, all complete with collars
Ion Sentinel|1|1980|Star Patrol|$  27.25|$   3|C-8|SP1006|
Cosmo Cadet|1|1980|Star Patrol|$  12.00|$  -2|C-6|SP1007|paint wear on the boots
Gravity Golem|1|1980|Star Patrol|$  55.00|$   9|C-9|SP1008|rare mail-away figure in its original mailer box
Solar Sentry|2|1980|Star Patrol|$  15.50|$   1|C-7|SP1009|
Warp Widow|1|1981|Star Patrol|$  64.00|$  12|C-10|SP1010|factory sealed, graded
Iron Buccaneer|1|1981|Sea Raiders|$  22.00|$   2|C-8|SR2001|
Coral Queen|1|1981|Sea Raiders|$  38.50|$   5|C-9|SR2002|with trident and shell shield
Kraken Rider|1|1981|Sea Raiders|$  47.00|$  -3|C-8|SR2003|rider and kraken sold together
Tide Turner|2|1982|Sea Raiders|$  11.25|$   0|loose|SR2004|
Barnacle Bill|1|1982|Sea Raiders|$   8.50|$  -1|C-5|SR2005|card punched, price sticker residue
Deep Diver|1|1982|Sea Raiders|$  19.99|$   1|C-7|SR2006|helmet visor clear, no cracks
Storm Petrel|1|1982|Sea Raiders|$  26.00|$   2|C-8|SR2007|
Ghost Galleon|1|1983|Sea Raiders|$  89.00|$  15|C-9|SR2008|playset, box complete with inserts\nall stickers unapplied
Mudskipper|1|1983|Sea Raiders|$   6.75|$   0|C-4|SR2009|
Shark Baron|1|1983|Sea Raiders|$  33.00|$  -4|C-8|SR2010|
Thunder Jaw|1|1983|Dino Legion|$  29.50|$   3|C-8|DL3001|
Raptor Scout|2|1984|Dino Legion|$  14.00|$   1|C-7|DL3002|
Stego Sentinel|1|1984|Dino Legion|$  36.00|$   4|C-9|DL3003|
Tar Pit Trapper|1|1984|Dino Legion|$  21.00|$  -2|C-6|DL3004|
Amber Oracle|1|1984|Dino Legion|$  52.50|$   7|C-9|DL3005|translucent amber variant
Fossil Fang|1|1985|Dino Legion|$  17.25|$   0|C-7|DL3006|
Ptero Pilot|1|1985|Dino Legion|$  23.75|$   2|C-8|DL3007|wings open and close, spring works
Volcano Vex|1|1985|Dino Legion|$  45.00|$   5|C-9|DL3008|
Quartz Quill|1|1985|Dino Legion|$  13.50|$  -1|C-6|DL3009|
Rex Regent|1|1986|Dino Legion|$  72.00|$  10|C-10|DL3010|store display sample, never sold
Turbo Tortoise|4|1986|Dino Legion|$   5.25|$   0|loose|DL3011|four loose for parts and customs
Omega Overlord|1|1986|Dino Legion|$  99.99|$  15|C-9|DL3012|final figure of the line, short packed
ITEMS
echo "wrote $(pwd)/$file"
