#!/usr/bin/env bash
# The game configures where stb, which only the modders' importer and viewer use, is not installed:
# its headers are hidden from CMake, as on a machine without libstb-dev. The game's own sources use
# nothing of stb (the browser build compiles them without it), so configuring is where it failed.
# Usage: without_stb_test.sh SOURCE_FOLDER
. "$(dirname "$0")/lib.sh"
source=$1
stb=$(dirname "$(find /usr/include -name stb_image.h -print -quit)")
[ "$stb" != . ] || fail "no stb here to hide"
cmake -S "$source" -B "$scratch/build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_IGNORE_PATH="$stb" >"$scratch/configure.log" 2>&1 ||
    fail "configuring without stb failed: $(tail -5 "$scratch/configure.log")"
grep -q "No stb (Debian's libstb-dev): vantor-model-import and vantor-model-view are not built" "$scratch/configure.log" ||
    fail "stb was found after all, or the tools left out were not named"
targets=$(cmake --build "$scratch/build" --target help)
for target in vantor-sprint vantor-model-check vantor-sim; do
    grep -q "\.\.\. $target\$" <<<"$targets" || fail "no target $target without stb"
done
! grep -q '\.\.\. vantor-model-\(import\|view\)$' <<<"$targets" || fail "a tool that needs stb is still a target"
echo PASS
