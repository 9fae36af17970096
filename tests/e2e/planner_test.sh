#!/usr/bin/env bash
# The race planner against the game: the run it prints, played by vantor-sim, wins in the race time
# the planner wrote down, so the frames it searched are the frames the game plays; and it is the
# kept winning run, which the other tests replay, so that one was made by the planner as it is.
# Usage: planner_test.sh PLANNER SIM WINNING_RUN
. "$(dirname "$0")/lib.sh"
planner=$1 sim=$2 winning_run=$3

"$planner" >"$scratch/plan" 2>"$scratch/planner.err" || fail "the planner found no run: $(cat "$scratch/planner.err")"
planned=$(sed -n '1s/.*race time \([0-9:.]*\),.*/\1/p' "$scratch/plan")
[ -n "$planned" ] || fail "the plan names no race time: $(head -1 "$scratch/plan")"
"$sim" <"$scratch/plan" >"$scratch/played" || fail "vantor-sim refused the plan"
last=$(tail -1 "$scratch/played")
[ "$(echo "$last" | awk '{ print $3 " " $14 }')" = "Won $planned" ] ||
    fail "the plan, said to win in $planned, ends: $last"
cmp -s "$scratch/plan" "$winning_run" ||
    fail "the planner finds another run than $winning_run; make it again with: vantor-race-planner > $winning_run"
echo PASS
