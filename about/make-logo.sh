#!/usr/bin/env bash
# Redraws the about box logo (231 x 163, true colour): three queued script
# pages, the front one started, over the product name. Needs ImageMagick and
# the Liberation fonts; run it from anywhere, it writes next to itself.
set -euo pipefail
cd "$(dirname "$0")"

pages=()
for corner in "50 14" "64 22" "78 30"; do
    read -r x y <<<"$corner"
    pages+=(-fill white -stroke '#0b1f4f' -strokewidth 2
            -draw "rectangle $x,$y $((x + 44)),$((y + 56))"
            -stroke '#8fa7d7' -strokewidth 3)
    for line in "14 36" "26 36" "38 28"; do
        read -r dy end <<<"$line"
        pages+=(-draw "line $((x + 8)),$((y + dy)) $((x + end)),$((y + dy))")
    done
done

convert -size 231x163 gradient:'#2f5fbf-#0b1f4f' "${pages[@]}" \
    -fill '#ffc020' -stroke '#7f5000' -strokewidth 2 -draw 'polygon 138,40 178,62 138,84' \
    -stroke none -fill white -font Liberation-Serif-Bold -pointsize 38 \
    -gravity south -annotate +0+14 Vantrel \
    -type TrueColor PNG24:logo.png
