// The block-wise line reader against reading one character at a time: the same lines for every
// split of the file into blocks, and a read error that ends reading.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "assets/line_reader.h"
#include "reader_test_support.h"

namespace {

using Lines = std::vector<std::string>;

// The lines as the rules give them, reading one character at a time.
Lines linesOneByOne(const std::string& text)
{
    Lines lines(1);
    for (char c : text) {
        lines.back() += c;
        if (c == '\r' || c == '\n' || lines.back().size() == static_cast<std::size_t>(MaxLineLength))
            lines.emplace_back();
    }
    if (lines.back().empty())
        lines.pop_back();
    return lines;
}

Lines linesOfReader(std::FILE* file)
{
    LineReader reader;
    startLineReader(reader, file);
    Lines lines;
    char line[LineBufferSize];
    while (const char* got = readLine(reader, line))
        lines.emplace_back(got);
    std::fclose(file);
    return lines;
}

Lines linesOfText(std::string text) { return linesOfReader(fmemopen(text.data(), text.size(), "r")); }

TEST(LineReader, GivesTheLinesOfReadingOneCharacterAtATime)
{
    EXPECT_EQ(linesOfText("ab\r\ncd"), (Lines{"ab\r", "\n", "cd"}));
    std::mt19937 random(7);
    // Lines of every length around the 254-character cut and the block size, every kind of ending.
    for (int round = 0; round < 40; ++round) {
        std::string text;
        const std::size_t size = round < 20 ? random() % 600 : LineReaderBlockSize * 2 + random() % 2000;
        while (text.size() < size) {
            const unsigned pick = random() % 10;
            text += pick == 0 ? '\n' : pick == 1 ? '\r' : pick == 2 ? ' ' : static_cast<char>('a' + pick);
            if (random() % 50 == 0)
                text += std::string(250 + random() % 10, 'x');
        }
        EXPECT_EQ(linesOfText(text), linesOneByOne(text)) << "round " << round;
    }
}

// A stream that hands out its text, then fails as a disk would.
ssize_t readThenFail(void* cookie, char* out, std::size_t size)
{
    auto* text = static_cast<std::string*>(cookie);
    if (text->empty())
        return -1;
    const std::size_t count = std::min(size, text->size());
    std::memcpy(out, text->data(), count);
    text->erase(0, count);
    return static_cast<ssize_t>(count);
}

std::FILE* openFailingStream(std::string& text)
{
    cookie_io_functions_t functions{};
    functions.read = readThenFail;
    return fopencookie(&text, "r", functions);
}

TEST(LineReader, AReadErrorEndsReadingEvenInTheMiddleOfALine)
{
    std::string text = "v 1 2 3\nv 4 5";
    EXPECT_EQ(linesOfReader(openFailingStream(text)), (Lines{"v 1 2 3\n"}));

    // The OBJ reader keeps what came before the error and says so in the diagnostics.
    std::string obj = "v 1 2 3\nv 4 5 6\nv 7";
    ReadModel read;
    const std::string out =
        captureStdout([&] { readObjStream(read.model, openFailingStream(obj), nullptr, nullptr); });
    EXPECT_EQ(out, "done.\n" + objCounts(2, 0, 0, 0, 0));
    EXPECT_TRUE(read.buffer().diagnostics.readError);
}

} // namespace
