#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the committed PNGs and the Windows .ico from the SVGs. Only needed after a drawing changes,
# so the build never runs it: it needs rsvg-convert (librsvg2-bin) and ImageMagick.
set -eu
cd "$(dirname "$0")"

# The three smallest sizes have their own pixel-grid drawings; scaling the big one down blurs them.
for size in 16 24 32; do
    rsvg-convert -w "$size" -h "$size" "src/varnelo-$size.svg" -o "varnelo-$size.png"
done
for size in 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" varnelo.svg -o "varnelo-$size.png"
done
# -strip keeps the files byte-identical between runs (no time stamps).
for size in 16 24 32 48 64 128 256; do
    convert "varnelo-$size.png" -strip "PNG32:varnelo-$size.png"
done

convert varnelo-16.png varnelo-32.png varnelo-48.png varnelo.ico
