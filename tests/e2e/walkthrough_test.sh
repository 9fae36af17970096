#!/usr/bin/env bash
# The README's modding walk-through followed word for word on a fresh clone: its commands are read
# out of README.md itself and run one by one as in one shell, starting in the project's folder of a
# copy of the tracked files, right after the ./play.sh the README starts with. The game and the
# viewer run on a private X server: the car of the files in data/ is drawn where the car stands
# (the shipped one first, then the imported one), the viewer shows the model, the checker ends as
# the README says, and the last command brings back the shipped files.
# Usage: walkthrough_test.sh PROJECT_SOURCE_DIR
. "$(dirname "$0")/lib.sh"
source_dir=$1
readme=$source_dir/README.md
heading="### From your 3D program to the race"
# The commands of the numbered list; a new one needs its check below as well.
expected_commands=6

# The section from its heading to the end of its numbered list: the lead-in, then every item with
# its lines indented under it. A line back at the left margin ends the list.
walkthrough() {
    awk -v heading="$heading" '
        /^#/ { if (inside) exit; inside = ($0 == heading) }
        !inside { next }
        /^[0-9]+\. / { listed = 1 }
        listed && /^[^ 0-9]/ { exit }
        { print }' "$readme"
}
# An item's text is indented by 3 spaces, a code block in it by 4 more: each such line is a command.
mapfile -t commands < <(walkthrough | sed -n 's/^       \+\([^ ].*\)$/\1/p')
[ ${#commands[@]} -gt 0 ] || fail "no commands found in README.md under \"$heading\""
[ ${#commands[@]} -eq "$expected_commands" ] ||
    fail "README.md's walk-through has ${#commands[@]} commands, this test follows $expected_commands: $(printf '\n  %s' "${commands[@]}")"
# What the README says the checker's last line is, its code span joined again where it was wrapped.
verdict=$(walkthrough | tr '\n' ' ' | tr -s ' ' | sed -n 's/.*the last line says `\([^`]*\)`.*/\1/p')
[ -n "$verdict" ] || fail "README.md's walk-through no longer says what the checker's last line is"

# A copy of the working tree's tracked files, uncommitted edits included, committed into a
# repository of its own, as a clone has them. The scratch home keeps the user's own settings out
# of every command.
home=$scratch/home
project=$scratch/project
mkdir -p "$home/exports" "$project"
git -C "$source_dir" ls-files -z >"$scratch/tracked" || fail "$source_dir is not a git checkout"
tracked=()
while IFS= read -r -d '' file; do
    [ -e "$source_dir/$file" ] && tracked+=("$file") # a file deleted but not yet committed is gone
done <"$scratch/tracked"
(cd "$source_dir" && cp -a --parents -t "$project" "${tracked[@]}")
as_clone() { HOME=$home GIT_CONFIG_NOSYSTEM=1 git -C "$project" "$@" >/dev/null; }
as_clone -c init.defaultBranch=main init -q
as_clone add .
as_clone -c user.name=Walkthrough -c user.email=walkthrough@localhost commit -qm "As cloned"
cp -r "$project/data" "$scratch/shipped_data"

# ~/exports/racer.obj as step 1 leaves it: Blender's own export of a car when the script that makes
# it is there, otherwise a stand-in written here.
blender_script=$source_dir/tests/data/blender/export_car.py
if [ -f "$blender_script" ] && command -v blender >/dev/null; then
    HOME=$home blender --background --factory-startup --python-exit-code 1 --python "$blender_script" \
        -- "$home/exports" >"$scratch/blender.log" 2>&1 || fail "the Blender export failed: $(tail -n 30 "$scratch/blender.log")"
else
    # Stands in for the Blender export: the file as its Wavefront exporter writes it with the default
    # axes, a wedge of a car with its nose at +z, seven-cornered concave sides and two materials,
    # the paint's picture copied next to it.
    cat >"$home/exports/racer.obj" <<'OBJ'
# Blender 3.4.1
# www.blender.org
mtllib racer.mtl
o Racer
v 1.000000 0.200000 -2.000000
v 1.000000 0.200000 2.000000
v 1.000000 0.600000 2.000000
v 1.000000 0.800000 0.600000
v 1.000000 1.300000 0.000000
v 1.000000 1.300000 -1.400000
v 1.000000 0.900000 -2.000000
v -1.000000 0.200000 -2.000000
v -1.000000 0.200000 2.000000
v -1.000000 0.600000 2.000000
v -1.000000 0.800000 0.600000
v -1.000000 1.300000 0.000000
v -1.000000 1.300000 -1.400000
v -1.000000 0.900000 -2.000000
vn 1.0000 -0.0000 -0.0000
vn -1.0000 -0.0000 -0.0000
vn -0.0000 -1.0000 -0.0000
vn -0.0000 -0.0000 1.0000
vn -0.0000 0.9899 0.1414
vn -0.0000 0.7682 0.6402
vn -0.0000 1.0000 -0.0000
vn -0.0000 0.8321 -0.5547
vn -0.0000 -0.0000 -1.0000
vt 0.000000 0.000000
vt 1.000000 0.000000
vt 1.000000 0.363636
vt 0.650000 0.545455
vt 0.500000 1.000000
vt 0.150000 1.000000
vt 0.000000 0.636364
vt 0.000000 0.000000
vt 1.000000 0.000000
vt 1.000000 1.000000
vt 0.000000 1.000000
s 0
usemtl Paint
f 1/1/1 7/7/1 6/6/1 5/5/1 4/4/1 3/3/1 2/2/1
f 8/1/2 9/2/2 10/3/2 11/4/2 12/5/2 13/6/2 14/7/2
f 1/8/3 2/9/3 9/10/3 8/11/3
f 2/8/4 3/9/4 10/10/4 9/11/4
f 3/8/5 4/9/5 11/10/5 10/11/5
f 5/8/7 6/9/7 13/10/7 12/11/7
f 7/8/9 1/9/9 8/10/9 14/11/9
usemtl Glass
f 4/8/6 5/9/6 12/10/6 11/11/6
f 6/8/8 7/9/8 14/10/8 13/11/8
OBJ
    cat >"$home/exports/racer.mtl" <<'MTL'
# Blender 3.4.1 MTL File: 'None'
# www.blender.org

newmtl Glass
Ns 900.000000
Ka 1.000000 1.000000 1.000000
Kd 0.050000 0.060000 0.080000
Ks 0.900000 0.900000 0.900000
Ke 0.000000 0.000000 0.000000
Ni 1.450000
d 1.000000
illum 3

newmtl Paint
Ns 250.000000
Ka 1.000000 1.000000 1.000000
Kd 0.800000 0.800000 0.800000
Ks 0.500000 0.500000 0.500000
Ke 0.000000 0.000000 0.000000
Ni 1.450000
d 1.000000
illum 2
map_Kd paint.png
MTL
    convert -size 64x64 xc:'#26b336' -fill white -draw 'rectangle 28,0 35,63' "$home/exports/paint.png"
fi
[ -f "$home/exports/racer.obj" ] || fail "no ~/exports/racer.obj to import"

# Colours are told apart by hue, which the game's lighting keeps while it darkens and brightens.
hue_functions='
    function chroma(r, g, b) { return (r > g ? (r > b ? r : b) : (g > b ? g : b)) - (r < g ? (r < b ? r : b) : (g < b ? g : b)) }
    function hue(r, g, b,   c, h) {
        c = chroma(r, g, b)
        if (c == 0) return 0
        if (r >= g && r >= b) h = (g - b) / c
        else if (g >= b) h = 2 + (b - r) / c
        else h = 4 + (r - g) / c
        return (h < 0 ? h + 6 : h) * 60
    }
    function apart(h1, h2,   d) { d = h1 - h2; if (d < 0) d = -d; return d > 180 ? 360 - d : d }'

# The hues, one a line, of the materials of an MTL file that have a clear colour: a material's
# diffuse picture's mean colour, or its Kd without a picture.
material_hues() {
    tr -d '\r' <"$1" | awk -v folder="$(dirname "$1")" "$hue_functions"'
        function done_material(   picture, command, line, c, parts) {
            if (!named) return
            c[1] = kd[1]; c[2] = kd[2]; c[3] = kd[3]
            if (map != "") {
                picture = map ~ /^\// ? map : folder "/" map
                command = "convert \"" picture "\" -alpha off -scale 1x1! -depth 8 txt:- 2>/dev/null | tail -n 1"
                command | getline line
                close(command)
                if (split(line, parts, /[(),]/) >= 5) { c[1] = parts[3]; c[2] = parts[4]; c[3] = parts[5] }
            }
            if (chroma(c[1], c[2], c[3]) >= 60) printf "%d\n", hue(c[1], c[2], c[3])
        }
        $1 == "newmtl" { done_material(); named = 1; map = ""; kd[1] = kd[2] = kd[3] = 204 }
        $1 == "Kd" { kd[1] = $2 * 255; kd[2] = $3 * 255; kd[3] = $4 * 255 }
        $1 == "map_Kd" { map = $NF }
        END { done_material() }' | sort -un
}

# The number of pixels of picture NAME inside the rectangle X Y W H of a clear colour within 20
# degrees of HUE.
count_hue() {
    convert "$scratch/$1.ppm" -crop "${4}x${5}+${2}+${3}" +repage -depth 8 txt:- |
        awk -F'[(),]' -v want="$6" "$hue_functions"'
            NR > 1 && chroma($3, $4, $5) >= 40 && apart(hue($3, $4, $5), want) <= 20 { n++ }
            END { print n + 0 }'
}
# Where the car stands at the start, in the game's window: a colour is seen there when it covers
# more than 100 pixels, and absent below 20.
car_area="280 190 80 70"
# Whether picture NAME shows any of the HUES where the car stands.
shows_hue() {
    local name=$1 hue
    shift
    for hue in "$@"; do
        [ "$(count_hue "$name" $car_area "$hue")" -le 100 ] || return 0
    done
    return 1
}

mapfile -t export_hues < <(material_hues "$home/exports/racer.mtl")
[ ${#export_hues[@]} -gt 0 ] || fail "no material of the export has a colour clear enough to find in a picture"
mapfile -t shipped_hues < <(material_hues "$project/data/model_car.mtl")
[ ${#shipped_hues[@]} -gt 0 ] || fail "no material of the shipped car has a colour clear enough to find in a picture"

# The commands run one after the other as in one shell: each starts in the folder the one before
# left, as a modder's next command does after a cd.
folder=$project
# Runs PROGRAM with its ARGUMENTS in that folder, with the scratch home.
in_folder() { cd "$folder" && HOME=$home LIBGL_ALWAYS_SOFTWARE=1 exec env -u XDG_CONFIG_HOME "$@"; }
# Runs a command of the walk-through as the modder types it, and keeps the folder it ends in.
run() {
    local status=0
    (in_folder env LEFT_IN="$scratch/left_in" bash -c 'trap "pwd >\"\$LEFT_IN\"" EXIT
'"$1") || status=$?
    folder=$(cat "$scratch/left_in")
    return $status
}

# Starts a command that opens a window titled TITLE, in a process group of its own (setsid) so that
# the game ./play.sh starts ends with it, and waits up to SECONDS for the window, looking twice a
# second: the wait may span a whole build, which the looking must not slow down. A client turned
# away while the server was still settling is started again.
group=
trap '[ -z "$group" ] || kill -- -"$group" 2>/dev/null || true; cleanup' EXIT
open_window() {
    local command=$1 seconds=$3 launch deadline started=$SECONDS
    window_title=$2
    for launch in 1 2 3; do
        (in_folder setsid bash -c "$command") >"$scratch/out" 2>"$scratch/err" &
        game=$! group=$!
        window=
        deadline=$((SECONDS + seconds))
        until window_or_exit; do
            [ "$SECONDS" -lt "$deadline" ] || fail "no window within $seconds s from: $command"
            sleep 0.5
        done
        if [ -n "$window" ]; then
            echo "$command: a window after $((SECONDS - started)) s"
            return 0
        fi
        wait "$game" || true
        group=
        grep -q "failed to open display" "$scratch/err" || break
    done
    fail "no window from: $command; its output ends: $(tail -n 30 "$scratch/out" "$scratch/err")"
}
# Waits for the command in the window to end by itself; fails when it ends with an error.
closed() {
    wait_for 15 bash -c "! kill -0 $game 2>/dev/null" || fail "the window's program did not end"
    group=
    wait "$game" || fail "the window's program ended with status $?: $(cat "$scratch/err")"
}

# The game that ./play.sh starts shows the car whose files data/ holds where the car stands: the
# shipped car first, which tells the colours of the export that the shipped scene does not have
# there; then the imported car in one of those colours. The game has no key to quit: it is ended.
race() {
    local command=$1 picture=$2 hue
    local hues=("${shipped_hues[@]}")
    if [ -f "$project/mine/model_car.obj" ] && cmp -s "$project/mine/model_car.obj" "$project/data/model_car.obj"; then
        hues=("${new_hues[@]}")
        raced_imported=yes
    fi
    # Long enough for the first run's Release build from nothing.
    open_window "$command" "Vantor Sprint" 480
    shows_car() { shot "$picture" && shows_hue "$picture" "${hues[@]}"; }
    wait_for 20 shows_car || fail "$picture: no car of hue ${hues[*]} where the car stands"
    if [ -z "${raced_imported:-}" ]; then
        new_hues=()
        for hue in "${export_hues[@]}"; do
            [ "$(count_hue "$picture" $car_area "$hue")" -ge 20 ] || new_hues+=("$hue")
        done
        [ ${#new_hues[@]} -gt 0 ] ||
            fail "every colour of the export (hue ${export_hues[*]}) shows with the shipped car: the pictures cannot tell them apart"
    fi
    kill -- -"$group"
    wait "$game" || true
    group=
}

start_x
race ./play.sh race_shipped

step=0
for command in "${commands[@]}"; do
    step=$((step + 1))
    echo "step $step: $command"
    case $command in
    ./play.sh*)
        race "$command" race_imported
        ;;
    *vantor-model-view*)
        open_window "$command" "Vantor Sprint model viewer" 30
        # Probed at a quarter of its size: whole frames read as text are slow.
        shows_model() {
            local hue
            shot viewer && convert "$scratch/viewer.ppm" -sample 25% "$scratch/viewer.ppm" || return 1
            for hue in "${export_hues[@]}"; do
                [ "$(count_hue viewer 0 0 160 120 "$hue")" -le 100 ] || return 0
            done
            return 1
        }
        wait_for 20 shows_model || fail "the viewer shows no colour of the model (hue ${export_hues[*]})"
        xdotool windowfocus "$window" key Escape
        closed
        viewed=yes
        ;;
    *)
        run "$command" >"$scratch/step$step.out" 2>&1 || fail "\"$command\" failed: $(cat "$scratch/step$step.out")"
        ;;
    esac
    case $command in
    *vantor-model-import*)
        [ -f "$project/mine/model_car.obj" ] || fail "the importer wrote no mine/model_car.obj: $(cat "$scratch/step$step.out")"
        ;;
    *vantor-model-check*)
        ! grep '^warning:' "$scratch/step$step.out" || fail "the checker warns about the imported model"
        [ "$(grep . "$scratch/step$step.out" | tail -n 1)" = "$verdict" ] ||
            fail "the checker's last line is not \"$verdict\": $(cat "$scratch/step$step.out")"
        checked=yes
        ;;
    esac
done

[ "${checked:-}" = yes ] || fail "the walk-through never checks the model"
[ "${viewed:-}" = yes ] || fail "the walk-through never shows the model in the viewer"
[ "${raced_imported:-}" = yes ] || fail "the walk-through never races the imported car"
diff -r "$scratch/shipped_data" "$project/data" >&2 || fail "the walk-through's last command does not bring back the shipped data/"
echo PASS
