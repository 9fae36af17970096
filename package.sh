#!/usr/bin/env bash
# Builds the Debian package dist/vantor-sprint_VERSION_ARCH.deb: the game where Debian puts games
# (/usr/games, /usr/share/games), the modders' tools, the menu entry, the icons the tree keeps, the
# software-centre metadata, manual pages and Debian's documents. It needs no display. Installs
# what is missing first. Install it with: sudo apt install ./dist/vantor-sprint_*.deb
set -euo pipefail
cd "$(dirname "$0")"
. ./setup.sh
# CPack's Debian generator reads the executables' architecture with `file`.
ensure_packages "${GAME_PACKAGES[@]}" dpkg-dev file

build=build/package
# Debian's flags with all its hardening, as its own packages are built; without the compiler's
# name in every object, which a stripped binary would still carry.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DVANTOR_INSTALL_LAUNCHER_DIR=games -DVANTOR_INSTALL_DATA_DIR=share/games/vantor-sprint \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS) -fno-ident" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" -j"$(nproc)" --target vantor-sprint vantor-model-check vantor-model-import \
    vantor-model-view vantor-docs

rm -f dist/vantor-sprint_*.deb
(cd "$build" && cpack -G DEB) >"$build/cpack.log" 2>&1 || { cat "$build/cpack.log" >&2; exit 1; }
ls dist/vantor-sprint_*.deb
