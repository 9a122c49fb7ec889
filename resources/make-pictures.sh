#!/usr/bin/env bash
# Draws the window's pictures and the program icon with ImageMagick 6 and DejaVu fonts.
# The results are kept in the repository; run this again only to change the art.
# Shapes are drawn four times larger and scaled down, which gives smooth edges at small sizes.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

fonts=/usr/share/fonts/truetype/dejavu
bold=$fonts/DejaVuSans-Bold.ttf
[[ -r $bold ]] || {
    echo "make-pictures: $bold is missing (install fonts-dejavu-core)" >&2
    exit 1
}
im=/usr/bin/convert
[[ -x $im ]] || im=convert
# No time stamps or other metadata, so that drawing again gives the same bytes.
png_opts=(-strip -define 'png:exclude-chunks=date,time')

# Banner, 339 x 59: the exchange service's logo at the left, the maker's at the right.
"$im" -size 1356x236 xc:white \
    -fill '#0b7a8c' -draw 'roundrectangle 24,36 592,200 56,56' \
    -fill '#f2b705' -draw 'circle 112,118 112,62' \
    -fill white -draw 'circle 112,118 112,90' \
    -fill '#0b7a8c' -draw 'circle 112,118 112,106' \
    -font "$bold" -pointsize 104 -fill white -annotate +188+156 'Zelnor' \
    -fill '#e35d12' -draw 'polygon 872,40 944,40 980,118 944,196 872,196 836,118' \
    -fill white -font "$bold" -pointsize 104 -annotate +876+154 'T' \
    -fill '#3b3b3b' -pointsize 112 -annotate +1004+158 'ervo' \
    -fill '#e35d12' -draw 'rectangle 1004,180 1300,192' \
    -resize 339x59 "${png_opts[@]}" PNG24:banner.png

# Confirmation mark, 24 x 24: a white tick on a green circular badge.
"$im" -size 96x96 xc:none \
    -fill '#2e9e3e' -draw 'circle 48,48 48,3' \
    -stroke white -strokewidth 11 -fill none \
    -draw 'stroke-linecap round stroke-linejoin round polyline 25,50 41,66 71,32' \
    -resize 24x24 "${png_opts[@]}" PNG32:ok.png

# Save button image, 20 x 20: a blue floppy disk.
"$im" -size 80x80 xc:none \
    -fill '#1f5fbf' -draw 'polygon 6,10 10,6 62,6 74,18 74,70 70,74 10,74 6,70' \
    -fill '#d9dee6' -draw 'rectangle 20,6 56,28' \
    -fill '#1f5fbf' -draw 'rectangle 44,10 52,24' \
    -fill white -draw 'rectangle 16,42 64,74' \
    -fill '#9fb7dd' -draw 'rectangle 22,50 58,53' -draw 'rectangle 22,60 58,63' \
    -resize 20x20 "${png_opts[@]}" PNG32:save.png

# Cancel button image, 20 x 20: a grey prohibition sign, a ring with diagonal hatching inside.
"$im" -size 80x80 xc:none \
    -stroke '#8a8a8a' -strokewidth 6 \
    -draw 'line 0,30 30,0' -draw 'line 0,50 50,0' -draw 'line 0,70 70,0' -draw 'line 10,80 80,10' \
    -draw 'line 30,80 80,30' -draw 'line 50,80 80,50' \
    \( -size 80x80 xc:none -fill white -draw 'circle 40,40 40,8' \) \
    -compose DstIn -composite -compose Over \
    -fill none -stroke '#5f5f5f' -strokewidth 9 -draw 'circle 40,40 40,6' \
    -resize 20x20 "${png_opts[@]}" PNG32:cancel.png

# Program icon: red "MZ" lettering with a dark red underline, on transparent ground.
"$im" -size 512x512 xc:none \
    -font "$bold" -pointsize 300 -fill '#d01818' -gravity center -annotate +0-30 'MZ' \
    -fill '#8c0c0c' -draw 'roundrectangle 40,380 472,430 20,20' \
    icon-master.miff
for size in 128 48 32 16; do
    "$im" icon-master.miff -resize "${size}x${size}" "${png_opts[@]}" PNG32:"icon-$size.png"
done
rm -f icon-master.miff
"$im" icon-16.png icon-32.png icon-48.png icon-128.png MonitorZelnor.ico
# ImageMagick stores every image as a bitmap; the large one goes in as PNG.
python3 png-icon.py MonitorZelnor.ico 128=icon-128.png
