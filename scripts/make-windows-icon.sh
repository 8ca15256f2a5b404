#!/usr/bin/env bash
# Renders src/gui/pictures/tilvane.svg into the Windows icon
# src/gui/pictures/tilvane.ico (16 to 256 pixels; the largest stored as PNG, as
# Windows expects). The .ico is kept in the repository: run this after
# changing the picture. Needs librsvg2-bin and icoutils.
set -euo pipefail
cd "$(dirname "$0")/.."

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
small=()
for size in 16 20 24 32 40 48 64 128; do
  rsvg-convert -w "$size" -h "$size" -o "$work/$size.png" src/gui/pictures/tilvane.svg
  small+=("$work/$size.png")
done
rsvg-convert -w 256 -h 256 -o "$work/256.png" src/gui/pictures/tilvane.svg
icotool -c -o src/gui/pictures/tilvane.ico "${small[@]}" -r "$work/256.png"
echo "Wrote src/gui/pictures/tilvane.ico"
