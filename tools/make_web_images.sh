#!/bin/sh
# Renders the page's images from the committed artwork with ImageMagick (Debian's
# imagemagick, libwebp inside): the banner's visible part as lossless WebP, the app icons at
# 192 and 512 pixels, and a maskable 512 one with the emblem inside the safe circle.
# The results are committed in resources/web; run this only after the artwork changes.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/resources/web"
mkdir -p "$out"
# No page is wider than 479 CSS pixels before the form stops being one column, and the
# window shows 455 columns: the rest of the banner is never seen.
convert "$root/resources/banner.bmp" -crop 480x206+0+0 +repage -strip \
    -define webp:lossless=false -quality 82 -define webp:method=6 "$out/banner.webp"
# 512 is the 256-pixel emblem doubled pixel for pixel; 192 is it scaled down.
convert "$root/resources/emblem-256.bmp" -filter point -resize 512x512 -strip "PNG8:$out/icon-512.png"
convert "$root/resources/emblem-256.bmp" -filter Lanczos -resize 192x192 -strip "PNG8:$out/icon-192.png"
# The emblem's own white square, widened: the 256-pixel emblem fits the circle of 40 % radius.
convert "$root/resources/emblem-256.bmp" -background white -gravity center -extent 512x512 -strip \
    "PNG8:$out/icon-maskable-512.png"
