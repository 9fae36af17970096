#!/usr/bin/env bash
# Installs what is missing and builds the browser version of the game into dist/web/: index.html
# with its index.js, index.wasm and index.data (the models, packed). Any static web host serves the
# folder as it is; `./web.sh serve [PORT]` builds it and serves it at http://127.0.0.1:PORT/
# (8080 unless given) until Ctrl+C.
set -euo pipefail
cd "$(dirname "$0")"
. ./setup.sh
ensure_packages "${GAME_PACKAGES[@]}" emscripten python3

# The browser's GLUT has no stroke font; the installed GLUT's is written out as a table first.
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$(nproc)" --target vantor-stroke-font
mkdir -p build/web
build/release/vantor-stroke-font build/web/stroke_roman.inc

# Debian's emscripten runs its tools with the machine's node; one that is not Debian's own needs
# Debian's modules put on its path.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
emcmake cmake -S . -B build/web -DCMAKE_BUILD_TYPE=Release \
    -DVANTOR_STROKE_FONT_TABLE="$PWD/build/web/stroke_roman.inc" >/dev/null
cmake --build build/web -j"$(nproc)"

rm -rf dist/web
mkdir -p dist/web
cp build/web/web/index.html build/web/web/index.js build/web/web/index.wasm build/web/web/index.data dist/web/
echo "The browser version is in dist/web/."

if [ "${1:-}" = serve ]; then
    port=${2:-8080}
    echo "Open http://127.0.0.1:$port/ in a browser; Ctrl+C stops the server."
    exec python3 -m http.server "$port" --bind 127.0.0.1 --directory dist/web
fi
