// The block-wise line reader against the rules of reading one character at a time: the same lines
// for every split of the file into blocks, and a read error that ends reading.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "assets/line_reader.h"
#include "assets/obj_reader.h"
#include "reader_test_support.h"

namespace {

// The lines as the rules give them, reading one character at a time.
std::vector<std::string> linesOneByOne(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        line += c;
        if (c == '\r' || c == '\n' || line.size() == static_cast<std::size_t>(MaxLineLength)) {
            lines.push_back(line);
            line.clear();
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

std::vector<std::string> linesOfReader(std::FILE* file)
{
    LineReader reader;
    startLineReader(reader, file);
    std::vector<std::string> lines;
    char line[LineBufferSize];
    while (const char* got = readLine(reader, line))
        lines.emplace_back(got);
    return lines;
}

TEST(LineReader, GivesTheLinesOfReadingOneCharacterAtATime)
{
    std::mt19937 random(7);
    // Lines of every length around the 254-character cut and around the block size, with every
    // kind of ending, including none at the end of the file.
    for (int round = 0; round < 40; ++round) {
        std::string text;
        const std::size_t size = round < 20 ? random() % 600 : LineReaderBlockSize * 2 + random() % 2000;
        while (text.size() < size) {
            const unsigned pick = random() % 10;
            text += pick == 0 ? '\n' : pick == 1 ? '\r' : pick == 2 ? ' ' : static_cast<char>('a' + pick);
            if (random() % 50 == 0)
                text += std::string(250 + random() % 10, 'x');
        }
        std::FILE* file = fmemopen(text.data(), text.size(), "r");
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(linesOfReader(file), linesOneByOne(text)) << "round " << round;
        std::fclose(file);
    }
}

TEST(LineReader, CrLfGivesALineEndingInCrAndALineOfOnlyLf)
{
    std::string text = "ab\r\ncd";
    std::FILE* file = fmemopen(text.data(), text.size(), "r");
    EXPECT_EQ(linesOfReader(file), (std::vector<std::string>{"ab\r", "\n", "cd"}));
    std::fclose(file);
}

// A stream that hands out its text, then fails as a disk would.
struct FailingSource {
    std::string text;
    std::size_t position = 0;
};

ssize_t readThenFail(void* cookie, char* out, std::size_t size)
{
    auto* source = static_cast<FailingSource*>(cookie);
    if (source->position == source->text.size())
        return -1;
    const std::size_t count = std::min(size, source->text.size() - source->position);
    std::memcpy(out, source->text.data() + source->position, count);
    source->position += count;
    return static_cast<ssize_t>(count);
}

std::FILE* openFailingStream(FailingSource& source)
{
    cookie_io_functions_t functions{};
    functions.read = readThenFail;
    return fopencookie(&source, "r", functions);
}

TEST(LineReader, AReadErrorEndsReadingEvenInTheMiddleOfALine)
{
    FailingSource source{"v 1 2 3\nv 4 5"};
    std::FILE* file = openFailingStream(source);
    EXPECT_EQ(linesOfReader(file), (std::vector<std::string>{"v 1 2 3\n"}));
    std::fclose(file);

    // The OBJ reader keeps what came before the error and says so in the diagnostics.
    FailingSource objSource{"v 1 2 3\nv 4 5 6\nv 7"};
    ReadModel read;
    const std::string out = captureStdout([&] {
        readObjStream(read.model, openFailingStream(objSource), nullptr, nullptr);
    });
    EXPECT_EQ(out, "done.\n" + objCounts(2, 0, 0, 0, 0));
    EXPECT_TRUE(read.buffer().diagnostics.readError);
}

} // namespace
