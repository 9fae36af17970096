#!/usr/bin/env bash
# Keys held down on the X server's own keyboard, which auto-repeats them as a desktop's does:
# backing off the start with s disqualifies; space held for two seconds on the end screen keeps
# it, and only its release starts a new countdown. Usage: held_keys_test.sh GAME
. "$(dirname "$0")/lib.sh"

# Window rectangles of the text (x, y, width, height), in the text colour.
clock="498 18 142 32"      # the running time, top right
digit="284 284 72 92"      # a countdown digit
disqualified="48 187 544 50" # "You have been disqualified."
text_in() { [ "$(count_near "$1" 255 94 0 12 $2)" -ge 20 ]; }
racing() { shot racing && text_in racing "$clock"; }
# Text in each third of the line, not a short word in one place.
end_screen() {
    shot "$1" && text_in "$1" "48 187 181 50" && text_in "$1" "229 187 181 50" && text_in "$1" "410 187 181 50"
}
counting_down() { shot restarted && text_in restarted "$digit" && [ "$(count_near restarted 255 94 0 12 $disqualified)" -eq 0 ]; }

start_x
mkdir "$scratch/work"
start_game "$1" "$scratch/work"
wait_for 15 racing || fail "the race never started"
key_down s # the car starts on the last row: backing up drops it off the track
wait_for 15 end_screen disqualified || fail "backing off the start did not disqualify"
key_up s

key_down space
deadline=$(($(date +%s%N) + 2000000000))
while [ "$(date +%s%N)" -lt "$deadline" ]; do
    end_screen space_held || fail "the race restarted while space was held"
done
key_up space
wait_for 15 counting_down || fail "no new countdown after space was released"
echo PASS
