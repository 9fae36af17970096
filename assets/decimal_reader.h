// Decimal numbers read as std::from_chars reads them: an optional '-', digits with an optional
// point, an optional exponent, or "inf", "infinity" and "nan" in any case; no '+', no spaces, no
// hexadecimal. The result says where the number ends and whether it was one, or out of range (the
// value then unchanged).
#pragma once

#include <charconv>

std::from_chars_result readDecimalFloat(const char* first, const char* last, float& value);

// The same by scanning the text and converting it with strtof, for standard libraries that lack
// the floating-point from_chars (the browser build's); the native build checks it against theirs.
std::from_chars_result readDecimalFloatByScan(const char* first, const char* last, float& value);
