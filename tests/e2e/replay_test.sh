#!/usr/bin/env bash
# vantor-replay draws a race script in the real window: the winning run with the small test scene,
# pictured just before the beam attaches (frame 390; it holds from frame 399) and while it pulls
# the car. Usage: replay_test.sh REPLAY SCENE_DIR WINNING_RUN
. "$(dirname "$0")/lib.sh"

cp "$2"/* "$scratch/"
awk '!/^#/ && NF && n++ < 420' "$3" >"$scratch/run.txt" # one process: a pipe cut short would fail the test
start_x
# A client turned away while the server was still settling is started again.
for launch in 1 2 3; do
    if (cd "$scratch" && LIBGL_ALWAYS_SOFTWARE=1 "$1" --shot 390 free.ppm --shot 420 attached.ppm run.txt) \
        >"$scratch/replay.log" 2>&1; then break; fi
    grep -q "failed to open display" "$scratch/replay.log" && [ "$launch" -lt 3 ] || fail "vantor-replay failed: $(cat "$scratch/replay.log")"
done
# The beam is added in full green; elsewhere only the yellow windows reach such a green.
beam_pixels() {
    convert "$scratch/$1.ppm" -depth 8 txt:- | awk -F'[(),]' 'NR > 1 && $4 >= 250 && $3 < 200 { n++ } END { print n + 0 }'
}
[ "$(beam_pixels free)" -eq 0 ] || fail "a beam before it attached"
[ "$(beam_pixels attached)" -gt 100 ] || fail "no beam while it pulls the car"
if [ -n "${E2E_PICTURES:-}" ]; then mkdir -p "$E2E_PICTURES" && cp "$scratch/attached.ppm" "$E2E_PICTURES/beam-attached.ppm"; fi
echo PASS
