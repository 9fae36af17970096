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
    "v %f %f %f", "vt %f %f %f", "vt %f %f", "vn %f %f %f", "f %d/%d/%d %d/%d/%d %d/%d/%d %d/%d/%d",
    "f %d/%d/%d %d/%d/%d %d/%d/%d", "f %d//%d %d//%d %d//%d %d//%d", "f %d/%d %d/%d %d/%d %d/%d",
    "f %d//%d %d//%d %d//%d", "f %d/%d %d/%d %d/%d", "f %d %d %d %d", "f %d %d %d", "mtllib %s",
    "usemtl %s", "newmtl %s", "Ka %f %f %f", "Tr %f", "Ns %f", "map_Kd %s", "Smooth %d", "Normal %d",
};

// False (after reporting) at the first pattern on which the matcher and sscanf differ.
bool sameForAllPatterns(const std::string& line)
{
    for (const char* pattern : ReaderPatterns)
        if (const std::string difference = compareWithSscanf(line.c_str(), pattern); !difference.empty()) {
            ADD_FAILURE() << difference;
            return false;
        }
    return true;
}

class LineMaker {
public:
    explicit LineMaker(unsigned seed) : random_(seed) {}

    // A line shaped like one of the readers' lines: a key, then numbers, corners or a word.
    std::string line()
    {
        static const char* const keys[] = {"v", "vt", "vn", "f", "mtllib", "usemtl", "newmtl", "Ka",
                                           "Tr", "Ns", "map_Kd", "Smooth", "Normal", "vp", "g", "#"};
        static const char* const corners[] = {"/", "//", "/", "/ ", " /", "///", ""};
        std::string line = (pick(20) == 0 ? separator() : "") + keys[pick(std::size(keys))];
        for (unsigned i = pick(6); i > 0; --i) {
            line += separator() + number();
            for (int k = 0; k < 2 && pick(2); ++k)
                line += corners[pick(std::size(corners))] + number();
        }
        if (pick(4) == 0)
            line += separator() + "garbage";
        return pick(3) == 0 ? line + "\n" : line;
    }

    // The same line with a few characters inserted, removed or replaced.
    std::string mutate(std::string line)
    {
        static const char alphabet[] = "0123456789+-./eEpPxXnNaAiIfFtTyY \t\r\n\v\f#_q";
        for (unsigned edits = 1 + pick(4); edits > 0; --edits) {
            const std::size_t at = pick(line.size() + 1);
            const char c = alphabet[pick(sizeof alphabet - 1)];
            const unsigned how = pick(3);
            if (how == 0)
                line.insert(at, 1, c);
            else if (at < line.size())
                how == 1 ? void(line.erase(at, 1)) : void(line[at] = c);
        }
        return line;
    }

private:
    unsigned pick(std::size_t n) { return static_cast<unsigned>(random_() % n); }
    std::string sign() { return std::string(pick(6) == 0 ? "-" : pick(5) == 0 ? "+" : ""); }
    std::string digits(unsigned count, const char* set = "0123456789", unsigned size = 10)
    {
        std::string out;
        while (count-- > 0)
            out += set[pick(size)];
        return out;
    }
    std::string separator()
    {
        static const char* const separators[] = {" ", " ", " ", "", "  ", "\t", " \t ", "\r", "\n", "\v", "\f", "\r\n"};
        return separators[pick(std::size(separators))];
    }
    // Numbers in every spelling the library's number reading has a branch for.
    std::string number()
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
        switch (pick(5)) {
        case 0: return special[pick(std::size(special))];
        case 1: return sign() + std::to_string(pick(100000));
        case 2: return sign() + digits(1 + pick(25));
        case 3: {
            std::string n = sign() + digits(pick(4)) + "." + digits(pick(8));
            return pick(2) ? n + (pick(2) ? "e" : "E") + sign() + digits(pick(4)) : n;
        }
        default: {
            std::string n = sign() + "0x" + digits(pick(5), "0123456789abcdefABCDEF", 22);
            if (pick(2))
                n += "." + digits(pick(5), "0123456789abcdefABCDEF", 22);
            return pick(2) ? n + "p" + sign() + digits(pick(3)) : n;
        }
        }
    }
    std::mt19937 random_;
};

TEST(PatternScanner, AgreesWithSscanfOnAwkwardGeneratedAndMutatedLines)
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
    for (const char* line : lines)
        if (!sameForAllPatterns(line))
            return;
    LineMaker maker(20240611);
    for (int i = 0; i < 40000; ++i)
        if (!sameForAllPatterns(i % 2 ? maker.mutate(maker.line()) : maker.line()))
            return;
}

} // namespace
