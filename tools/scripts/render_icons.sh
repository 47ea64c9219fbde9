#!/usr/bin/env bash
# Renders the PNG sizes of the program's icon from its SVG (Debian's
# librsvg2-bin). The PNGs are kept in the repository; run this after the
# SVG changed.
set -euo pipefail
cd "$(dirname "$0")/../.."
svg=data/icons/org.corvane.Vantrel.svg
for size in 16 24 32 48 64 128 256; do
  mkdir -p "data/icons/png/${size}"
  rsvg-convert -w "$size" -h "$size" "$svg" -o "data/icons/png/${size}/org.corvane.Vantrel.png"
done
