#!/usr/bin/env bash
# Paints the demo gallery's pictures into fmm/fe/pics/: a gradient under a soft fractal, a few
# shapes and an English caption each (ImageMagick cannot shape Arabic without Pango).
# The output is committed; run this again only to change the pictures. Same seeds, same files.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
out="$here/fmm/fe/pics"
convert=${CONVERT:-convert}
if ! "$convert" -version 2>/dev/null | grep -q ImageMagick; then
    echo "make-pictures.sh: needs ImageMagick's convert (apt-get install imagemagick)" >&2
    exit 1
fi
mkdir -p "$out"

# picture FILE SEED TOP BOTTOM CAPTION [DRAWING OPTIONS...]
picture() {
    local file=$1 seed=$2 top=$3 bottom=$4 caption=$5
    shift 5
    "$convert" -seed "$seed" -size 480x320 "gradient:$top-$bottom" \
        \( -size 480x320 "plasma:$top-$bottom" \) \
        -compose blend -define compose:args=35 -composite -compose over \
        "$@" \
        -fill '#00000080' -draw 'rectangle 0,274 480,320' \
        -gravity south -font DejaVu-Sans-Bold -pointsize 22 -fill white \
        -annotate +0+12 "$caption" \
        -strip -sampling-factor 1x1 -quality 88 "$out/$file"
}

picture "sunset-dunes.jpg" 11 '#ff9a3c' '#7b2d5b' "Sunset over the dunes" \
    -fill '#ffe08acc' -draw 'circle 350,110 350,160' \
    -fill '#b8682ecc' -draw 'ellipse 120,300 260,90 180,360' \
    -fill '#8c4a22cc' -draw 'ellipse 400,310 220,70 180,360'

picture "palm grove.jpg" 12 '#8fd3ff' '#2e7d32' "Palm grove" \
    -fill '#5d4037' -draw 'polygon 150,270 162,270 170,120 158,120' \
    -fill '#1b5e20cc' -draw 'ellipse 164,115 70,22 180,360' -draw 'ellipse 164,115 22,60 180,360' \
    -fill '#5d4037' -draw 'polygon 320,270 330,270 336,150 326,150' \
    -fill '#2e7d32cc' -draw 'ellipse 331,145 60,18 180,360' -draw 'ellipse 331,145 18,50 180,360'

picture "old city gate.jpg" 13 '#f6d7a7' '#a1662f' "The old city gate" \
    -fill '#7a4a24' -draw 'rectangle 130,90 350,274' \
    -fill '#2b1a0e' -draw 'rectangle 200,160 280,274' -draw 'circle 240,160 240,120' \
    -fill '#9c6b3e' -draw 'rectangle 120,70 360,95'

picture "harbour-at-dawn.jpg" 14 '#ffd1dc' '#1e4b8c' "Harbour at dawn" \
    -fill '#ffffffcc' -draw 'polygon 180,230 300,230 280,255 200,255' \
    -fill '#f5f5f5' -draw 'polygon 238,225 238,120 290,225' \
    -stroke '#ffffff88' -strokewidth 2 -draw 'line 0,262 480,262' -stroke none

picture "desert night.jpg" 15 '#0d1b3d' '#3b2a58' "Desert night" \
    -fill '#fff8e1' -draw 'circle 380,80 380,108' \
    -fill '#0d1b3d' -draw 'circle 392,72 392,100' \
    -fill '#ffffffaa' -draw 'point 60,40' -draw 'circle 120,70 120,72' -draw 'circle 220,40 220,42' \
    -fill '#2a1b3dcc' -draw 'ellipse 200,300 300,80 180,360'

picture "mosaic.jpg" 16 '#26a69a' '#0d47a1' "Mosaic tiles" \
    -fill '#ffca28cc' -draw 'polygon 240,60 300,120 240,180 180,120' \
    -fill '#ef5350cc' -draw 'polygon 120,120 160,160 120,200 80,160' \
    -fill '#ef5350cc' -draw 'polygon 360,120 400,160 360,200 320,160' \
    -fill '#ffffffaa' -draw 'circle 240,120 240,140'

picture "mountain-road.jpg" 17 '#b3e5fc' '#546e7a' "Mountain road" \
    -fill '#455a64' -draw 'polygon 0,274 140,90 260,274' \
    -fill '#607d8b' -draw 'polygon 150,274 330,60 480,274' \
    -fill '#eceff1' -draw 'polygon 305,90 330,60 355,90'

picture "lanterns.jpg" 18 '#3e2723' '#bf360c' "Lanterns" \
    -fill '#ffb300cc' -draw 'roundrectangle 90,90 150,180 12,12' \
    -fill '#ffd54fcc' -draw 'roundrectangle 210,70 270,170 12,12' \
    -fill '#ff8f00cc' -draw 'roundrectangle 330,100 390,190 12,12' \
    -stroke '#000000aa' -strokewidth 3 -draw 'line 120,0 120,90' -draw 'line 240,0 240,70' \
    -draw 'line 360,0 360,100' -stroke none

picture "oasis.jpg" 19 '#fff3c4' '#d4a657' "Oasis" \
    -fill '#4fc3f7cc' -draw 'ellipse 240,230 150,30 0,360' \
    -fill '#2e7d32' -draw 'ellipse 110,190 40,60 180,360' -draw 'ellipse 380,185 45,65 180,360'

picture "camel caravan.jpg" 20 '#ffcc80' '#e65100' "Camel caravan" \
    -fill '#4e342e' \
    -draw 'ellipse 110,215 38,18 0,360' -draw 'ellipse 104,198 16,12 0,360' \
    -draw 'polygon 138,210 146,212 160,182 152,180' -draw 'ellipse 160,180 11,6 0,360' \
    -draw 'rectangle 86,228 93,264' -draw 'rectangle 128,228 135,264' \
    -draw 'ellipse 240,220 38,18 0,360' -draw 'ellipse 234,203 16,12 0,360' \
    -draw 'polygon 268,215 276,217 290,187 282,185' -draw 'ellipse 290,185 11,6 0,360' \
    -draw 'rectangle 216,233 223,268' -draw 'rectangle 258,233 265,268' \
    -draw 'ellipse 370,215 38,18 0,360' -draw 'ellipse 364,198 16,12 0,360' \
    -draw 'polygon 398,210 406,212 420,182 412,180' -draw 'ellipse 420,180 11,6 0,360' \
    -draw 'rectangle 346,228 353,264' -draw 'rectangle 388,228 395,264'

picture "minaret.jpg" 21 '#e1f5fe' '#81d4fa' "Minaret" \
    -fill '#eeeeee' -draw 'rectangle 215,80 265,274' \
    -fill '#bdbdbd' -draw 'rectangle 205,140 275,152' \
    -fill '#9e9e9e' -draw 'polygon 215,80 265,80 240,30'

picture "spice-market.jpg" 22 '#ffe0b2' '#6d4c41' "Spice market" \
    -fill '#d84315' -draw 'ellipse 100,230 60,30 180,360' \
    -fill '#fbc02d' -draw 'ellipse 240,230 60,30 180,360' \
    -fill '#558b2f' -draw 'ellipse 380,230 60,30 180,360'

ls -l "$out"
