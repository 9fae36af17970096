// The readers' line reader against reading one character at a time, and their pattern matcher
// against the C library's sscanf, on awkward lines and many lines made from them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "assets/line_reader.h"
#include "reader_test_support.h"
#include "sscanf_comparison.h"

namespace {

using Lines = std::vector<std::string>;

// The lines as the rules give them, cut one character at a time; each as the readers see it, up to
// a NUL byte it may hold.
Lines linesOneByOne(const std::string& text)
{
    Lines lines;
    std::size_t at = 0;
    for (const std::size_t length : readerLineLengths(text)) {
        lines.emplace_back(text.substr(at, length).c_str());
        at += length;
    }
    return lines;
}

// The lines as readLine copies them, or as readLineInPlace hands them out, each NUL-terminated
// after the length it gives.
Lines linesOfReader(std::FILE* file, bool inPlace)
{
    auto reader = std::make_unique<LineReader>();
    startLineReader(*reader, file);
    Lines lines;
    char line[LineBufferSize];
    if (inPlace) {
        for (std::string_view got; !(got = readLineInPlace(*reader, line)).empty();) {
            lines.emplace_back(got.data());
            if (got.data()[got.size()] != '\0')
                lines.back() += "<wrong length>";
        }
    } else {
        while (const char* got = readLine(*reader, line))
            lines.emplace_back(got);
    }
    std::fclose(file);
    return lines;
}

// A stream that hands out its text, then fails as a disk would until it is given more.
ssize_t readThenFail(void* cookie, char* out, std::size_t size)
{
    auto* text = static_cast<std::string*>(cookie);
    const std::size_t count = std::min(size, text->size());
    std::memcpy(out, text->data(), count);
    text->erase(0, count);
    return count > 0 ? static_cast<ssize_t>(count) : -1;
}
std::FILE* failingStream(std::string& text) { return fopencookie(&text, "r", {readThenFail, nullptr, nullptr, nullptr}); }

TEST(LineReader, GivesTheLinesOfReadingOneCharacterAtATimeUntilAReadError)
{
    std::mt19937 random(7);
    // Lines of every length around the 254-character cut and the block size, every kind of ending.
    for (int round = 0; round < 40; ++round) {
        std::string text;
        const std::size_t size = round < 20 ? random() % 600 : LineReaderBlockSize * 2 + random() % 2000;
        while (text.size() < size) {
            text += "\n\r \0abcdefg"[random() % 11];
            if (random() % 50 == 0)
                text += std::string(250 + random() % 10, 'x');
        }
        for (bool inPlace : {false, true})
            EXPECT_EQ(linesOfReader(fmemopen(text.data(), text.size(), "r"), inPlace), linesOneByOne(text))
                << "round " << round << (inPlace ? " in place" : "");
    }
    // Lines that end inside the block are handed out where they lie; the last, unterminated, is
    // copied.
    std::string text = "ab\ncd\r\nef";
    std::FILE* file = fmemopen(text.data(), text.size(), "r");
    auto reader = std::make_unique<LineReader>();
    startLineReader(*reader, file);
    char spill[LineBufferSize];
    for (const char* expected : {"ab\n", "cd\r", "\n"}) {
        const std::string_view got = readLineInPlace(*reader, spill);
        EXPECT_TRUE(got.data() >= reader->block && got.data() < reader->block + LineReaderBlockSize && got == expected) << expected;
    }
    const std::string_view last = readLineInPlace(*reader, spill);
    EXPECT_TRUE(last.data() == spill && last == "ef");
    EXPECT_TRUE(readLineInPlace(*reader, spill).empty());
    std::fclose(file);
    // A read error ends reading, even in the middle of a line; the OBJ reader keeps what came
    // before and says so in its diagnostics.
    std::string obj = "v 1 2 3\nv 4 5 6\nv 7";
    ReadModel read;
    EXPECT_EQ(captureStdout([&] { readObjStream(read.model, failingStream(obj), nullptr, nullptr); }),
              "done.\n" + objCounts(2, 0, 0, 0, 0));
    EXPECT_TRUE(read.buffer().diagnostics.readError);
    // It stays ended, whatever the file would give afterwards.
    text = "ab\n";
    file = failingStream(text);
    startLineReader(*reader, file);
    const char* first = readLine(*reader, spill);
    EXPECT_TRUE(first && std::string(first) == "ab\n" && readLine(*reader, spill) == nullptr && reader->readError);
    text = "ef\n";
    EXPECT_EQ(readLine(*reader, spill), nullptr);
    std::fclose(file);
}

// Every pattern the OBJ and MTL readers apply.
const char* const ReaderPatterns[] = {
    "v %f %f %f", "vt %f %f %f", "vt %f %f", "vn %f %f %f", "f %d/%d/%d %d/%d/%d %d/%d/%d %d/%d/%d",
    "f %d/%d/%d %d/%d/%d %d/%d/%d", "f %d//%d %d//%d %d//%d %d//%d", "f %d/%d %d/%d %d/%d %d/%d",
    "f %d//%d %d//%d %d//%d", "f %d/%d %d/%d %d/%d", "f %d %d %d %d", "f %d %d %d", "mtllib %s",
    "usemtl %s", "newmtl %s", "Ka %f %f %f", "Tr %f", "Ns %f", "map_Kd %s", "Smooth %d", "Normal %d",
};

// Each key with two numbers in every spelling the library's number reading has a branch for, in
// every pairing; whole OBJ lines of those numbers and face corners of every form; then all those
// lines with a few characters inserted, removed or replaced. The matcher must agree with sscanf,
// and the OBJ reader's single pass with its patterns tried in order.
TEST(PatternScanner, AgreesWithSscanfAndTheObjSinglePassWithThePatterns)
{
    const char* const keys[] = {"v ", "vt\t", " v ", "f ", "f  -", "mtllib ", "Smooth ", "Ka", "vn\r\n"};
    const char* const numbers[] = {
        "1", "-2", "+3", "1/2/3", "1//2", "1/2", "1/ 2", "nan", "-nan", "NaN(1)", "NAN", "na", "0xA", "inf", "-Infinity",
        "infin", "infinityy", "0x", "-0X1.FFFFFEP127", "0x1p-149", "0x.p1", "0x1p+", "1e", "1E-", "1.e5", ".5",
        "-.", "+", "e5", "1..2", "--1", "00012", "1e-50", "1e50", "3.4028236e38", "7e-46", "2147483647",
        "2147483648", "-2147483649", "99999999999999999999", "0.1000000000000000055511151231257827", "x", "",
    };
    std::vector<std::string> lines;
    for (const char* key : keys)
        for (const char* a : numbers)
            for (const char* b : numbers)
                lines.push_back(std::string(key) + a + " " + b + " 3/4 5");
    std::mt19937 random(20240611);
    const char* const objKeys[] = {"v", "vt", "vn", "f", "vnan", "v1", "fa"};
    const char* const separators[] = {" ", "\t", "  ", ""};
    const char* const endings[] = {"", "\n", "\r", " \n", " # c", "/", "\r\n"};
    for (int i = 0; i < 30000; ++i) {
        std::string line = objKeys[random() % std::size(objKeys)];
        for (unsigned values = 1 + random() % 5; values > 0; --values)
            line += std::string(separators[random() % std::size(separators)]) + numbers[random() % std::size(numbers)];
        lines.push_back(line + endings[random() % std::size(endings)]);
    }
    // Faces of one to six corners, mostly of one form; half of them as exporters write them, with
    // spaces and unsigned indices only.
    const char* const indices[] = {"1", "-2", "+3", "00012", "0", "2147483647", "2147483648", "-2147483649", "99999999999999999999"};
    const char* const plainIndices[] = {"1", "42", "0", "1234567", "12345678"};
    for (int i = 0; i < 20000; ++i) {
        const bool plain = i % 2 == 0;
        const unsigned form = random() % 4;
        std::string line = "f";
        for (unsigned corners = 1 + random() % 6; corners > 0; --corners) {
            const unsigned cornerForm = random() % 4 == 0 ? random() % 4 : form;
            line += separators[plain ? random() % 2 * 2 : random() % 3];
            for (unsigned k = 0; k <= (cornerForm + 1) / 2; ++k) {
                line += k == 0 ? "" : cornerForm == 2 && k == 1 ? "//" : "/";
                line += plain ? plainIndices[random() % std::size(plainIndices)] : indices[random() % std::size(indices)];
            }
        }
        lines.push_back(line + endings[random() % std::size(endings)]);
    }
    // Decimals of 15 digits next to the midpoint between two floats, which a double can round onto
    // exactly: rounding that double to a float again goes the wrong way about half the time.
    for (int i = 0; i < 3000; ++i) {
        const float below = std::ldexp(static_cast<float>((1 << 23) + random() % (1 << 23)), static_cast<int>(random() % 34) - 33);
        const double midpoint = (static_cast<double>(below) + std::nextafter(below, 2 * below + 1)) / 2;
        char number[40];
        std::snprintf(number, sizeof number, "%.15g", midpoint);
        lines.push_back(std::string("v ") + number + " 6.59593653678894 8.40532922744751");
    }
    static const char alphabet[] = "0123456789+-./eEpPxXnNaAiIfFtTyY \t\r\n\v\f#_q\0"; // the NUL ends a line
    for (std::size_t i = 0, made = lines.size(); i < 40000; ++i) {
        std::string line = lines[random() % made];
        for (unsigned edits = 1 + random() % 4; edits > 0; --edits) {
            const std::size_t at = random() % (line.size() + 1);
            const char c = alphabet[random() % (sizeof alphabet - 1)];
            if (const unsigned how = random() % 3; how == 0)
                line.insert(at, 1, c);
            else if (at < line.size())
                how == 1 ? void(line.erase(at, 1)) : void(line[at] = c);
        }
        lines.push_back(line);
    }
    // The lines model files are made of are read in one pass, never by the patterns.
    ScannedField fields[MaxScannedFields];
    for (const char* line : {"v 1.5 -2 3\n", "vt 0.5 0.25\n", "vt 1 2 3\n", "vn 0 1 0\r", "v 1 2\n", "f 1 2 3\n",
                             "f 1/2 3/4 5/6 7/8\n", "f 1//2 3//4 5//6\r", "f 1/2/3 4/5/6 7/8/9 10/11/12 \n", "f\t-1 -2 -3 -4"}) {
        const int row = matchCommonObjLine(line, line + std::strlen(line), fields);
        EXPECT_NE(row, ObjLineUndecided) << line;
        const std::string inBlock = line + std::string("\n");
        const char* next = nullptr;
        EXPECT_TRUE(row < 0 || matchObjLineInBlock(inBlock.c_str(), inBlock.c_str() + inBlock.size(), fields, next) == row) << line;
        lines.push_back(line);
    }
    // And where they lie in a block, as the reader reads the commonest lines: one after another,
    // with lines either side of the length at which the reader cuts a line.
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    for (std::size_t length = MaxLineLength - 3; length <= MaxLineLength + 3; ++length)
        text += "f" + std::string(length - 7, ' ') + "1 2 3\n" + "v" + std::string(length - 7, '\t') + "1 2 3\r";
    EXPECT_EQ(compareObjLinesInPlace(text), "");
    for (const std::string& line : lines) {
        for (const char* pattern : ReaderPatterns)
            if (const std::string difference = compareWithSscanf(line.c_str(), pattern); !difference.empty())
                FAIL() << difference;
        if (const std::string difference = compareObjLineMatchers(line.c_str()); !difference.empty())
            FAIL() << difference;
    }
}

// Eight characters give their leading digits as reading them one by one does. The characters
// beside '0' and '9' and the bytes past 127 are where the bit trick could slip.
TEST(PatternScanner, ADigitWordGivesTheLeadingDigitsOfEightCharacters)
{
    std::mt19937 random(11);
    static const char others[] = "/:\x80\xb9\xff .-\0";
    for (int i = 0; i < 100000; ++i) {
        char word[8];
        for (char& c : word)
            c = random() % 4 ? static_cast<char>('0' + random() % 10) : others[random() % (sizeof others - 1)];
        int count = 0;
        std::uint32_t expected = 0;
        while (count < 8 && word[count] >= '0' && word[count] <= '9')
            expected = expected * 10 + static_cast<std::uint32_t>(word[count++] - '0');
        std::uint32_t value = 0xDEADBEEF;
        const int got = readDigitWord(word, value);
        ASSERT_TRUE(got == count && value == (count == 8 ? 0u : expected)) << std::string(word, 8) << ": " << got << " " << value;
    }
}

} // namespace
