#!/usr/bin/env bash
# Turns the hand-drawn item pictures (data/art/*.xpm) into the GIF files that
# are installed beside the programs. Run it after changing a picture; the GIF
# files are kept in the repository so that a build needs no image tools.
set -euo pipefail
cd "$(dirname "$0")/../data"
for name in smfolder smfile smimg; do
  convert "art/$name.xpm" "smimages/$name.gif"
done
identify smimages/*.gif
