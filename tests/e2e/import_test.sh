#!/usr/bin/env bash
# A model made ready by vantor-model-import, drawn by the real game with its texture: a box exported
# with a magenta PNG and a material named with spaces, imported as the game's car, shows magenta
# where the car stands, in front of the shipped ground drawn after it. Usage: import_test.sh IMPORT GAME
. "$(dirname "$0")/lib.sh"
importer=$1 game=$2

mkdir "$scratch/export" "$scratch/work"
convert -size 16x16 xc:'#ff00ff' "$scratch/export/paint.png"
cat >"$scratch/export/box.mtl" <<'MTL'
newmtl Car Paint
Kd 1 1 1
map_Kd paint.png
MTL
{
    echo "mtllib box.mtl"
    for corner in "-1 0.1 -2" "1 0.1 -2" "1 1.4 -2" "-1 1.4 -2" "-1 0.1 2" "1 0.1 2" "1 1.4 2" "-1 1.4 2"; do
        echo "v $corner"
    done
    printf 'vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nusemtl Car Paint\n'
    for face in "2 1 4 3" "5 6 7 8" "1 5 8 4" "6 2 3 7" "4 8 7 3" "1 2 6 5"; do
        read -r a b c d <<<"$face"
        echo "f $a/1 $b/2 $c/3 $d/4"
    done
} >"$scratch/export/box.obj"
"$importer" "$scratch/export/box.obj" "$scratch/work" --name model_car >"$scratch/import.log" 2>&1 ||
    fail "the import failed: $(cat "$scratch/import.log")"

cp "$(dirname "$0")"/../../data/model_ground_block.* "$scratch/work"
start_x
start_game "$game" "$scratch/work"
# The window can show before the game's buffered report reaches the file.
wait_for 15 grep -q "Loading texture model_car_paint.tga: done." "$scratch/out" ||
    fail "the game did not load the texture: $(cat "$scratch/out")"
car_is_magenta() { shot imported_car && [ "$(count_where imported_car 280 190 80 70 'r > 100 && b > 100 && g < 40 && r - b < 30 && b - r < 30')" -gt 200 ]; }
wait_for 15 car_is_magenta || fail "no magenta car in the picture"
echo PASS
