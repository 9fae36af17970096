// The readers' pattern matcher compared with the C library's sscanf on one line and pattern:
// shared by the unit test and the fuzz target that generate the lines.
#pragma once

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "assets/pattern_scanner.h"

namespace sscanf_comparison {

union Slot {
    int integer;
    long wide;
    float number;
    char word[1024];
};

inline int callSscanf(const char* text, const std::string& pattern, Slot* s)
{
    return std::sscanf(text, pattern.c_str(), &s[0], &s[1], &s[2], &s[3], &s[4], &s[5], &s[6], &s[7],
                       &s[8], &s[9], &s[10], &s[11]);
}

} // namespace sscanf_comparison

// Empty when scanPattern gives sscanf's count and values, else what differs. A %d that does not
// fit an int must be flagged as such: sscanf's own value is then undefined, so the value strtol
// found (through %ld) tells whether it fits. Lines must be shorter than 1024 characters.
inline std::string compareWithSscanf(const char* line, const char* pattern)
{
    using namespace sscanf_comparison;
    static Slot reference[MaxScannedFields];
    static Slot wide[MaxScannedFields];
    ScannedField fields[MaxScannedFields];
    const std::string where = std::string("line \"") + line + "\" pattern \"" + pattern + "\"";
    const int expected = std::max(callSscanf(line, pattern, reference), 0);
    const int got = scanPattern(line, pattern, fields);
    if (got != expected)
        return where + ": count " + std::to_string(got) + ", sscanf " + std::to_string(expected);

    std::string widePattern;
    for (const char* p = pattern; *p; ++p)
        widePattern += p[0] == '%' && p[1] == 'd' ? "%l" : std::string(1, *p);
    callSscanf(line, widePattern, wide);
    int field = 0;
    for (const char* p = pattern; *p && field < got; ++p) {
        if (*p != '%')
            continue;
        const ScannedField& mine = fields[field];
        const std::string which = where + ": field " + std::to_string(field);
        switch (p[1]) {
        case 'd': {
            const bool fits = wide[field].wide >= INT_MIN && wide[field].wide <= INT_MAX;
            if (mine.overflow == fits)
                return which + ": overflow flag wrong";
            if (fits && mine.integer != reference[field].integer)
                return which + ": " + std::to_string(mine.integer) + ", sscanf " +
                       std::to_string(reference[field].integer);
            break;
        }
        case 'f': {
            const float want = reference[field].number;
            const bool same = std::isnan(want)
                                  ? std::isnan(mine.number) && std::signbit(mine.number) == std::signbit(want)
                                  : std::memcmp(&want, &mine.number, sizeof want) == 0;
            if (!same)
                return which + ": " + std::to_string(mine.number) + ", sscanf " + std::to_string(want);
            break;
        }
        default:
            if (std::string(mine.word, static_cast<std::size_t>(mine.wordLength)) != reference[field].word)
                return which + ": word differs";
        }
        ++field;
    }
    return "";
}
