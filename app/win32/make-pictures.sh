#!/usr/bin/env bash
# Turns the program's pictures into the BMP files its resources embed, so the program needs no
# PNG decoder:  make-pictures.sh RESOURCES_DIR OUT_DIR
#   banner.bmp          24-bit
#   ok.bmp              24-bit, drawn over the window's white background (it sits on white)
#   save.bmp cancel.bmp 32-bit with alpha, for the buttons' image lists (they sit on the
#                       button face, whose colour the theme decides)
set -euo pipefail
src=$1 out=$2
mkdir -p "$out"
convert "$src/banner.png" -type TrueColor BMP3:"$out/banner.bmp"
convert "$src/ok.png" -background white -alpha remove -type TrueColor BMP3:"$out/ok.bmp"
for name in save cancel; do
    convert "$src/$name.png" -define bmp:format=bmp4 -type TrueColorAlpha BMP:"$out/$name.bmp"
done
