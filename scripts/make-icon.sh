#!/usr/bin/env bash
# Draws the program's icon, Images/trambelo.png: four bars in the colours of a
# quartile map, on a white tile with a navy border. Needs ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/.."
convert -size 128x128 xc:none \
  -fill white -stroke '#10206a' -strokewidth 6 -draw 'roundrectangle 5,5 122,122 18,18' \
  -stroke none \
  -fill '#ffff00' -draw 'rectangle 22,76 40,104' \
  -fill '#a0a060' -draw 'rectangle 46,58 64,104' \
  -fill '#5555aa' -draw 'rectangle 70,40 88,104' \
  -fill '#0000ff' -draw 'rectangle 94,22 112,104' \
  -fill '#10206a' -draw 'rectangle 16,104 116,110' \
  -depth 8 -strip Images/trambelo.png
