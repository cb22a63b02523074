#!/usr/bin/env bash
# Redraws the program icon: a queue of script lines with a start arrow, drawn
# separately at each size so the small one stays crisp, reduced to 16 colours.
# Needs ImageMagick; run it from anywhere, it writes next to itself.
set -euo pipefail
cd "$(dirname "$0")"

draw() {  # size, then the drawing primitives
    local size=$1
    shift
    convert -size "${size}x${size}" xc:none "$@" -colors 16 "PNG8:vantrel-${size}.png"
}

draw 32 \
    -fill '#1f3f8f' -stroke '#0b1f4f' -strokewidth 1 -draw 'roundrectangle 1,1 30,30 5,5' \
    -stroke none -fill white \
    -draw 'rectangle 5,7 17,9' -draw 'rectangle 5,13 17,15' \
    -draw 'rectangle 5,19 17,21' -draw 'rectangle 5,25 13,27' \
    -fill '#ffc020' -stroke '#7f5000' -draw 'polygon 19,9 28,16 19,23'

draw 16 \
    -fill '#1f3f8f' -draw 'roundrectangle 0,0 15,15 3,3' \
    -fill white \
    -draw 'rectangle 2,3 8,4' -draw 'rectangle 2,7 8,8' -draw 'rectangle 2,11 6,12' \
    -fill '#ffc020' -draw 'polygon 10,4 14,8 10,12'
