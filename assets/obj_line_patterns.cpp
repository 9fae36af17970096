// Matching an OBJ line to its pattern: the patterns one after another, and a single pass over the
// lines that nearly every file is made of, which must give what the patterns give.
#include "assets/obj_line_patterns.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "assets/line_reader.h"

namespace {

// For each pattern, an earlier one that begins with it, if there is one. Scanning stops where the
// shorter pattern ends, so its count is the longer one's count cut to its own number of
// conversions and the line need not be scanned again: "vt %f %f" after "vt %f %f %f", a triangle
// after the quad of the same form.
constexpr std::array<std::optional<int>, PatternCount> LongerPattern = [] {
    std::array<std::optional<int>, PatternCount> longer{};
    for (int row = 0; row < PatternCount; ++row)
        for (int earlier = 0; earlier < row && !longer[row]; ++earlier)
            if (std::string_view(LinePatterns[earlier].pattern).starts_with(LinePatterns[row].pattern))
                longer[row] = earlier;
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

// The row of the face pattern with the given corners, each with the given indices.
constexpr int faceRow(int corners, bool texCoords, bool normals)
{
    for (int row = 0; row < PatternCount; ++row) {
        const LinePattern& p = LinePatterns[row];
        if (p.kind == LineKind::Face && p.corners == corners && p.texCoords == texCoords && p.normals == normals)
            return row;
    }
    return -1;
}

// The rows of the faces by the form of their corners (v/vt/vn, v//vn, v/vt, v) and their number.
constexpr int FaceRow[4][2] = {{faceRow(3, true, true), faceRow(4, true, true)},
                               {faceRow(3, false, true), faceRow(4, false, true)},
                               {faceRow(3, true, false), faceRow(4, true, false)},
                               {faceRow(3, false, false), faceRow(4, false, false)}};

// Where a line ends. Text that the reader handed out ends at its NUL, and all white space inside
// it is skipped as the patterns skip it. Text still in the reader's block ends at the line's first
// LF or CR as the reader will cut it, or at a NUL: the block's end or a NUL inside the line, which
// the reader must then cut first.
struct EndsAtNul {
    static bool isBlank(char c) { return isScanBlank(c); }
    static bool isEnd(char c) { return c == '\0'; }
};
struct EndsAtLineBreak {
    static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }
    static bool isEnd(char c) { return c == '\n' || c == '\r' || c == '\0'; }
};

template <class Ends>
const char* skipBlanks(const char* p)
{
    while (Ends::isBlank(*p))
        ++p;
    return p;
}

// Up to wanted numbers after the key, each after any white space, as the patterns' %f read them;
// returns how many were read before the line ended or held something else. p ends up after the
// last number read and the white space after it.
template <class Ends>
int scanNumbers(const char*& p, const char* end, ScannedField* fields, int wanted)
{
    int count = 0;
    for (; count < wanted; ++count) {
        p = skipBlanks<Ends>(p);
        const char* next = Ends::isEnd(*p) ? nullptr : scanFloatField(p, end, fields[count]);
        if (!next)
            break;
        p = next;
    }
    p = skipBlanks<Ends>(p);
    return count;
}

// A face line whose corners all have one form, with nothing but white space between and after
// them: the patterns before its own all stop short on its first corner, or one conversion short
// of their count. Anything else is left to the patterns: white space inside a corner, a fifth
// corner, a mix of forms, other text.
template <class Ends>
int matchFace(const char*& p, const char* end, ScannedField* fields)
{
    int form = -1, corners = 0;
    for (;;) {
        p = skipBlanks<Ends>(p);
        if (Ends::isEnd(*p))
            break;
        if (corners == 4)
            return ObjLineUndecided;
        int cornerForm = 3, values = 1;
        p = scanIntegerField(p, end, fields[0]);
        if (p && *p == '/') {
            if (p[1] == '/') {
                p = scanIntegerField(p + 2, end, fields[1]);
                cornerForm = 1, values = 2;
            } else {
                p = scanIntegerField(p + 1, end, fields[1]);
                cornerForm = 2, values = 2;
                if (p && *p == '/') {
                    p = scanIntegerField(p + 1, end, fields[2]);
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

// After "v", "vt" or "vn" and white space, no earlier pattern can match: "v %f" stops at the 't',
// and at an 'n' that does not begin "nan"; so the count of numbers alone decides. stop receives
// where the reading stopped.
template <class Ends>
int matchCommon(const char* line, const char* end, ScannedField* fields, const char*& stop)
{
    const char* p = line;
    int row = ObjLineUndecided;
    if (line[0] == 'v') {
        if (isScanBlank(line[1])) {
            p = line + 1;
            row = scanNumbers<Ends>(p, end, fields, 3) == 3 ? 0 : -1;
        } else if (line[1] == 't' && isScanBlank(line[2])) {
            p = line + 2;
            const int count = scanNumbers<Ends>(p, end, fields, 3);
            row = count == 3 ? 1 : count == 2 ? 2 : -1;
        } else if (line[1] == 'n' && isScanBlank(line[2])) {
            p = line + 2;
            row = scanNumbers<Ends>(p, end, fields, 3) == 3 ? 3 : -1;
        }
    } else if (line[0] == 'f' && isScanBlank(line[1])) {
        p = line + 1;
        row = matchFace<Ends>(p, end, fields);
    }
    stop = p;
    return row;
}

} // namespace

int matchCommonObjLine(const char* line, const char* end, ScannedField* fields)
{
    const char* stop = nullptr;
    return matchCommon<EndsAtNul>(line, end, fields, stop);
}

int matchObjLineInBlock(const char* line, const char* end, ScannedField* fields, const char*& next)
{
    const char* stop = nullptr;
    const int row = matchCommon<EndsAtLineBreak>(line, end, fields, stop);
    // Only a line read to its LF or CR, as short as the reader would hand it out whole.
    if (row < 0 || (*stop != '\n' && *stop != '\r') || stop - line >= MaxLineLength)
        return ObjLineUndecided;
    next = stop + 1;
    return row;
}

int matchLinePatterns(const char* line, ObjLineMatch& match)
{
    int counts[PatternCount];
    const ScannedField* rowFields[PatternCount];
    for (int row = 0; row < PatternCount; ++row) {
        const LinePattern& form = LinePatterns[row];
        if (const std::optional<int> longer = LongerPattern[row]) {
            counts[row] = std::min(counts[*longer], form.required);
            rowFields[row] = rowFields[*longer];
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
