#!/usr/bin/env bash
# Races through vantor-sim as scripts play them: the countdown's one-second ticks, with no key
# moving the car before GO; every frame turning and moving along the car's heading until it drives
# off the track; and the kept winning run, which wins in under 30 seconds of racing,
# showing every racing frame the time since GO, in the time the planner wrote down when it found
# it. Usage: race_test.sh SIM WINNING_RUN
. "$(dirname "$0")/lib.sh"
sim=$1 winning_run=$2
# vantor-sim's columns: frame, the clock after it, phase, countdown, x y z, heading, the velocity's
# x y z, steer, grapple, race time.

# Ticks fire between frames: each countdown value first shows in the frame that ran at the clock
# its tick was due, which is the clock the frame before it printed.
{ for i in $(seq 189); do echo "16 wsadm"; done; for i in $(seq 70); do echo "16 -"; done; } | "$sim" >"$scratch/countdown"
changes=$(awk '$4 != countdown || $3 != phase { printf "%s %s %s, ", clock, $3, $4 } { countdown = $4; phase = $3; clock = $2 }
               $5 != -2 || $6 != 1 || $7 != 4 || $8 != 0 || $11 != 0 || $12 != 0 || $13 != 0 { print "moved at " $1; exit }' \
    "$scratch/countdown")
[ "$changes" = " Countdown 3, 1008 Countdown 2, 2016 Countdown 1, 3024 Racing 0, 4032 Racing -1, " ] ||
    fail "the countdown went: $changes"

# Every racing frame turns by the turn factor (the speed, at least 0.08 going forward) times the
# steering, whatever the frame's time, and moves along its heading, (-sin h, cos h), by its speed
# times the time the frame before it took; backing up turns the other way. Steering right (d) all
# along drives off the track's right side, -x, where the car is disqualified.
script() { for step in "$@"; do for i in $(seq "${step%%x*}"); do echo "${step#*x}"; done; done; }
script "189x16 -" "3x16 d" "30x16 w" "12x16 wd" "10x25 wa" "45x9 s" "30x16 sd" "15x16 sa" "400x16 wd" | "$sim" >"$scratch/drive"
awk 'function near(a, b, e) { return a - b <= e && b - a <= e }
     $3 == "Racing" && before != "" {
         dt = clock - clockBefore; factor = ($11 >= 0 && $11 < 0.08) ? 0.08 : $11; r = $8 * 3.14159265358979 / 180
         if (!near($8 - heading, factor * $12, 1e-5) || !near($5 - x, -sin(r) * $11 * dt, 1e-3) || !near($7 - z, cos(r) * $11 * dt, 1e-3)) {
             print "frame " $1 " does not follow its heading"; exit 1 }
         if ($11 < -0.08 && $12 > 0 && $8 < heading) backing = 1 }
     $3 == "Disqualified" { if (!backing || $5 >= -2) print "backing up did not turn the other way, or off the left side"; else print "off"; exit }
     { before = $3; clockBefore = clock; clock = $2; heading = $8; x = $5; z = $7 }' "$scratch/drive" >"$scratch/drove" || true
[ "$(cat "$scratch/drove")" = off ] || fail "$(cat "$scratch/drove")"

"$sim" <"$winning_run" >"$scratch/won" || fail "vantor-sim refused the winning run"
awk 'function mmss(ms) { return sprintf("%02d:%02d.%02d", ms / 60000, ms / 1000 % 60, ms / 10 % 100) }
     $3 == "Racing" && !start { start = clock }
     $3 == "Racing" && $14 != mmss(clock - start) { print "frame " $1 " shows " $14 " at " clock - start " ms"; exit 1 }
     previous == "Won" { print "a frame after the win"; exit 1 }
     { clock = $2; previous = $3; time = $14 }
     END { if (previous != "Won" || clock - start > 30000) { print "not won in time: " previous " " time; exit 1 }
           print time }' "$scratch/won" >"$scratch/time" || fail "$(cat "$scratch/time")"
planned=$(grep -o 'race time [0-9:.]*' "$winning_run" | cut -d' ' -f3)
[ "$(cat "$scratch/time")" = "$planned" ] || fail "won in $(cat "$scratch/time"), the planner's run took $planned"
echo PASS
