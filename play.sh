#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it in its data folder.
set -euo pipefail
cd "$(dirname "$0")"
. ./setup.sh
ensure_packages "${GAME_PACKAGES[@]}"

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target vantor-sprint -j"$(nproc)"

cd data
exec ../build/release/vantor-sprint "$@"
