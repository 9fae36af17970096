#!/usr/bin/env bash
# The browser build against the native game: served on 127.0.0.1 and driven in headless Chromium
# by tests/web/page_test.py, it plays the committed winning run with every frame's state as
# vantor-sim prints it and ends as vantor-replay's last frame; its pictures of the countdown, the
# beam and the win screen match vantor-replay's within 1% of the pixels (2% of full scale per
# channel); real keys and the mouse drive it; and everything the page loads stays within 400 KB
# compressed. Usage: web_test.sh WEB_DIR SIM REPLAY DATA_DIR WINNING_RUN
. "$(dirname "$0")/lib.sh"
web=$(realpath "$1") sim=$(realpath "$2") replay=$(realpath "$3") data=$(realpath "$4") run=$(realpath "$5")
shots=(30 420 1796)            # the countdown's "3", the beam pulling the car, the win screen
max_differing=$((640 * 480 / 100))

total=0
for file in index.html index.js index.wasm index.data; do
    [ -s "$web/$file" ] || fail "no $file in $web"
    size=$(gzip -9 -c "$web/$file" | wc -c)
    echo "size: $file $(stat -c %s "$web/$file") bytes, $size gzipped"
    total=$((total + size))
done
echo "size: everything the page loads, gzipped: $total bytes"
[ "$total" -le $((400 * 1024)) ] || fail "the page loads $total bytes compressed, over 400 KB"

"$sim" <"$run" >"$scratch/sim.txt" || fail "vantor-sim failed"

mkdir "$scratch/native"
cp "$data"/* "$scratch/native/"
shot_args=()
for frame in "${shots[@]}"; do shot_args+=(--shot "$frame" "native-$frame.ppm"); done
start_x
for launch in 1 2 3; do
    if (cd "$scratch/native" && LIBGL_ALWAYS_SOFTWARE=1 "$replay" "${shot_args[@]}" "$run") \
        >"$scratch/replay.log" 2>&1; then break; fi
    grep -q "failed to open display" "$scratch/replay.log" && [ "$launch" -lt 3 ] || fail "vantor-replay failed: $(cat "$scratch/replay.log")"
done
replay_last=$(sed -n 's/^last frame: //p' "$scratch/replay.log")
[ "$replay_last" = "$(tail -n 1 "$scratch/sim.txt")" ] || fail "vantor-replay ended otherwise than vantor-sim: $replay_last"

mkdir "$scratch/page"
/usr/bin/python3 "$(dirname "$0")/../web/page_test.py" "$web" "$run" "$scratch/sim.txt" "$scratch/page" "${shots[@]}" \
    | tee "$scratch/page.log"
grep -q '^PASS$' "$scratch/page.log" || fail "the page test failed"
grep -q "last: $replay_last\$" "$scratch/page.log" || fail "the page did not end as vantor-replay did: $replay_last"

for frame in "${shots[@]}"; do
    # ImageMagick prints the number of pixels whose colour differs by more than the fuzz.
    differing=$(compare -metric AE -fuzz 2% "$scratch/page/page-$frame.png" "$scratch/native/native-$frame.ppm" \
        "$scratch/diff-$frame.png" 2>&1 >/dev/null) || true
    echo "frame $frame: $differing of $((640 * 480)) pixels differ from the native picture by more than 2%"
    [[ "$differing" =~ ^[0-9]+$ ]] || fail "compare failed on frame $frame: $differing"
    [ "$differing" -le "$max_differing" ] || fail "frame $frame differs from the native picture in $differing pixels"
done
# The page in a wide window: the picture keeps 4:3 in the middle, between black bars.
wide=$scratch/page/page-wide.png
read -r width height < <(identify -format '%w %h\n' "$wide")
bar=$(((width - height * 4 / 3) / 2))
[ "$bar" -gt 20 ] || fail "the wide window is not wide: $width x $height"
brightest() { convert "$wide" -crop "$1" +repage -format '%[max]' info:; }
[ "$(brightest "$((bar - 4))x${height}+0+0")" = 0 ] || fail "the left bar of the wide page is not black"
[ "$(brightest "$((bar - 4))x${height}+$((width - bar + 4))+0")" = 0 ] || fail "the right bar of the wide page is not black"
[ "$(brightest "$((height * 4 / 3 - 8))x8+$((bar + 4))+$((height / 2))")" != 0 ] || fail "no picture between the bars"
echo "page: $width x $height keeps the picture 4:3 between bars of $bar pixels"

if [ -n "${E2E_PICTURES:-}" ]; then
    mkdir -p "$E2E_PICTURES"
    cp "$scratch"/page/*.png "$scratch"/native/*.ppm "$scratch"/diff-*.png "$E2E_PICTURES/"
fi
echo PASS
