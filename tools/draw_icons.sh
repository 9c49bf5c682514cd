#!/usr/bin/env bash
# Renders the program icon (data/linux/icons/com.zephyrix.Trailwright.svg)
# into the PNG sizes that are installed beside it. Run it after changing the
# picture; the PNG files are kept in the repository, so a build needs no SVG
# renderer. Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../data/linux/icons"
for size in 48 128; do
  rsvg-convert -w "$size" -h "$size" com.zephyrix.Trailwright.svg \
    -o "com.zephyrix.Trailwright-$size.png"
done
identify ./*.png 2>/dev/null || ls -l ./*.png
