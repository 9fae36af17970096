#!/usr/bin/env bash
# Takes the README's picture of the four shipped models side by side, each as the game draws it,
# with vantor-model-view in a private Xvfb, and writes it to docs/models.png. Builds the viewer in
# build/release first when needed. Usage: tools/take_model_pictures.sh
set -euo pipefail
cd "$(dirname "$0")/.."
. ./setup.sh
ensure_packages "${GAME_PACKAGES[@]}" xvfb imagemagick

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target vantor-model-view -j"$(nproc)"

. tools/private_display.sh

pictures=()
for model in car grapple_point buildings ground_block; do
    if ! build/release/vantor-model-view "data/model_$model.obj" --shot "$scratch/$model.png" \
            >"$scratch/$model.log" 2>&1; then
        cat "$scratch/$model.log" >&2
        echo "No picture of model_$model.obj." >&2
        exit 1
    fi
    pictures+=("$scratch/$model.png")
done

mkdir -p docs
# Half size, in one row; without time stamps, so the same pictures give the same file.
convert "${pictures[@]}" -resize 50% +append -strip -define png:exclude-chunks=date,time docs/models.png
echo "Wrote docs/models.png"
