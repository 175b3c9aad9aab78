#!/usr/bin/env bash
# Remakes the PNG sizes of the icon (data/icons/NxN/quellon.png) from data/quellon.svg, after
# the drawing changes. Needs rsvg-convert (Debian package librsvg2-bin); the build does not.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
for size in 16 24 32 48 64 128 256; do
  mkdir -p "$root/data/icons/${size}x${size}"
  rsvg-convert -w "$size" -h "$size" "$root/data/quellon.svg" -o "$root/data/icons/${size}x${size}/quellon.png"
done
