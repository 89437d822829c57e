#!/usr/bin/env bash
# Renders the PNG sizes of the icon from its SVG (needs rsvg-convert, Debian librsvg2-bin).
# The PNGs are committed, so a build needs no SVG renderer; run this after changing the SVG.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
for size in 16 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" org.wavesmith.Wavesmith.svg -o "wavesmith-$size.png"
done
