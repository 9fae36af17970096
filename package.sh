#!/usr/bin/env bash
# Builds the Debian package dist/vantor-sprint_VERSION_ARCH.deb: the game where Debian puts games
# (/usr/games, /usr/share/games), the modders' tools, the menu entry, the icons the tree keeps, the
# software-centre metadata, manual pages and Debian's documents. It needs no display. Installs
# what is missing first. Install it with: sudo apt install ./dist/vantor-sprint_*.deb
# Usage: ./package.sh [BUILD_FOLDER] (build/package unless given; relative to the project's folder)
#
# The same commit makes the same package, byte for byte, wherever the tree and the build lie: every
# file is dated at SOURCE_DATE_EPOCH (the last commit's time unless set), which CPack also puts on
# the archives' members, and no path of this machine's is compiled in.
set -euo pipefail
cd "$(dirname "$0")"
. ./setup.sh
# CPack's Debian generator reads the executables' architecture with `file`.
ensure_packages "${GAME_PACKAGES[@]}" dpkg-dev file

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    # A tree without its history (an unpacked archive) goes by its newest changelog entry's date.
    if [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$(pwd -P)" ]; then
        SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
    else
        SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l packaging/changelog -S Timestamp)
    fi
fi
export SOURCE_DATE_EPOCH

build=${1:-build/package}
mkdir -p "$build"
# Debian's flags with all its hardening, as its own packages are built; without the compiler's
# name in every object, which a stripped binary would still carry. Debian's flags name the tree as
# "."; the build folder, which the debugging information names too (and so the build id that
# outlives stripping), is named "build" here, wherever it is.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
flags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS) -fno-ident"
flags+=" -ffile-prefix-map=$(cd "$build" && pwd -P)=build"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DVANTOR_INSTALL_LAUNCHER_DIR=games -DVANTOR_INSTALL_DATA_DIR=share/games/vantor-sprint \
    -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" -j"$(nproc)" --target vantor-sprint vantor-model-check vantor-model-import \
    vantor-model-view vantor-docs

rm -f dist/vantor-sprint_*.deb
(cd "$build" && cpack -G DEB) >"$build/cpack.log" 2>&1 || { cat "$build/cpack.log" >&2; exit 1; }
ls dist/vantor-sprint_*.deb
