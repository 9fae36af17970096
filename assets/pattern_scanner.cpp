// The readers' sscanf, one conversion at a time, following how the C library collects the
// characters of each conversion before it converts them.
#include "assets/pattern_scanner.h"

#include "assets/decimal_reader.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

namespace {

inline bool isDigit(char c) { return isScanDigit(c); }

inline bool isHexDigit(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

inline char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

// Whether the text at p starts with word, in either case; word is lower case.
bool startsWithWord(const char* p, const char* word)
{
    for (; *word; ++p, ++word)
        if (lower(*p) != *word)
            return false;
    return true;
}

// %d: an optional sign and at least one digit. Returns the position after it, or null.
const char* scanInteger(const char* p, ScannedField& field)
{
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    if (!isDigit(*p))
        return nullptr;
    // The library converts with strtol, whose clamped result is then cut to an int: a value that
    // does not fit is flagged instead, and the callers treat it as no index at all.
    constexpr std::uint64_t Limit = 0x80000000u; // the magnitude of INT_MIN
    std::uint64_t magnitude = 0;
    for (; isDigit(*p); ++p)
        if (magnitude <= Limit)
            magnitude = magnitude * 10 + static_cast<std::uint64_t>(*p - '0');
    // The value is read only where it fits; past that it is whatever the cut gives.
    field.overflow = negative ? magnitude > Limit : magnitude >= Limit;
    field.integer = signedInteger(negative, magnitude);
    return p;
}

// Converts the characters the library would have collected for %f, with its own converter for
// what std::from_chars does not take the same way. False when nothing of them is a number.
bool convertFloat(const char* begin, const char* end, bool plainDecimal, float& value)
{
    if (plainDecimal) {
        // from_chars takes no '+'; strtof would read past it all the same.
        const char* first = *begin == '+' ? begin + 1 : begin;
        const std::from_chars_result result = readDecimalFloat(first, end, value);
        if (result.ec == std::errc())
            return true;
        if (result.ec == std::errc::invalid_argument)
            return false;
        // Out of range: strtof gives the infinity or the (denormal) zero the library stores.
    }
    // strtof needs its own terminated copy: the text goes on after what the library collected.
    const std::string token(begin, end);
    char* stop = nullptr;
    value = std::strtof(token.c_str(), &stop);
    return stop != token.c_str();
}

// %f: collects the characters exactly as the C library does, one at a time with one character of
// look-ahead, then converts them. A collected prefix such as "1e+" converts to 1 and its
// characters are consumed all the same; "0x" alone, a bare sign or an unfinished "infinity" fail.
const char* scanFloat(const char* p, const char* textEnd, ScannedField& field)
{
    // The usual case first, "-12.5" and the like, read in one pass: when what from_chars reads is
    // followed by a character that cannot continue a decimal number, the library would have
    // collected exactly those characters. Hex, "nan", "inf" and the rest take the long way.
    {
        const char* digits = (*p == '-' || *p == '+') ? p + 1 : p;
        if (isDigit(*digits) && !(digits[0] == '0' && lower(digits[1]) == 'x')) {
            const std::from_chars_result result =
                readDecimalFloat(*p == '+' ? p + 1 : p, textEnd, field.number);
            const char next = *result.ptr;
            if (result.ec == std::errc() && !isDigit(next) && next != '.' && lower(next) != 'e')
                return result.ptr;
        }
    }
    const char* begin = p;
    bool signed_ = false;
    if (*p == '-' || *p == '+') {
        signed_ = true;
        ++p;
        if (*p == '\0')
            return nullptr;
    }
    if (lower(*p) == 'n') {
        if (!startsWithWord(p, "nan"))
            return nullptr;
        p += 3;
        return convertFloat(begin, p, false, field.number) ? p : nullptr;
    }
    if (lower(*p) == 'i') {
        if (!startsWithWord(p, "inf"))
            return nullptr;
        p += 3;
        if (lower(*p) == 'i') {
            // Once past "inf" an 'i' commits to "infinity": "infinite" is no number at all.
            if (!startsWithWord(p, "inity"))
                return nullptr;
            p += 5;
        }
        return convertFloat(begin, p, false, field.number) ? p : nullptr;
    }

    bool hex = false;
    bool gotDigit = false;
    bool gotDot = false;
    bool gotExponent = false;
    char exponentChar = 'e';
    if (*p == '0') {
        ++p;
        if (lower(*p) == 'x') {
            hex = true;
            exponentChar = 'p';
            ++p;
        } else {
            gotDigit = true;
        }
    }
    for (;; ++p) {
        const char c = *p;
        if (isDigit(c) || (!gotExponent && hex && isHexDigit(c)))
            gotDigit = true;
        else if (gotExponent && lower(p[-1]) == exponentChar && (c == '-' || c == '+'))
            continue;
        else if (gotDigit && !gotExponent && lower(c) == exponentChar)
            gotExponent = gotDot = true;
        else if (c == '.' && !gotDot)
            gotDot = true;
        else
            break;
    }
    const std::ptrdiff_t collected = p - begin;
    if (collected == (signed_ ? 1 : 0) || (hex && collected == (signed_ ? 3 : 2)))
        return nullptr;
    return convertFloat(begin, p, !hex, field.number) ? p : nullptr;
}

const char* scanWord(const char* p, ScannedField& field)
{
    const char* begin = p;
    while (*p != '\0' && !isScanBlank(*p))
        ++p;
    field.word = begin;
    field.wordLength = static_cast<int>(p - begin);
    return p;
}

} // namespace

const char* scanIntegerExact(const char* p, ScannedField& field) { return scanInteger(p, field); }

const char* scanFloatExact(const char* p, const char* end, ScannedField& field) { return scanFloat(p, end, field); }

int scanPattern(const char* text, const char* pattern, ScannedField* fields)
{
    const char* p = text;
    const char* const textEnd = text + std::strlen(text);
    int count = 0;
    bool skipSpace = false;
    for (const char* f = pattern; *f != '\0'; ++f) {
        if (isScanBlank(*f)) {
            skipSpace = true;
            continue;
        }
        if (*f != '%') {
            if (skipSpace)
                p = skipScanBlanks(p);
            skipSpace = false;
            if (*p != *f) // also when the text has ended
                return count;
            ++p;
            continue;
        }
        ++f;
        skipSpace = false;
        p = skipScanBlanks(p);
        if (*p == '\0')
            return count;
        ScannedField& field = fields[count];
        switch (*f) {
        case 'd': p = scanIntegerField(p, textEnd, field); break;
        case 'f': p = scanFloatField(p, textEnd, field); break;
        case 's': p = scanWord(p, field); break;
        default: return count; // the readers use no other conversion
        }
        if (!p)
            return count;
        ++count;
    }
    return count;
}
