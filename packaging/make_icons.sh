#!/usr/bin/env bash
# Draws the game's icon from its own car, with vantor-model-view in a private Xvfb: the car from
# the front and a little above, its sky made transparent, cut to a square and written at the
# usual sizes into FOLDER/SIZExSIZE.png. The tree keeps what it drew in packaging/icons, since the
# pictures depend a little on the machine's renderer; after a change to the car or to this script,
# draw them again there:
#     packaging/make_icons.sh build/release/vantor-model-view data packaging/icons
# Usage: packaging/make_icons.sh VIEWER DATA_FOLDER FOLDER
set -euo pipefail
if [ $# -ne 3 ]; then
    echo "usage: $0 VIEWER DATA_FOLDER FOLDER" >&2
    exit 2
fi
viewer=$1 data=$2 out=$3
. "$(dirname "$0")/../tools/private_display.sh"

"$viewer" "$data/model_car.obj" --shot "$scratch/car.png" --yaw 35 --pitch 25 >"$scratch/view.log" 2>&1 ||
    { cat "$scratch/view.log" >&2; echo "No picture of the car." >&2; exit 1; }
# The sky is one flat colour; the outlines' smoothed edges blend into it, hence the fuzz.
convert "$scratch/car.png" -fuzz 12% -transparent 'rgb(76,181,255)' -trim +repage \
    -background none -gravity center -resize 240x240 -extent 256x256 "$scratch/icon.png"
mkdir -p "$out"
for size in 16 22 24 32 48 64 128 256; do
    convert "$scratch/icon.png" -resize "${size}x${size}" -strip -define png:exclude-chunks=date,time \
        "$out/${size}x${size}.png"
done
