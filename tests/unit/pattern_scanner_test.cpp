// The readers' own pattern matcher against the C library's sscanf: the same count and the same
// values for every reader pattern, over hand-picked awkward lines and many generated and mutated
// ones.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "sscanf_comparison.h"

namespace {

// Every pattern the OBJ and MTL readers apply.
const char* const ReaderPatterns[] = {
    "v %f %f %f",
    "vt %f %f %f",
    "vt %f %f",
    "vn %f %f %f",
    "f %d/%d/%d %d/%d/%d %d/%d/%d %d/%d/%d",
    "f %d/%d/%d %d/%d/%d %d/%d/%d",
    "f %d//%d %d//%d %d//%d %d//%d",
    "f %d/%d %d/%d %d/%d %d/%d",
    "f %d//%d %d//%d %d//%d",
    "f %d/%d %d/%d %d/%d",
    "f %d %d %d %d",
    "f %d %d %d",
    "mtllib %s",
    "usemtl %s",
    "newmtl %s",
    "Ka %f %f %f",
    "Tr %f",
    "Ns %f",
    "map_Kd %s",
    "Smooth %d",
    "Normal %d",
};

void expectSameForAllPatterns(const std::string& line)
{
    for (const char* pattern : ReaderPatterns)
        ASSERT_EQ(compareWithSscanf(line.c_str(), pattern), "");
}

// Numbers in every spelling the library's number reading has a branch for.
class NumberMaker {
public:
    explicit NumberMaker(std::mt19937& random) : random_(random) {}

    std::string next()
    {
        static const char* const special[] = {
            "nan", "NaN", "-nan", "+NAN", "nan(1)", "na", "n", "inf", "-Inf", "+INF", "infinity",
            "-INFINITY", "infin", "infinite", "infinityy", "in", "i", "0x", "-0x", "+0X", "0x.",
            "0x.p1", "0xp1", "0x1p", "0x1p+", "0x1.8p3", "-0X1.FFFFFEP127", "0x1p-149",
            "0x1.000001p0", "0xg", "00x1", "1e", "1e+", "1E-", "1e5e", "1.e5", ".5", "-.5e-3", ".",
            "-.", "+.", "+", "-", "e5", ".e5", "1..2", "1.2.3", "--1", "+-1", "-+1", "0", "-0",
            "+0", "00012", "1e-50", "1e50", "-1e39", "3.4028235e38", "3.4028236e38", "1e-45",
            "7e-46", "1.17549435e-38", "2147483647", "2147483648", "-2147483648", "-2147483649",
            "4294967296", "99999999999999999999", "-99999999999999999999999999", "9223372036854775808",
            "0.1000000000000000055511151231257827", "123456789012345678901234567890e-20",
        };
        switch (random_() % 5) {
        case 0: return special[random_() % std::size(special)];
        case 1: return sign() + std::to_string(random_() % 100000);
        case 2: return sign() + digits(1 + random_() % 25);
        case 3: {
            std::string number = sign() + digits(random_() % 4) + "." + digits(random_() % 8);
            if (random_() % 2)
                number += std::string(random_() % 2 ? "e" : "E") + sign() + digits(random_() % 4);
            return number;
        }
        default: {
            std::string number = sign() + "0x" + hexDigits(random_() % 5);
            if (random_() % 2)
                number += "." + hexDigits(random_() % 5);
            if (random_() % 2)
                number += std::string("p") + sign() + digits(random_() % 3);
            return number;
        }
        }
    }

private:
    std::string sign()
    {
        const unsigned pick = random_() % 6;
        return pick == 0 ? "-" : pick == 1 ? "+" : "";
    }
    std::string digits(unsigned count)
    {
        std::string out;
        for (unsigned i = 0; i < count; ++i)
            out += static_cast<char>('0' + random_() % 10);
        return out;
    }
    std::string hexDigits(unsigned count)
    {
        std::string out;
        for (unsigned i = 0; i < count; ++i)
            out += "0123456789abcdefABCDEF"[random_() % 22];
        return out;
    }
    std::mt19937& random_;
};

std::string separator(std::mt19937& random)
{
    static const char* const separators[] = {" ", " ", " ", "", "  ", "\t", " \t ", "\r", "\n",
                                             "\v", "\f", "\r\n"};
    return separators[random() % std::size(separators)];
}

// A line shaped like one of the readers' lines: a key, then numbers, corners or a word.
std::string makeLine(std::mt19937& random, NumberMaker& numbers)
{
    static const char* const keys[] = {"v", "vt", "vn", "f", "mtllib", "usemtl", "newmtl", "Ka",
                                       "Tr", "Ns", "map_Kd", "Smooth", "Normal", "vp", "g", "#"};
    static const char* const corners[] = {"/", "//", "/", "/ ", " /", "///", ""};
    std::string line = (random() % 20 == 0 ? separator(random) : "");
    line += keys[random() % std::size(keys)];
    const unsigned items = random() % 6;
    for (unsigned i = 0; i < items; ++i) {
        line += separator(random);
        line += numbers.next();
        if (random() % 2) {
            line += corners[random() % std::size(corners)];
            line += numbers.next();
            if (random() % 2) {
                line += corners[random() % std::size(corners)];
                line += numbers.next();
            }
        }
    }
    if (random() % 4 == 0)
        line += separator(random) + "garbage";
    if (random() % 3 == 0)
        line += "\n";
    return line;
}

// The same line with a few characters inserted, removed or replaced.
std::string mutate(std::string line, std::mt19937& random)
{
    static const char alphabet[] = "0123456789+-./eEpPxXnNaAiIfFtTyY \t\r\n\v\f#_q";
    const unsigned edits = 1 + random() % 4;
    for (unsigned i = 0; i < edits; ++i) {
        const std::size_t at = line.empty() ? 0 : random() % (line.size() + 1);
        const char c = alphabet[random() % (sizeof alphabet - 1)];
        switch (random() % 3) {
        case 0: line.insert(line.begin() + static_cast<std::ptrdiff_t>(at), c); break;
        case 1:
            if (at < line.size())
                line.erase(at, 1);
            break;
        default:
            if (at < line.size())
                line[at] = c;
            break;
        }
    }
    return line;
}

TEST(PatternScanner, AgreesWithSscanfOnAwkwardLines)
{
    const char* const lines[] = {
        "", "v", "v ", "v 1 2 3", "v1 2 3", "v\t1\t2\t3\r", "v 1,2,3", " v 1 2 3", "v 1 2", "v +1 -2 +.5",
        "v 1e 1e+ 1E-", "v 0x 1 2", "v 0x1p3 0X.8 -0x1.8p-1", "v nan inf -infinity",
        "v infinite 1 2", "v 1e50 -1e50 1e-50", "v 1 2 3 4 5", "v 1 2 3garbage", "vt 0.5 0.25",
        "vt 0.5", "vt 1 2 3", "vtx 1 2 3", "vn 0 0 -1", "vn0 0 1", "f 1/2/3 4/5/6 7/8/9",
        "f 1/2/3 4/5/6 7/8/9 10/11/12", "f 1//2 3//4 5//6", "f 1/2 3/4 5/6 7/8", "f 1 2 3 4 5",
        "f -1 -2 -3", "f 1/ 2 3/ 4 5/ 6", "f 1 /2 3/4 5/6", "f 1/2/3 4/5 6/7/8", "f1 2 3",
        "f 1//2 3/4/5 6//7", "f 99999999999999999999 2 3", "f -2147483648 2147483648 3",
        "f +1 +2 +3", "f - 1 2 3", "f 1 2 3\r\n", "f 1/2/3\t4/5/6\v7/8/9\f", "f 1//2//3 4",
        "mtllib a.mtl", "mtllib", "mtllib  \t b c", "mtllibx.mtl", "usemtl", "usemtl \r\n",
        "newmtl red", "Ka 0.1 0.2 0.3", "Ka 0.1 0.2", "Tr 0.5", "Ns", "Smooth 1", "Smooth x",
        "Normal -0", "Smooth 12345678901",
    };
    for (const char* line : lines) {
        expectSameForAllPatterns(line);
        if (HasFatalFailure())
            return;
    }
}

TEST(PatternScanner, AgreesWithSscanfOnGeneratedAndMutatedLines)
{
    std::mt19937 random(20240611);
    NumberMaker numbers(random);
    for (int i = 0; i < 60000; ++i) {
        std::string line = makeLine(random, numbers);
        if (i % 2)
            line = mutate(line, random);
        expectSameForAllPatterns(line);
        if (HasFatalFailure())
            return;
    }
}

} // namespace
