#!/usr/bin/env bash
# The command-line tools run as a modder runs them: the model generator makes exactly the shipped
# files; vantor-model-check finds them clean, warns once about each kind of broken model (still
# usable) and each material too faint to show, reads every model from its own folder, ends with its
# status and answers --help with the usage it gives on a usage error; vantor-sim prints a line
# a frame and refuses a bad line. Usage: tools_test.sh GENERATOR CHECKER SIM DATA_DIR
. "$(dirname "$0")/lib.sh"
generator=$1 checker=$2 sim=$3 data=$4

"$generator" "$scratch/made" >/dev/null || fail "the generator failed"
diff -r "$data" "$scratch/made" >&2 || fail "data/ differs from what vantor-model-generator makes"

# The shipped models: no warning, no error line, every texture decodes.
(cd "$scratch/made" && "$checker" model_car.obj model_ground_block.obj model_buildings.obj model_grapple_point.obj) \
    >"$scratch/shipped" 2>&1 || fail "the shipped models: $(cat "$scratch/shipped")"
[ "$(grep -c ': usable, 0 warnings$' "$scratch/shipped")" -eq 4 ] || fail "$(cat "$scratch/shipped")"
! grep -E '^warning|error|cannot' "$scratch/shipped" || fail "the shipped models are not clean"
[ "$(grep -c '^Loading texture' "$scratch/shipped")" -eq "$(grep -c ': decodes$' "$scratch/shipped")" ] ||
    fail "a shipped texture does not decode"

# One broken model a folder: MODEL.obj, its other files, the warnings it must get, one a line.
triangle='v 0 0 0\nv 1 0 0\nv 0 1 0\n'
check_broken() {
    local folder=$scratch/$1 warnings=$2
    mkdir -p "$folder"
    shift 2
    while [ $# -gt 0 ]; do printf "$2" >"$folder/$1"; shift 2; done
    (cd "$folder" && "$checker" model.obj) >"$folder.out" || fail "$folder: $(cat "$folder.out")"
    [ "$(sed -n 's/^warning: //p' "$folder.out")" = "$warnings" ] || fail "$folder: $(cat "$folder.out")"
    grep -qx "model.obj: usable, $(wc -l <<<"$warnings") warnings\\?" "$folder.out" || fail "$folder: $(cat "$folder.out")"
}
check_broken bad_index "2 faces with a position index outside the vertices read dropped" \
    model.obj "${triangle}v 1 1 0\nf 1 2 3\nf 1 2 5\nf 1 -5 3\nf 2 4 3\n"
check_broken unknown_material "3 faces in a group that is never drawn (before any \"usemtl\" once materials are known, or after a \"usemtl\" no material has)" \
    model.obj "mtllib looks.mtl\n${triangle}usemtl paint\nf 1 2 3\nusemtl chrome\nf 1 2 3\nf 3 2 1\nf 2 3 1\n" \
    looks.mtl "newmtl paint\nKd 1 0 0\n"
check_broken no_library "1 material library could not be read: their materials keep the default look" \
    model.obj "mtllib nowhere.mtl\n${triangle}f 1 2 3\n"
check_broken short_texture "texture skin.tga cannot be used: material skin is drawn without its map_Kd" \
    model.obj "mtllib looks.mtl\n${triangle}vt 0 0\nusemtl skin\nf 1/1 2/1 3/1\n" looks.mtl "newmtl skin\nmap_Kd skin.tga\n" \
    skin.tga '\0\0\2\0\0\0\0\0\0\0\0\0\2\0\2\0\30\0\1\2\3\4'
# An opacity under half a step of an 8-bit channel (0.5 / 255) changes no pixel, a little over it
# does; each such material is named, used by faces or not, and one without "Tr" is solid.
unseen() { echo "material $1 is drawn fully transparent (Tr $2, below 0.00196): write \"Tr 1\" for a solid material"; }
check_broken faint "$(unseen glass 0; unseen haze 0.0019; unseen odd -1)" \
    model.obj "mtllib looks.mtl\n${triangle}usemtl glass\nf 1 2 3\nusemtl tint\nf 1 2 3\n" \
    looks.mtl "newmtl glass\nTr 0\nnewmtl haze\nTr 0.0019\nnewmtl tint\nTr 0.002\nnewmtl paint\nnewmtl odd\nTr -1\n"

# One past each of the game's limits: the elements, the materials over all libraries, the length
# of a name, and a face outside any material once all 64 groups are taken.
mkdir "$scratch/over"
awk 'BEGIN { print "mtllib looks.mtl"; for (i = 0; i < 75001; i++) print "v " i " 0 0\nvt 0 0\nvn 0 0 1"
             print "f 1 2 3" }' >"$scratch/over/model.obj"
awk 'BEGIN { print "newmtl " sprintf("%032d", 7); for (i = 1; i <= 65; i++) print "newmtl m" i }' >"$scratch/over/looks.mtl"
(cd "$scratch/over" && "$checker" model.obj) >"$scratch/over.out" || fail "$(cat "$scratch/over.out")"
[ "$(sed -n 's/^warning: //p' "$scratch/over.out")" = "$(printf '%s past the limit of 75000 ignored\n' "1 vertex" \
    "1 texture coordinate" "1 normal"; echo "2 materials past the limit of 64 ignored"
    echo "1 material name cut to 31 characters"
    echo "1 face that would need a 65th material dropped")" ] || fail "$(tail -7 "$scratch/over.out")"

# Each model is read from its own folder, whatever folder the checker runs in; a file that cannot
# be opened does not stop the others, and sets the status.
cp -r "$scratch/short_texture" "$scratch/elsewhere"
cp "$scratch/made/grapple_glow.tga" "$scratch/elsewhere/skin.tga"
(cd "$scratch/short_texture" && "$checker" ../elsewhere/model.obj missing.obj) >"$scratch/mixed" && fail "status 0"
grep -q '^../elsewhere/model.obj: usable, 0 warnings$' "$scratch/mixed" || fail "$(cat "$scratch/mixed")"
grep -q '^missing.obj: cannot be opened$' "$scratch/mixed" || fail "$(cat "$scratch/mixed")"
status=0; "$checker" 2>"$scratch/usage" || status=$?
[ "$status" -eq 2 ] && grep -q '^usage: vantor-model-check FILE.obj' "$scratch/usage" || fail "no usage error"
for help in --help "model.obj -h"; do
    (cd "$scratch/faint" && "$checker" $help) >"$scratch/help" || fail "$help: $(cat "$scratch/help")"
    cmp "$scratch/usage" "$scratch/help" || fail "$help printed another usage"
done

# vantor-sim: one line a frame, the clock after it first; a bad line ends it with status 2.
printf '16 -\n16 w\n16 q\n16 -\n' | "$sim" >"$scratch/frames" 2>"$scratch/sim_err" && fail "vantor-sim took a bad line"
[ "$(cat "$scratch/frames")" = "$(printf '1 16 Countdown 3 -2 1 4 0 0 0 0 0 0 -\n2 32 Countdown 3 -2 1 4 0 0 0 0 0 0 -')" ] ||
    fail "vantor-sim printed: $(cat "$scratch/frames")"
[ "$(cat "$scratch/sim_err")" = "vantor-sim: line 3: controls are the letters w, s, a, d and m, or - for none" ] ||
    fail "vantor-sim said: $(cat "$scratch/sim_err")"
echo PASS
