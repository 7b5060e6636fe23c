#!/usr/bin/env bash
# Draws the sample pictures that ship in Samples/ beside the program: a few small scenes of
# our own making, in JPEG and PNG, one with a space in its name. Run once; the results are
# kept in the repository. Needs ImageMagick's convert.
set -euo pipefail
cd "$(dirname "$0")"
out=Samples
mkdir -p "$out"
convert=${CONVERT:-convert}
# No timestamps or other metadata, so that a rerun gives the same files.
jpeg=(-strip -sampling-factor 4:2:0 -quality 72)
png=(-strip -define png:exclude-chunks=date,time -define png:compression-level=9)

# Hills under an evening sky.
"$convert" -size 400x300 gradient:'#f6a04d-#5b3f8c' \
    -fill '#2f5d3a' -draw 'ellipse 90,330 220,120 180,360' \
    -fill '#3f7a48' -draw 'ellipse 320,340 200,110 180,360' \
    -fill '#ffe9a8' -draw 'circle 300,90 300,62' \
    "${jpeg[@]}" "$out/Evening Hills.jpg"

# A lake with a jetty.
"$convert" -size 400x300 gradient:'#bfe3f5-#2b6f9e' \
    -fill '#4a7f3f' -draw 'rectangle 0,150 400,170' \
    -fill '#7a5230' -draw 'rectangle 170,165 190,300' -draw 'rectangle 150,160 210,170' \
    "${jpeg[@]}" "$out/lake.jpg"

# Rows of flowers.
"$convert" -size 400x300 xc:'#88c070' \
    -fill '#e4475e' -draw 'circle 60,80 60,60' -draw 'circle 160,80 160,60' \
    -draw 'circle 260,80 260,60' -draw 'circle 360,80 360,60' \
    -fill '#f3d34a' -draw 'circle 110,190 110,170' -draw 'circle 210,190 210,170' \
    -draw 'circle 310,190 310,170' \
    "${jpeg[@]}" "$out/meadow.jpg"

# A chequered floor.
"$convert" -size 240x180 pattern:checkerboard -auto-level +level-colors '#6d8fbf,#f2efe6' \
    -depth 8 "${png[@]}" "$out/tiles.png"

# A leaf on a plain ground, with few colours.
"$convert" -size 240x180 xc:'#f4f1e8' \
    -fill '#5a9e3a' -draw 'ellipse 120,90 80,36 0,360' \
    -stroke '#2e5e1c' -strokewidth 3 -draw 'line 50,90 195,90' \
    -colors 16 -depth 8 "${png[@]}" "$out/leaf.png"

ls -l "$out"
