# The end-to-end tests' tools, sourced by each test: a private X server, the real game started in a
# folder of its own, keys pressed on the server's keyboard as a player presses them, and screenshots
# probed for colours. Everything started is stopped, and the scratch folder removed, on exit.
set -euo pipefail

scratch=$(mktemp -d "${TMPDIR:-/tmp}/vantor-e2e-XXXXXX")
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Polls the command until it succeeds, for at most the given seconds; tries at least once.
wait_for() {
    local seconds=$1
    shift
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

# Starts Xvfb on a display number it picks itself and exports DISPLAY. The server's keyboard
# auto-repeats held keys, as a desktop's does.
start_x() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" 2>"$scratch/xvfb.log" &
    pids+=($!)
    wait_for 15 grep -qs . "$scratch/display" || fail "Xvfb did not start: $(cat "$scratch/xvfb.log")"
    export DISPLAY=":$(head -n 1 "$scratch/display")"
}

# Starts PROGRAM in FOLDER with the ARGUMENTS, its output in $scratch/out and $scratch/err, and sets
# `window` to the id of its visible window titled $window_title. A client turned away while the
# server was still settling is started again.
window_title="Vantor Sprint"
start_game() {
    local program=$1 folder=$2 launch
    shift 2
    for launch in 1 2 3; do
        (cd "$folder" && LIBGL_ALWAYS_SOFTWARE=1 exec "$program" "$@" >"$scratch/out" 2>"$scratch/err") &
        pids+=($!)
        game=$!
        window=
        wait_for 30 window_or_exit || true
        [ -z "$window" ] || return 0
        grep -q "failed to open display" "$scratch/err" || break
    done
    fail "no game window; its standard error: $(cat "$scratch/err")"
}
window_or_exit() {
    window=$(xdotool search --onlyvisible --name "^$window_title\$" 2>/dev/null | head -n 1) || true
    [ -n "$window" ] || ! kill -0 "$game" 2>/dev/null
}

# Keys by X keysym name, on the server's keyboard with the game's window focused.
key_down() { xdotool windowfocus "$window" keydown "$1"; }
key_up() { xdotool keyup "$1"; }

# Takes a picture of the game's window into $scratch/NAME.ppm, keeping a copy for a person to look
# at when E2E_PICTURES names a folder.
shot() {
    import -window "$window" -depth 8 "ppm:$scratch/$1.ppm"
    if [ -n "${E2E_PICTURES:-}" ]; then mkdir -p "$E2E_PICTURES" && cp "$scratch/$1.ppm" "$E2E_PICTURES/"; fi
}

# The number of pixels of picture NAME inside the rectangle X Y W H (window pixels, y down) for
# which the awk condition on r, g and b holds.
count_where() {
    local name=$1 x=$2 y=$3 w=$4 h=$5
    convert "$scratch/$name.ppm" -crop "${w}x${h}+${x}+${y}" +repage -depth 8 txt:- |
        awk -F'[(),]' "NR > 1 { r = \$3; g = \$4; b = \$5; if ($6) n++ } END { print n + 0 }"
}

# The number of pixels of picture NAME inside the rectangle X Y W H whose every channel is within
# TOLERANCE of R G B.
count_near() {
    local t=$5
    count_where "$1" "$6" "$7" "$8" "$9" "r - $2 <= $t && $2 - r <= $t && g - $3 <= $t && $3 - g <= $t && b - $4 <= $t && $4 - b <= $t"
}
