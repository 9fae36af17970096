#!/usr/bin/env bash
# Installs what is missing, builds the game and its tests, and runs every test; then the browser
# build in headless Chromium against the native game; the unit tests again under the address and
# undefined-behaviour sanitizers, each model-reader fuzzer for a short fixed time, and the Debian
# package through Debian's checks, built twice to the same bytes. VANTOR_FRESH_MACHINE=1 adds the
# README's install steps on a fresh Debian 12. The reader benchmarks are built here but run by hand.
set -euo pipefail
cd "$(dirname "$0")"
. ./setup.sh
ensure_packages "${GAME_PACKAGES[@]}" googletest libgtest-dev xvfb xdotool imagemagick x11-utils blender \
    clang libclang-rt-14-dev libbenchmark-dev dpkg-dev lintian desktop-file-utils appstream man-db \
    emscripten chromium chromium-driver python3-selenium

cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVANTOR_BUILD_TESTS=ON -DVANTOR_WARNINGS_AS_ERRORS=ON -DVANTOR_BUILD_BENCHMARKS=ON >/dev/null
cmake --build build/test -j"$(nproc)"

(cd build/test && ctest --output-on-failure -j"$(nproc)")

# The browser build as ./web.sh makes it, played in headless Chromium against the native game.
./web.sh
tests/e2e/web_test.sh dist/web build/test/vantor-sim build/test/vantor-replay data tests/scripts/winning_run.txt

# The unit tests with every memory error and undefined behaviour fatal; the OpenGL tests start
# their own X server.
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVANTOR_BUILD_TESTS=ON -DVANTOR_SANITIZE=ON >/dev/null
cmake --build build/asan -j"$(nproc)" --target vantor-unit-tests vantor-gl-tests
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    build/asan/tests/vantor-unit-tests --gtest_brief=1
# The drawing code and whole model loads and unloads on a real context, every leak fatal.
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    build/asan/tests/vantor-gl-tests --gtest_brief=1

# Each reader fuzzer from its committed seeds, for a fixed time; any finding fails the run. New
# inputs go to a scratch folder, never into the committed corpus.
FUZZ_SECONDS=${FUZZ_SECONDS:-20}
CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVANTOR_BUILD_FUZZERS=ON >/dev/null
fuzz_targets=(obj_reader tga_decoder pattern_scanner source_model)
fuzz_binaries=()
for target in "${fuzz_targets[@]}"; do
    fuzz_binaries+=("vantor-fuzz-${target//_/-}")
done
cmake --build build/fuzz -j"$(nproc)" --target "${fuzz_binaries[@]}"
for target in "${fuzz_targets[@]}"; do
    scratch=build/fuzz/scratch/$target
    rm -rf "$scratch" && mkdir -p "$scratch"
    echo "Fuzzing $target for $FUZZ_SECONDS s"
    seeds=("fuzz/corpus/$target")
    [ "$target" = obj_reader ] && seeds+=(tests/data/obj) # the reader tests' models seed it too
    if ! "build/fuzz/fuzz/vantor-fuzz-${target//_/-}" -max_total_time="$FUZZ_SECONDS" -timeout=10 \
        -artifact_prefix="$scratch/" "$scratch" "${seeds[@]}" >"$scratch.log" 2>&1; then
        tail -n 60 "$scratch.log"
        echo "Fuzzer $target found a problem; the input is in $scratch/" >&2
        exit 1
    fi
    grep -E '^Done' "$scratch.log" || true
done

# The Debian package as ./package.sh builds it, through lintian and the desktop's validators, and
# unpacked into a root from which it must start the game; then built again from a copy of the tree
# elsewhere, which must give the same file.
./package.sh
tests/e2e/package_test.sh dist/vantor-sprint_*.deb data
tests/e2e/reproducible_test.sh . dist/vantor-sprint_*.deb build/reproducible

# The README's install steps on a fresh Debian 12 in a chroot, as root, when asked for: about
# 5 minutes, 8 the first time, when it downloads a bare system and the packages into build/.
if [ -n "${VANTOR_FRESH_MACHINE:-}" ]; then
    ensure_packages debootstrap
    tests/e2e/fresh_machine_test.sh . build/fresh-machine
fi
