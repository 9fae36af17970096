#!/usr/bin/env bash
# Installs what is missing, builds the game and the modders' tools (the README's modding walk-through
# runs them from build/release), and starts the game in its data folder.
set -euo pipefail
cd "$(dirname "$0")"
. ./setup.sh
ensure_packages "${GAME_PACKAGES[@]}"

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$(nproc)"

cd data
exec ../build/release/vantor-sprint "$@"
