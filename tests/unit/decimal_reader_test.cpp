// The scanning reader of decimal numbers, which the browser build uses, against the standard
// library's from_chars, which the native build uses: both must end the number at the same place,
// agree on whether it is one, and give the same bits.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "assets/decimal_reader.h"

namespace {

void expectSameAsFromChars(const std::string& text)
{
    const char* first = text.data();
    const char* last = first + text.size();
    float expected = -7.0f;
    float scanned = -7.0f;
    const std::from_chars_result want = std::from_chars(first, last, expected);
    const std::from_chars_result got = readDecimalFloatByScan(first, last, scanned);
    ASSERT_EQ(got.ptr - first, want.ptr - first) << '"' << text << '"';
    ASSERT_EQ(got.ec, want.ec) << '"' << text << '"';
    if (std::isnan(expected)) {
        EXPECT_TRUE(std::isnan(scanned)) << '"' << text << '"';
        EXPECT_EQ(std::signbit(scanned), std::signbit(expected)) << '"' << text << '"';
    } else {
        std::uint32_t a, b;
        std::memcpy(&a, &expected, 4);
        std::memcpy(&b, &scanned, 4);
        EXPECT_EQ(b, a) << '"' << text << '"'; // unchanged alike when out of range
    }
}

} // namespace

TEST(DecimalReader, EndsAndValuesAsFromCharsOnTheHardCases)
{
    for (const char* text :
         {"0", "-0", "12.5", "-12.5e3", ".5", "5.", ".", "-.", "-", "+1", " 1", "1e", "1e+", "1e-x", "1E5",
          "1.5e+07z", "1..2", "0x1p3", "00012", "inf", "-INF", "infinity", "Infinit", "infinityx", "nan",
          "NaN(abc_1)", "nan(", "nan(a b)", "-nan", "in", "1e40", "-1e40", "1e-50", "1e-40", "1.4e-45",
          "3.4028235e38", "3.4028236e38", "340282356779733661637539395458142568448",
          "0.000000000000000000000000000000000000000000001", "1e-4000", "1e4000", "e5", "-e5", "",
          "9999999999999999999999999999999.9999999999999e-20", "1,5", "16777217", "0.1", "2e-1 3"})
        expectSameAsFromChars(text);
}

TEST(DecimalReader, EndsAndValuesAsFromCharsOnRandomText)
{
    std::mt19937 random(20261207);
    const std::string alphabet = "0123456789012345678901234567890123456789..eE+--infatyINF()_x ";
    std::uniform_int_distribution<std::size_t> length(0, 14);
    std::uniform_int_distribution<std::size_t> letter(0, alphabet.size() - 1);
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        for (std::size_t n = length(random); n > 0; --n)
            text += alphabet[letter(random)];
        expectSameAsFromChars(text);
    }
    // Every float written out shortest-exact and with extra digits reads back the same.
    std::uniform_int_distribution<std::uint32_t> bits;
    for (int i = 0; i < 20000; ++i) {
        const std::uint32_t b = bits(random);
        float f;
        std::memcpy(&f, &b, 4);
        char text[64];
        std::snprintf(text, sizeof text, i % 2 == 0 ? "%.9g" : "%.20e", static_cast<double>(f));
        expectSameAsFromChars(text);
    }
}
