// Matching a line against a scanf-style pattern exactly as the C library's sscanf matches it, but
// without its cost: the readers' patterns use only blanks, literal characters, %d, %f and %s.
#pragma once

#include <bit>
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

// The value of up to seven digits at p, read as one eight-byte word, which must lie before the
// text's end: the count of digits before the first other character, with their value, or 8 when
// all eight bytes are digits, with value 0: the callers go on digit by digit through a run that
// long, and leaving its conversion out pays where coordinates carry many decimals. One word
// instead of a branch per digit, whose exit a processor cannot foresee when numbers differ in
// length.
inline int readDigitWord(const char* p, std::uint32_t& value)
{
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    if constexpr (std::endian::native == std::endian::big)
        word = __builtin_bswap64(word); // the first character in the lowest byte
    const std::uint64_t digits = word ^ 0x3030303030303030u; // a digit's byte becomes its value
    // A byte's top bit is set where it is no digit, its value being 10 or more. A carry out of a
    // byte reaches only bytes after the first that is no digit, which are not used.
    const std::uint64_t notDigit = ((digits + 0x7676767676767676u) | digits) & 0x8080808080808080u;
    if (notDigit == 0) {
        value = 0;
        return 8;
    }
    const int count = std::countr_zero(notDigit) / 8;
    if (count == 0) {
        value = 0;
        return 0;
    }
    // The digits moved up to the top bytes behind zeros, then combined in pairs, fours and eight.
    std::uint64_t v = digits << (64 - 8 * count);
    v = v * 10 + (v >> 8);
    v = (((v & 0x000000FF000000FFu) * (100 + (1000000ull << 32))) +
         (((v >> 16) & 0x000000FF000000FFu) * (1 + (10000ull << 32)))) >> 32;
    value = static_cast<std::uint32_t>(v);
    return count;
}

// Appends the digits at q to the decimal digits of mantissa and moves q past them; returns how
// many there were. Past 19 digits in all the mantissa has wrapped, and the caller must not use it.
inline int appendDigits(const char*& q, const char* end, std::uint64_t& mantissa)
{
    static constexpr std::uint64_t Scale[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};
    if (end - q >= 8) {
        std::uint32_t value = 0;
        if (const int count = readDigitWord(q, value); count < 8) {
            mantissa = mantissa * Scale[count] + value;
            q += count;
            return count;
        }
    }
    int count = 0;
    for (; isScanDigit(*q); ++q, ++count)
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(*q - '0');
    return count;
}

// The digits' magnitude with its sign, as an int: exact where it fits, which the caller checks.
inline std::int32_t signedInteger(bool negative, std::uint64_t magnitude)
{
    return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude));
}

// %d. end is the text's terminating NUL.
inline const char* scanIntegerField(const char* p, const char* end, ScannedField& field)
{
    // Indices are nearly always written without a sign and in fewer than eight digits.
    if (std::uint32_t value = 0; end - p >= 8) {
        if (const int count = readDigitWord(p, value); count > 0 && count < 8) {
            field.overflow = false;
            field.integer = static_cast<std::int32_t>(value);
            return p + count;
        }
    }
    // Up to nine digits cannot overflow, and are all an index ever has.
    const char* q = (*p == '-' || *p == '+') ? p + 1 : p;
    std::uint64_t value = 0;
    const int digits = appendDigits(q, end, value);
    if (digits == 0 || digits > 9)
        return scanIntegerExact(p, field);
    field.overflow = false;
    field.integer = signedInteger(*p == '-', value);
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
    static constexpr double PowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    constexpr int MostDigits = 15; // below 2^53: every such digit string is exact in a double
    const char* q = (*p == '-' || *p == '+') ? p + 1 : p;
    std::uint64_t mantissa = 0;
    int digits = appendDigits(q, end, mantissa), fractionDigits = 0;
    if (*q == '.') {
        fractionDigits = appendDigits(++q, end, mantissa);
        digits += fractionDigits;
    }
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
