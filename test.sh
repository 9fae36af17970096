#!/usr/bin/env bash
# Installs what is missing, builds the game and its tests, and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
. ./setup.sh
ensure_packages "${GAME_PACKAGES[@]}" googletest libgtest-dev xvfb xdotool imagemagick x11-utils

cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVANTOR_BUILD_TESTS=ON -DVANTOR_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build build/test -j"$(nproc)"

cd build/test
ctest --output-on-failure -j"$(nproc)"
