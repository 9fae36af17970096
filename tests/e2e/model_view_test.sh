#!/usr/bin/env bash
# vantor-model-view as a modder uses it: its usage for --help, with no display, and on standard
# error for a command line it does not understand; a picture of a shipped model written with --shot,
# and none, with status 1, for a model that cannot be loaded; a window that shows an edited material
# after `r` and a track block after `g`; a missing file that leaves the window open on an empty
# scene until it is there and `r` reads it.
# Usage: model_view_test.sh VIEWER DATA
. "$(dirname "$0")/lib.sh"
viewer=$1 data=$2
window_title="Vantor Sprint model viewer"
sky='r == 76 && g == 181 && b == 255'
magenta='r > 150 && g < 110 && b > 100'
# The edges' strong magenta ambient with a green diffuse on top: a pale yellow, green over blue.
greened='g > 200 && b < g - 20'
grey='r > 200 && r == g && g == b'

# Pictures are probed at a quarter of their size, every fourth pixel of every fourth row: whole
# frames read as text are slow.
small() { convert "$scratch/$1.ppm" -sample 25% "$scratch/$1.ppm"; }
whole="0 0 160 120"

for help in --help -h; do
    (unset DISPLAY; "$viewer" models/x.obj $help) >"$scratch/help" || fail "$help: $(cat "$scratch/help")"
    grep -q '^usage: vantor-model-view FILE.obj' "$scratch/help" || fail "$help: $(cat "$scratch/help")"
done
start_x
# No file, an unknown option, two files, a scale of 0, an option without its value.
for wrong in "--shot x.png" "-q --shot x.png" "x.obj 5 --shot x.png" "x.obj --shot x.png --scale 0" "x.obj --shot x.png --scale"; do
    status=0; "$viewer" $wrong 2>"$scratch/usage" || status=$?
    [ "$status" -eq 2 ] && cmp "$scratch/usage" "$scratch/help" || fail "$wrong: status $status, $(cat "$scratch/usage")"
done
mkdir "$scratch/models" "$scratch/models/folder.obj"
cp "$data"/model_grapple_point.* "$data"/grapple_*.tga "$scratch/models/"

# The shipped grapple point, by the game's loader and drawing: its magenta faces in front of the
# sky, filling part of the picture and leaving the rest.
(cd "$scratch" && LIBGL_ALWAYS_SOFTWARE=1 "$viewer" models/model_grapple_point.obj --shot point.png --yaw 200 \
    >"$scratch/shot.out" 2>&1) || fail "--shot failed: $(cat "$scratch/shot.out")"
grep -qx "Completed loading model model_grapple_point.obj." "$scratch/shot.out" ||
    fail "no loader lines: $(cat "$scratch/shot.out")"
convert "$scratch/point.png" "$scratch/point.ppm" && small point
[ "$(count_where point $whole "$magenta")" -gt 600 ] || fail "the grapple point's magenta is missing"
[ "$(count_where point $whole "$sky")" -gt 6000 ] || fail "the model hides the sky"
# A model that is not there, or does not read, is no picture of the sky but an error.
for model in no_such_model.obj folder.obj; do
    status=0
    (cd "$scratch" && LIBGL_ALWAYS_SOFTWARE=1 "$viewer" models/$model --pitch -5 --shot none.png --scale 2 --yaw 10 \
        >/dev/null 2>"$scratch/err") || status=$?
    [ "$status" -eq 1 ] && grep -q "models/$model" "$scratch/err" || fail "$model: status $status, $(cat "$scratch/err")"
    [ ! -e "$scratch/none.png" ] || fail "$model: a picture was written"
done

# The same model in a window; its edge material turned green on disk shows after a reload.
start_game "$viewer" "$scratch" models/model_grapple_point.obj
shows_point() { shot before && small before && [ "$(count_where before $whole "$magenta")" -gt 600 ]; }
wait_for 15 shows_point || fail "the window does not show the model"
# From the same view, --shot writes the picture the window shows, the right way up: far closer to
# the window's than the same picture upside down is.
(cd "$scratch" && LIBGL_ALWAYS_SOFTWARE=1 "$viewer" models/model_grapple_point.obj --shot same.png >/dev/null 2>&1) ||
    fail "--shot without a view failed"
convert "$scratch/same.png" "$scratch/same.ppm" && small same
convert "$scratch/same.ppm" -flip "$scratch/flipped.ppm"
differing() { compare -metric AE -fuzz 10% "$scratch/$1.ppm" "$scratch/before.ppm" null: 2>&1 | cut -d' ' -f1 || true; }
upright=$(differing same) flipped=$(differing flipped)
[ $((2 * upright)) -lt "$flipped" ] || fail "the shot is off the window by $upright pixels, and upside down by $flipped"
[ "$(count_where before $whole "$greened")" -eq 0 ] || fail "green before the edit"
sed -i 's/^Kd 1 0.16 0.72$/Kd 0.1 0.9 0.1/' "$scratch/models/model_grapple_point.mtl"
xdotool windowfocus "$window" key r
turned_green() { shot reloaded && small reloaded && [ "$(count_where reloaded $whole "$greened")" -gt 300 ]; }
wait_for 15 turned_green || fail "the edited colour did not show after r"
[ "$(grep -c '^Completed loading model' "$scratch/out")" -eq 2 ] || fail "r did not load the files again"
xdotool windowfocus "$window" key g
has_block() { shot block && small block && [ "$(count_where block $whole "$grey")" -gt 60 ]; }
wait_for 15 has_block || fail "no track block after g"
xdotool windowfocus "$window" key Escape
wait_for 15 bash -c "! kill -0 $game 2>/dev/null" || fail "Esc did not quit"
wait "$game" || fail "the viewer quit with status $?"

# A file that is not there: the loader's line, and the window stays open on the sky alone.
start_game "$viewer" "$scratch" models/no_such_model.obj
grep -qx "Loading model no_such_model.obj: error, file not found!" "$scratch/out" ||
    fail "no loader line for the missing file: $(cat "$scratch/out")"
xdotool windowfocus "$window" key r
sleep 1
kill -0 "$game" 2>/dev/null || fail "the viewer ended without its model: $(cat "$scratch/err")"
shot empty && small empty
[ "$(count_where empty $whole "!($sky)")" -eq 0 ] || fail "the empty scene shows more than sky"
cp "$scratch/models/model_grapple_point.obj" "$scratch/models/no_such_model.obj"
xdotool windowfocus "$window" key r
wait_for 15 turned_green || fail "the model put in place does not show after r"

# The mouse over the window: three wheel steps away bring the model closer, a right drag down takes
# it away again, and a left drag turns it.
green_in() { shot "$1" && small "$1" && count_where "$1" $whole "$greened"; }
bigger_than() { [ "$(green_in "$1")" -gt "$2" ]; }
smaller_than() { [ "$(green_in "$1")" -lt "$2" ]; }
at_rest=$(green_in reloaded)
xdotool mousemove --window "$window" 320 240 click --repeat 3 --delay 100 4
wait_for 15 bigger_than closer $((at_rest * 3 / 2)) || fail "the wheel did not bring the model closer: $at_rest"
closer=$(green_in closer)
xdotool mousedown 3 mousemove_relative 0 60 mouseup 3
wait_for 15 smaller_than farther $((closer * 2 / 3)) || fail "a right drag down did not take the model away: $closer"
xdotool mousedown 1 mousemove_relative -- 90 0 mouseup 1
turned() { shot turned && small turned && [ "$(compare -metric AE -fuzz 10% "$scratch/turned.ppm" "$scratch/farther.ppm" null: 2>&1 | cut -d' ' -f1)" -gt 200 ]; }
wait_for 15 turned || fail "a left drag did not turn the model"
echo PASS
