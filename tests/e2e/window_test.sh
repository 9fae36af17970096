#!/usr/bin/env bash
# The real game started with no model files: its window, the banner as the last thing it prints,
# and that it keeps running and drawing without storing anything. Usage: window_test.sh GAME
. "$(dirname "$0")/lib.sh"

start_x
mkdir "$scratch/work"
start_game "$1" "$scratch/work"

title=$(xdotool getwindowname "$window")
[ "$title" = "Vantor Sprint" ] || fail "the title is \"$title\""
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$X $Y $WIDTH $HEIGHT" = "100 100 640 480" ] || fail "the window is ${WIDTH}x$HEIGHT at $X,$Y"

printf '%s\n' '***************************************************' \
    '***************    VANTOR SPRINT    ***************' \
    '***************************************************' '' 'CONTROLS:' \
    'w              Accelerate Forward' 's              Accelerate Backward' \
    'a              Turn Left' 'd              Turn Right' \
    'Mouse Click    Activeate Grapple Beam' '' \
    'Note: The grapple beam will attach to the closest' '      grapple point within reach.' '' \
    'GAMEPLAY:' 'Once you start the game, you'"'"'re racing against' \
    'the clock. Try to complete the track as quickly' 'as possible!' >"$scratch/banner"
# Flushed before the main loop: the banner ends the output at once, even into a file.
banner_ends_output() { tail -c "$(wc -c <"$scratch/banner")" "$scratch/out" | cmp -s - "$scratch/banner"; }
wait_for 5 banner_ends_output || fail "the output does not end with the banner: $(cat "$scratch/out")"

sleep 2
kill -0 "$game" 2>/dev/null || fail "the game ended: $(cat "$scratch/err")"
[ -z "$(ls -A "$scratch/work")" ] || fail "the game stored files: $(ls -A "$scratch/work")"
shot window_after_two_seconds
[ "$(count_near window_after_two_seconds 255 94 0 12 0 0 640 480)" -gt 0 ] || fail "no text in the window"
echo PASS
