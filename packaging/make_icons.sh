#!/usr/bin/env bash
# Draws the game's icon from its own car, with vantor-model-view in a private Xvfb: the car from
# the front and a little above, its sky made transparent, cut to a square and written at the
# usual sizes into FOLDER/hicolor/SIZExSIZE/apps/ID.png.
# Usage: packaging/make_icons.sh VIEWER DATA_FOLDER FOLDER ID
set -euo pipefail
viewer=$1 data=$2 out=$3 id=$4
. "$(dirname "$0")/../tools/private_display.sh"

"$viewer" "$data/model_car.obj" --shot "$scratch/car.png" --yaw 35 --pitch 25 >"$scratch/view.log" 2>&1 ||
    { cat "$scratch/view.log" >&2; echo "No picture of the car." >&2; exit 1; }
# The sky is one flat colour; the outlines' smoothed edges blend into it, hence the fuzz.
convert "$scratch/car.png" -fuzz 12% -transparent 'rgb(76,181,255)' -trim +repage \
    -background none -gravity center -resize 240x240 -extent 256x256 "$scratch/icon.png"
for size in 16 22 24 32 48 64 128 256; do
    mkdir -p "$out/hicolor/${size}x${size}/apps"
    convert "$scratch/icon.png" -resize "${size}x${size}" -strip -define png:exclude-chunks=date,time \
        "$out/hicolor/${size}x${size}/apps/$id.png"
done
