// Matching an OBJ line to its pattern: the patterns one after another, and a single pass over the
// lines that nearly every file is made of, which must give what the patterns give.
#include "assets/obj_line_patterns.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

// For each pattern, an earlier one that begins with it, or -1. Scanning stops where the shorter
// pattern ends, so its count is the longer one's count cut to its own number of conversions and
// the line need not be scanned again: "vt %f %f" after "vt %f %f %f", a triangle after the quad
// of the same form.
constexpr std::array<int, PatternCount> LongerPattern = [] {
    std::array<int, PatternCount> longer{};
    for (int row = 0; row < PatternCount; ++row) {
        longer[row] = -1;
        for (int earlier = 0; earlier < row && longer[row] < 0; ++earlier)
            if (std::string_view(LinePatterns[earlier].pattern).starts_with(LinePatterns[row].pattern))
                longer[row] = earlier;
    }
    return longer;
}();

// Cutting the longer count to the required one is only right when a pattern requires all of its
// conversions.
constexpr bool everyConversionRequired()
{
    for (const LinePattern& form : LinePatterns) {
        const std::string_view pattern = form.pattern;
        if (static_cast<int>(std::count(pattern.begin(), pattern.end(), '%')) != form.required)
            return false;
    }
    return true;
}
static_assert(everyConversionRequired());

// The rows of the faces by the form of their corners (v/vt/vn, v//vn, v/vt, v) and their number.
constexpr int FaceRow[4][2] = {{5, 4}, {8, 6}, {9, 7}, {11, 10}};

// Up to wanted numbers after the key, each after any white space, as the patterns' %f read them;
// returns how many were read before the line ended or held something else.
int scanNumbers(const char* p, const char* end, ScannedField* fields, int wanted)
{
    int count = 0;
    for (; count < wanted; ++count) {
        p = skipScanBlanks(p);
        if (*p == '\0' || !(p = scanFloatField(p, end, fields[count])))
            break;
    }
    return count;
}

// A face line whose corners all have one form, with nothing but white space between and after
// them: the patterns before its own all stop short on its first corner, or one conversion short
// of their count. Anything else is left to the patterns: white space inside a corner, a fifth
// corner, a mix of forms, other text.
int matchFace(const char* p, ScannedField* fields)
{
    int form = -1, corners = 0;
    for (;;) {
        p = skipScanBlanks(p);
        if (*p == '\0')
            break;
        if (corners == 4)
            return ObjLineUndecided;
        int cornerForm = 3, values = 1;
        p = scanIntegerField(p, fields[0]);
        if (p && *p == '/') {
            if (p[1] == '/') {
                p = scanIntegerField(p + 2, fields[1]);
                cornerForm = 1, values = 2;
            } else {
                p = scanIntegerField(p + 1, fields[1]);
                cornerForm = 2, values = 2;
                if (p && *p == '/') {
                    p = scanIntegerField(p + 1, fields[2]);
                    cornerForm = 0, values = 3;
                }
            }
        }
        if (!p || !(isScanBlank(*p) || *p == '\0') || (corners > 0 && cornerForm != form))
            return ObjLineUndecided;
        form = cornerForm;
        fields += values;
        ++corners;
    }
    return corners >= 3 ? FaceRow[form][corners - 3] : ObjLineUndecided;
}

} // namespace

// After "v", "vt" or "vn" and white space, no earlier pattern can match: "v %f" stops at the 't',
// and at an 'n' that does not begin "nan"; so the count of numbers alone decides.
int matchCommonObjLine(const char* line, const char* end, ScannedField* fields)
{
    if (line[0] == 'v') {
        if (isScanBlank(line[1]))
            return scanNumbers(line + 1, end, fields, 3) == 3 ? 0 : -1;
        if (line[1] == 't' && isScanBlank(line[2])) {
            const int count = scanNumbers(line + 2, end, fields, 3);
            return count == 3 ? 1 : count == 2 ? 2 : -1;
        }
        if (line[1] == 'n' && isScanBlank(line[2]))
            return scanNumbers(line + 2, end, fields, 3) == 3 ? 3 : -1;
    } else if (line[0] == 'f' && isScanBlank(line[1])) {
        return matchFace(line + 1, fields);
    }
    return ObjLineUndecided;
}

int matchLinePatterns(const char* line, ObjLineMatch& match)
{
    int counts[PatternCount];
    const ScannedField* rowFields[PatternCount];
    for (int row = 0; row < PatternCount; ++row) {
        const LinePattern& form = LinePatterns[row];
        const int longer = LongerPattern[row];
        if (longer >= 0) {
            counts[row] = std::min(counts[longer], form.required);
            rowFields[row] = rowFields[longer];
        } else {
            // Every pattern begins with a letter: a line that starts otherwise yields nothing.
            counts[row] = line[0] == form.pattern[0] ? scanPattern(line, form.pattern, match.scanned[row]) : 0;
            rowFields[row] = match.scanned[row];
        }
        if (counts[row] == form.required) {
            match.fields = rowFields[row];
            return row;
        }
    }
    return -1;
}

int matchObjLine(const char* line, const char* end, ObjLineMatch& match)
{
    const int row = matchCommonObjLine(line, end, match.scanned[0]);
    if (row == ObjLineUndecided)
        return matchLinePatterns(line, match);
    match.fields = match.scanned[0];
    return row;
}
