#!/usr/bin/env bash
# vantor-stroke-font writes the installed GLUT's Roman stroke font as tables the browser build
# compiles: each table as long as it says, each strip and glyph starting where the one before it
# ends and together covering the table they index, and every printable character with a width; a
# file it cannot write is refused, named.
# Usage: stroke_font_test.sh STROKE_FONT
. "$(dirname "$0")/lib.sh"
"$1" "$scratch/font.inc" || fail "vantor-stroke-font failed"
status=0; "$1" "$scratch/no/such/folder.inc" 2>"$scratch/err" || status=$?
[ "$status" -eq 1 ] && grep -qx "vantor-stroke-font: cannot write $scratch/no/such/folder.inc" "$scratch/err" ||
    fail "a file it cannot write: status $status, $(cat "$scratch/err")"
awk -F'[][{},]+' '
    /^constexpr/ { table = $0; sub(/.*Roman/, "", table); sub(/\[.*/, "", table); size[table] = $2 + 0; next }
    /^    \{/ { n[table]++
              if (table == "Strips" || table == "Glyphs") {
                  first = (table == "Strips" ? $2 : $3) + 0; count = (table == "Strips" ? $3 : $4) + 0
                  if (first != next_[table]) { print table " " n[table] " starts at " first ", not " next_[table]; bad = 1 }
                  next_[table] = first + count }
              if (table == "Glyphs" && n[table] > 32 && n[table] < 128 && !($2 + 0 > 0)) { print "glyph " n[table] - 1 " has no width"; bad = 1 } }
    END { for (t in size) if (n[t] != size[t]) { print t ": " n[t] " rows for " size[t]; bad = 1 }
          if (size["Glyphs"] != 128 || next_["Glyphs"] != size["Strips"] || next_["Strips"] != size["Vertices"]) {
              print "the tables do not index each other whole"; bad = 1 }
          exit bad }' "$scratch/font.inc" >"$scratch/check" || fail "$(cat "$scratch/check")"
echo PASS
