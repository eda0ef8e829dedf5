#!/usr/bin/env bash
# Renders the PNG icons from their SVG sources (needs rsvg-convert from librsvg2-bin). The PNGs
# are checked in because Qt loads them without its SVG module.
set -euo pipefail
cd "$(dirname "$0")"
for svg in src/*.svg; do
    name=$(basename "$svg" .svg)
    for size in 16 32; do
        rsvg-convert -w "$size" -h "$size" "$svg" -o "$size/$name.png"
    done
done
for size in 16 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" ../korvanta-recorder.svg -o "../app/korvanta-recorder-$size.png"
done
