// Matching a line against a scanf-style pattern exactly as the C library's sscanf matches it, but
// without its cost: the readers' patterns use only blanks, literal characters, %d, %f and %s.
#pragma once

#include <cstdint>
#include <cstring>

constexpr int MaxScannedFields = 12; // the most conversions any reader pattern has

// One conversion's result.
struct ScannedField {
    float number;         // %f
    std::int32_t integer; // %d, when it fits
    bool overflow;        // %d: the digits do not fit an int (sscanf's value would be undefined)
    const char* word;     // %s: the word's first character, inside the scanned text
    int wordLength;       // %s: its length
};

// Applies pattern to the NUL-terminated text as sscanf(text, pattern, ...) would and returns the
// number of conversions it would assign: a blank in the pattern matches any run of white space,
// including none; every conversion skips white space first; a literal character must match the
// next one; scanning stops at the first mismatch and the count made so far decides. (Where
// sscanf returns EOF, for text that ends before the first conversion, this returns 0.) fields
// receives one entry per conversion made. Numbers read in the "C" locale, which the game never
// changes.
int scanPattern(const char* text, const char* pattern, ScannedField* fields);

// White space as the conversions skip it ("C" locale isspace).
inline bool isScanBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
inline const char* skipScanBlanks(const char* p)
{
    while (isScanBlank(*p))
        ++p;
    return p;
}

// The conversions one at a time, for readers that match their commonest lines without a pattern.
// Each reads at p exactly what its conversion reads after the white space it skips, and returns
// the position after it, or null where the conversion fails. end is the text's terminating NUL.
// The short numbers model files are made of take an inline path; the rest the exact one.
const char* scanIntegerExact(const char* p, ScannedField& field);
const char* scanFloatExact(const char* p, const char* end, ScannedField& field);

inline bool isScanDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// %d
inline const char* scanIntegerField(const char* p, ScannedField& field)
{
    // Up to nine digits cannot overflow, and are all an index ever has.
    const char* digits = (*p == '-' || *p == '+') ? p + 1 : p;
    const char* q = digits;
    std::int32_t value = 0;
    for (; q - digits < 9 && isScanDigit(*q); ++q)
        value = value * 10 + (*q - '0');
    if (q == digits || isScanDigit(*q))
        return scanIntegerExact(p, field);
    field.overflow = false;
    field.integer = *p == '-' ? -value : value;
    return q;
}

// %f. The numbers model files are made of, "-12.345678" and the like, are converted here: a
// sign, at most 15 digits with one point among them, and then white space or the end of the
// text, so that the library would have collected exactly these characters. Their digits and the
// power of ten are exact in a double, so one division rounds the value correctly to a double;
// rounding that to a float is then right too, unless it lies exactly halfway between two floats,
// which is left to the exact conversion with the rest.
inline const char* scanFloatField(const char* p, const char* end, ScannedField& field)
{
    constexpr double PowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    constexpr int MostDigits = 15; // below 2^53: every such digit string is exact in a double
    const char* q = (*p == '-' || *p == '+') ? p + 1 : p;
    std::uint64_t mantissa = 0;
    int digits = 0, fractionDigits = 0;
    for (; isScanDigit(*q); ++q, ++digits)
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(*q - '0');
    if (*q == '.')
        for (++q; isScanDigit(*q); ++q, ++digits, ++fractionDigits)
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(*q - '0');
    // Past 15 digits the mantissa may have wrapped; it is not used then.
    if (digits == 0 || digits > MostDigits || !(isScanBlank(*q) || *q == '\0'))
        return scanFloatExact(p, end, field);
    const double exact = static_cast<double>(mantissa) / PowersOfTen[fractionDigits];
    // Halfway between two floats: the low 29 of the double's 52 fraction bits are a 1 and zeros.
    // (From 1e-15 up to 1e15 every float is normal, so that is where their midpoints lie.)
    std::uint64_t bits;
    std::memcpy(&bits, &exact, sizeof bits);
    if ((bits & 0x1FFFFFFFu) == 0x10000000u)
        return scanFloatExact(p, end, field);
    const float magnitude = static_cast<float>(exact);
    field.number = *p == '-' ? -magnitude : magnitude;
    return q;
}
