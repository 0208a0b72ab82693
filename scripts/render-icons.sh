#!/usr/bin/env bash
# Renders the PNG sizes of the program icon from its SVG (after a change of the SVG; the
# PNGs are kept in the repository so that a build needs no SVG renderer).
set -euo pipefail
cd "$(dirname "$0")/../resources/icons/hicolor"
command -v rsvg-convert >/dev/null || apt-get install -y -qq --no-install-recommends librsvg2-bin
svg=scalable/apps/de.kaviosegment.KavioSegment.svg
for n in 16 22 24 32 48 64 128 256; do
  mkdir -p "${n}x${n}/apps"
  rsvg-convert -w "$n" -h "$n" "$svg" -o "${n}x${n}/apps/de.kaviosegment.KavioSegment.png"
done
