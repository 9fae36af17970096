#!/usr/bin/env bash
# Takes the README's picture of the game: plays the committed winning run with the shipped models
# in a private Xvfb, keeps one frame and writes it to docs/screenshot.png. Builds vantor-replay
# in build/release first when needed. Usage: tools/take_screenshot.sh [FRAME]
# The default frame is mid-race, 15.9 s after "GO!", the grapple beam holding on to a point.
set -euo pipefail
cd "$(dirname "$0")/.."
. ./setup.sh
ensure_packages "${GAME_PACKAGES[@]}" xvfb imagemagick

frame=${1:-1184}
case $frame in
    '' | *[!0-9]*) echo "usage: tools/take_screenshot.sh [FRAME]" >&2; exit 2 ;;
esac

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target vantor-replay -j"$(nproc)"

. tools/private_display.sh

# The game reads its models from its working folder, as ./play.sh starts it.
if ! (cd data && ../build/release/vantor-replay \
        --shot "$frame" "$scratch/shot.ppm" ../tests/scripts/winning_run.txt) >"$scratch/replay.log" 2>&1 ||
    [ ! -s "$scratch/shot.ppm" ]; then
    cat "$scratch/replay.log" >&2
    echo "No picture of frame $frame; the winning run has $(grep -c '^[0-9]' tests/scripts/winning_run.txt) frames." >&2
    exit 1
fi

mkdir -p docs
# Without time stamps, so the same picture gives the same file.
convert "$scratch/shot.ppm" -strip -define png:exclude-chunks=date,time docs/screenshot.png
echo "Wrote docs/screenshot.png (frame $frame)"
