#!/usr/bin/env bash
# The installed game: installed into a prefix, the prefix moved, and the player's command started
# through a link from an unrelated folder finds the game and its models, loading each one with
# exactly the lines the installed vantor-model-check prints for it.
# Usage: install_test.sh BUILD_DIR DATA_DIR BIN_DIR GAME_DIR SHARE_DIR (the last three relative)
. "$(dirname "$0")/lib.sh"
build=$1 data=$2

cmake --install "$build" --prefix "$scratch/first" >"$scratch/install.log" || fail "$(cat "$scratch/install.log")"
mv "$scratch/first" "$scratch/moved"
prefix=$scratch/moved
for program in "$3/vantor-sprint" "$3/vantor-model-check" "$3/vantor-model-import" "$3/vantor-model-view" "$4/vantor-sprint"; do
    [ -x "$prefix/$program" ] || fail "$program is not installed as a program"
done
diff -r "$data" "$prefix/$5" >&2 || fail "the models are not installed as shipped"

mkdir -p "$scratch/elsewhere/bin"
ln -s "$prefix/$3/vantor-sprint" "$scratch/elsewhere/bin/vantor-sprint"
start_x
start_game "$scratch/elsewhere/bin/vantor-sprint" "$scratch/elsewhere"
wait_for 30 grep -q "VANTOR SPRINT" "$scratch/out" || fail "no banner: $(cat "$scratch/out" "$scratch/err")"

# Each load's lines, from "Loading model" to the empty line after "Completed loading model".
loads() { awk '/^Loading model /{on=1} on{print} /^Completed loading model /{getline; print; on=0}'; }
models=(model_ground_block model_car model_buildings model_grapple_point model_grapple_point
    model_grapple_point model_grapple_point)
(cd "$prefix/$5" && "$prefix/$3/vantor-model-check" "${models[@]/%/.obj}") | loads >"$scratch/checked"
loads <"$scratch/out" >"$scratch/loaded"
grep -q error "$scratch/out" && fail "an error line: $(cat "$scratch/out")"
diff "$scratch/checked" "$scratch/loaded" >&2 || fail "the game's loads differ from the checker's"
[ "$(awk '/^\*\*\*/{exit} {n++} END{print n}' "$scratch/out")" -eq "$(wc -l <"$scratch/loaded")" ] ||
    fail "something but the loads comes before the banner"
echo PASS
