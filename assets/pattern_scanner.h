// Matching a line against a scanf-style pattern exactly as the C library's sscanf matches it, but
// without its cost: the readers' patterns use only blanks, literal characters, %d, %f and %s.
#pragma once

#include <cstdint>

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
