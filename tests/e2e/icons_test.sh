#!/usr/bin/env bash
# The committed icons are what packaging/make_icons.sh draws from the game's car: the same sizes,
# each picture the same but for what another renderer may change: at most 0.2% of its pixels
# differ by more than 10%. Mesa's two software renderers (llvmpipe, softpipe) part on 0.02% at
# most; a turn of the car by 2 degrees, or the sky cut with a fuzz of 6% or 25% instead of 12%,
# changes 0.6% or more at one size at least.
# Usage: icons_test.sh MAKE_ICONS VIEWER DATA_DIR ICONS_DIR
. "$(dirname "$0")/lib.sh"
make_icons=$1 viewer=$2 data=$3 icons=$4

"$make_icons" "$viewer" "$data" "$scratch/drawn" >"$scratch/make.log" 2>&1 || fail "make_icons.sh failed: $(cat "$scratch/make.log")"
diff <(cd "$icons" && ls) <(cd "$scratch/drawn" && ls) >&2 || fail "the committed icons are not the sizes make_icons.sh draws"
for drawn in "$scratch/drawn"/*.png; do
    icon=$icons/$(basename "$drawn")
    size=$(identify -format '%wx%h' "$icon")
    [ "$size" = "$(identify -format '%wx%h' "$drawn")" ] || fail "$icon is $size, make_icons.sh draws $(basename "$drawn")"
    # compare ends with 1 on any difference and prints the count on standard error.
    differ=$(compare -metric AE -fuzz 10% "$icon" "$drawn" null: 2>&1) || true
    [[ $differ =~ ^[0-9]+$ ]] || fail "$icon cannot be compared: $differ"
    pixels=$((${size%x*} * ${size#*x}))
    budget=$((pixels / 500 > 1 ? pixels / 500 : 1))
    [ "$differ" -le "$budget" ] ||
        fail "$icon differs from what make_icons.sh draws in $differ of its $pixels pixels (at most $budget may)"
done
echo PASS
