#!/bin/sh
# Renders the PNG icons from tessaline.svg; run it after changing the drawing and
# commit the PNGs with it (the build uses the committed files, so it needs no renderer).
# Needs rsvg-convert (Debian package librsvg2-bin).
set -eu
cd "$(dirname "$0")"
for size in 48 256; do
  rsvg-convert --width "$size" --height "$size" tessaline.svg --output "tessaline-$size.png"
done
