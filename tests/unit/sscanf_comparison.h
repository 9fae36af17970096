// The readers' pattern matcher compared with the C library's sscanf on one line and pattern:
// shared by the unit test and the fuzz target that generate the lines. Also the OBJ reader's single
// pass over its commonest lines against its patterns, on lines and where they lie in a block.
#pragma once

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "assets/line_reader.h"
#include "assets/obj_line_patterns.h"
#include "assets/pattern_scanner.h"

// Empty when scanPattern gives sscanf's count and values, else what differs. sscanf reads each %d
// as a long here (%ld reads the same characters): its value for an int that overflows would be
// undefined, and the long tells whether the digits fit. Lines must be shorter than 1024 characters.
inline std::string compareWithSscanf(const char* line, const char* pattern)
{
    union Slot {
        long integer;
        float number;
        char word[1024];
    };
    static Slot s[MaxScannedFields];
    std::string widened;
    for (const char* p = pattern; *p; ++p)
        widened += p[0] == '%' && p[1] == 'd' ? "%l" : std::string(1, *p);
    const int expected = std::max(std::sscanf(line, widened.c_str(), &s[0], &s[1], &s[2], &s[3], &s[4], &s[5], &s[6],
                                              &s[7], &s[8], &s[9], &s[10], &s[11]), 0);
    ScannedField fields[MaxScannedFields];
    const int got = scanPattern(line, pattern, fields);
    const std::string where = std::string("line \"") + line + "\" pattern \"" + pattern + "\"";
    if (got != expected)
        return where + ": count " + std::to_string(got) + ", sscanf " + std::to_string(expected);
    int field = 0;
    for (const char* p = pattern; *p && field < got; ++p) {
        if (*p != '%')
            continue;
        const ScannedField& mine = fields[field];
        const Slot& theirs = s[field++];
        const bool fits = theirs.integer >= INT_MIN && theirs.integer <= INT_MAX;
        const bool same = p[1] == 'd'   ? mine.overflow != fits && (!fits || mine.integer == theirs.integer)
            : p[1] == 'f' ? (std::isnan(theirs.number) ? std::isnan(mine.number) && std::signbit(mine.number) == std::signbit(theirs.number)
                                                       : std::memcmp(&theirs.number, &mine.number, sizeof(float)) == 0)
                          : std::string(mine.word, static_cast<std::size_t>(mine.wordLength)) == theirs.word;
        if (!same)
            return where + ": field " + std::to_string(field - 1) + " differs";
    }
    return "";
}

// Empty when two matches of the line give the same pattern row and the same values; else what
// differs.
inline std::string compareObjMatches(const std::string& where, int row, const ScannedField* fields, int expected,
                                     const ScannedField* expectedFields)
{
    if (row != expected)
        return where + ": pattern " + std::to_string(row) + ", expected " + std::to_string(expected);
    if (row < 0)
        return "";
    int field = 0;
    for (const char* p = LinePatterns[row].pattern; *p; ++p) {
        if (*p != '%')
            continue;
        const ScannedField& a = fields[field];
        const ScannedField& b = expectedFields[field++];
        const bool same = p[1] == 'd' ? a.overflow == b.overflow && (a.overflow || a.integer == b.integer)
                                      : std::memcmp(&a.number, &b.number, sizeof(float)) == 0;
        if (!same)
            return where + ": field " + std::to_string(field - 1) + " differs";
    }
    return "";
}

// Empty when the OBJ reader's single pass matches the line to the same pattern, with the same
// values, as trying its patterns in order does; else what differs.
inline std::string compareObjLineMatchers(const char* line)
{
    static ObjLineMatch fast, patterns;
    const int row = matchObjLine(line, line + std::strlen(line), fast);
    const int expected = matchLinePatterns(line, patterns);
    return compareObjMatches(std::string("line \"") + line + "\" in one pass", row, fast.fields, expected, patterns.fields);
}

// The lengths of the lines the reader cuts text into: each up to its first LF or CR, or
// MaxLineLength characters.
inline std::vector<std::size_t> readerLineLengths(const std::string& text)
{
    std::vector<std::size_t> lengths;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = 1;
        while (at + length < text.size() && length < static_cast<std::size_t>(MaxLineLength) &&
               text[at + length - 1] != '\n' && text[at + length - 1] != '\r')
            ++length;
        lengths.push_back(length);
        at += length;
    }
    return lengths;
}

// Empty when reading the text where it lies, as the OBJ reader reads its block, decides each line
// it decides as the reader then cuts it and as matchObjLine matches that line, up to a NUL in it;
// else what differs. The text ends where its terminating NUL is, as the block does.
inline std::string compareObjLinesInPlace(const std::string& text)
{
    static ObjLineMatch cut;
    ScannedField fields[MaxScannedFields];
    const char* const end = text.c_str() + text.size();
    std::size_t at = 0;
    for (const std::size_t length : readerLineLengths(text)) {
        const char* line = text.c_str() + at;
        const char* next = nullptr;
        if (const int row = matchObjLineInBlock(line, end, fields, next); row != ObjLineUndecided) {
            const std::string where = "line \"" + text.substr(at, length) + "\" in place";
            if (next != line + length)
                return where + ": read " + std::to_string(next - line) + " characters";
            const std::string own = text.substr(at, length);
            const int expected = matchObjLine(own.c_str(), own.c_str() + std::strlen(own.c_str()), cut);
            if (std::string difference = compareObjMatches(where, row, fields, expected, cut.fields); !difference.empty())
                return difference;
        }
        at += length;
    }
    return "";
}
