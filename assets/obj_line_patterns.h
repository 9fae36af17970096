// The OBJ reader's line patterns, and which of them a line matches: tried in order, the first
// that yields its full count decides.
#pragma once

#include "assets/pattern_scanner.h"

enum class LineKind { Vertex, TexCoord, Normal, Face };

struct LinePattern {
    const char* pattern;
    int required; // the count the pattern must yield
    LineKind kind;
    // Faces only: 3 or 4 corners, and which indices each corner carries besides its position.
    int corners{};
    bool texCoords{};
    bool normals{};
};

// Tried in this order; the first whose count is reached is the only one applied. So a face with
// five or more corners is read as a quad of its first four, and a line that begins with white
// space matches nothing.
constexpr LinePattern LinePatterns[] = {
    {"v %f %f %f", 3, LineKind::Vertex},
    {"vt %f %f %f", 3, LineKind::TexCoord},
    {"vt %f %f", 2, LineKind::TexCoord},
    {"vn %f %f %f", 3, LineKind::Normal},
    {"f %d/%d/%d %d/%d/%d %d/%d/%d %d/%d/%d", 12, LineKind::Face, 4, true, true},
    {"f %d/%d/%d %d/%d/%d %d/%d/%d", 9, LineKind::Face, 3, true, true},
    {"f %d//%d %d//%d %d//%d %d//%d", 8, LineKind::Face, 4, false, true},
    {"f %d/%d %d/%d %d/%d %d/%d", 8, LineKind::Face, 4, true, false},
    {"f %d//%d %d//%d %d//%d", 6, LineKind::Face, 3, false, true},
    {"f %d/%d %d/%d %d/%d", 6, LineKind::Face, 3, true, false},
    {"f %d %d %d %d", 4, LineKind::Face, 4, false, false},
    {"f %d %d %d", 3, LineKind::Face, 3, false, false},
};
constexpr int PatternCount = static_cast<int>(sizeof LinePatterns / sizeof LinePatterns[0]);

// Where a matched line's values are: fields points into scanned, at the matching pattern's.
struct ObjLineMatch {
    ScannedField scanned[PatternCount][MaxScannedFields];
    const ScannedField* fields = nullptr;
};

// The row of LinePatterns that the NUL-terminated line matches, -1 for none, trying each pattern
// in turn.
int matchLinePatterns(const char* line, ObjLineMatch& match);

// The same row and values for the commonest lines, read once: "v", "vt" and "vn" with white space
// after them, and faces whose corners all have one form with only white space between and after
// them. ObjLineUndecided for the rest, which the patterns must decide. end is the line's
// terminating NUL; the values go to fields.
constexpr int ObjLineUndecided = -2;
int matchCommonObjLine(const char* line, const char* end, ScannedField* fields);

// The same for a line where it lies in the text still to be read, before its end is known: the
// line runs to its first LF or CR, which must come within MaxLineLength characters, and next is
// set after it. ObjLineUndecided also for lines that match no pattern, and for those that end
// otherwise; the caller then cuts the line as the reader does and asks matchObjLine.
int matchObjLineInBlock(const char* line, const char* end, ScannedField* fields, const char*& next);

// The row and values: by matchCommonObjLine where it decides, else by the patterns.
int matchObjLine(const char* line, const char* end, ObjLineMatch& match);
