// std::from_chars for floats, or a scan and strtof where the standard library has none.
#include "assets/decimal_reader.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>
#include <system_error>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

// The length of word at p, compared without case, or 0 when the text does not start with it.
std::size_t matchWord(const char* p, const char* last, const char* word)
{
    std::size_t n = 0;
    for (; word[n] != '\0'; ++n)
        if (p + n == last || lower(p[n]) != word[n])
            return 0;
    return n;
}

// Where the number that starts at p ends, or p when there is none.
const char* endOfNumber(const char* p, const char* last)
{
    if (std::size_t n = matchWord(p, last, "infinity"); n != 0)
        return p + n;
    if (std::size_t n = matchWord(p, last, "inf"); n != 0)
        return p + n;
    if (std::size_t n = matchWord(p, last, "nan"); n != 0) {
        // "nan(chars)" takes its parenthesis only when it is closed and holds only letters,
        // digits and underscores.
        const char* q = p + n;
        if (q != last && *q == '(') {
            const char* r = q + 1;
            while (r != last && (isDigit(*r) || (lower(*r) >= 'a' && lower(*r) <= 'z') || *r == '_'))
                ++r;
            if (r != last && *r == ')')
                return r + 1;
        }
        return q;
    }
    const char* q = p;
    while (q != last && isDigit(*q))
        ++q;
    bool anyDigit = q != p;
    if (q != last && *q == '.') {
        const char* fraction = q + 1;
        const char* r = fraction;
        while (r != last && isDigit(*r))
            ++r;
        if (anyDigit || r != fraction) {
            anyDigit = true;
            q = r;
        }
    }
    if (!anyDigit)
        return p;
    // The exponent counts only with at least one digit: "1e" and "1e+" end before the 'e'.
    if (q != last && lower(*q) == 'e') {
        const char* r = q + 1;
        if (r != last && (*r == '+' || *r == '-'))
            ++r;
        if (r != last && isDigit(*r)) {
            while (r != last && isDigit(*r))
                ++r;
            q = r;
        }
    }
    return q;
}

} // namespace

std::from_chars_result readDecimalFloatByScan(const char* first, const char* last, float& value)
{
    const char* start = (first != last && *first == '-') ? first + 1 : first;
    const char* end = endOfNumber(start, last);
    if (end == start)
        return {first, std::errc::invalid_argument};
    // strtof needs a terminated copy: the text may go on with more digits of something else.
    const std::string text(first, end);
    errno = 0;
    const float converted = std::strtof(text.c_str(), nullptr);
    // Too large, or so small that nothing but zero is left; a denormal result is a value.
    if (errno == ERANGE && (std::isinf(converted) || converted == 0.0f))
        return {end, std::errc::result_out_of_range};
    value = converted;
    return {end, std::errc()};
}

std::from_chars_result readDecimalFloat(const char* first, const char* last, float& value)
{
#if defined(__cpp_lib_to_chars)
    return std::from_chars(first, last, value);
#else
    return readDecimalFloatByScan(first, last, value);
#endif
}
