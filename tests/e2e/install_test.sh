#!/usr/bin/env bash
# The installed game: installed into a prefix (or the Debian package unpacked into a root), moved
# elsewhere, and the player's command started through a link from an unrelated folder finds the
# game and its models, loading each one with exactly the lines the installed vantor-model-check
# prints for it.
# Usage: install_test.sh BUILD_DIR|PACKAGE.deb DATA_DIR BIN_DIR LAUNCHER_DIR GAME_DIR SHARE_DIR
# (the last four relative to the prefix, /usr in the package)
. "$(dirname "$0")/lib.sh"
from=$1 data=$2 bin=$3 launcher=$4 game_dir=$5 share=$6

if [[ $from == *.deb ]]; then
    dpkg-deb -x "$from" "$scratch/first" || fail "the package does not unpack"
    mv "$scratch/first" "$scratch/moved"
    prefix=$scratch/moved/usr
else
    cmake --install "$from" --prefix "$scratch/first" >"$scratch/install.log" || fail "$(cat "$scratch/install.log")"
    mv "$scratch/first" "$scratch/moved"
    prefix=$scratch/moved
fi
for program in "$launcher/vantor-sprint" "$bin/vantor-model-check" "$bin/vantor-model-import" "$bin/vantor-model-view" \
    "$game_dir/vantor-sprint"; do
    [ -x "$prefix/$program" ] || fail "$program is not installed as a program"
done
diff -r "$data" "$prefix/$share" >&2 || fail "the models are not installed as shipped"

mkdir -p "$scratch/elsewhere/bin"
ln -s "$prefix/$launcher/vantor-sprint" "$scratch/elsewhere/bin/vantor-sprint"
start_x
start_game "$scratch/elsewhere/bin/vantor-sprint" "$scratch/elsewhere"
wait_for 30 grep -q "VANTOR SPRINT" "$scratch/out" || fail "no banner: $(cat "$scratch/out" "$scratch/err")"

# Each load's lines, from "Loading model" to the empty line after "Completed loading model".
loads() { awk '/^Loading model /{on=1} on{print} /^Completed loading model /{getline; print; on=0}'; }
models=(model_ground_block model_car model_buildings model_grapple_point model_grapple_point
    model_grapple_point model_grapple_point)
(cd "$prefix/$share" && "$prefix/$bin/vantor-model-check" "${models[@]/%/.obj}") | loads >"$scratch/checked"
loads <"$scratch/out" >"$scratch/loaded"
grep -q error "$scratch/out" && fail "an error line: $(cat "$scratch/out")"
diff "$scratch/checked" "$scratch/loaded" >&2 || fail "the game's loads differ from the checker's"
[ "$(awk '/^\*\*\*/{exit} {n++} END{print n}' "$scratch/out")" -eq "$(wc -l <"$scratch/loaded")" ] ||
    fail "something but the loads comes before the banner"
echo PASS
