// The MTL reader on its own: what each key sets, what it leaves alone, and the capacity rules.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "assets/mtl_reader.h"
#include "reader_test_support.h"

namespace {

using Numbers = std::vector<float>;
// Ka[2], Kd[0], Kd[1], Ks[1], Tr, Ns, Smooth, Normal; then the name and the three maps.
Numbers numbers(const MaterialDef& d)
{
    return {d.ambient[2], d.diffuse[0], d.diffuse[1], d.specular[1], d.transparency, d.shininess,
            static_cast<float>(d.smoothEdges), static_cast<float>(d.smoothNormals)};
}
std::string words(const MaterialDef& d)
{
    return std::string(d.name) + " " + d.diffuseMap + " " + d.ambientMap + " " + d.specularMap;
}

class MtlReader : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(createLoadBuffer(read_.model)); }
    std::string read(std::string text)
    {
        text_ = std::move(text);
        // fmemopen refuses an empty buffer; an empty temporary file stands in for it.
        std::FILE* file = text_.empty() ? std::tmpfile() : fmemopen(text_.data(), text_.size(), "r");
        return captureStdout([&] { EXPECT_TRUE(readMtlFile(read_.model, file)); });
    }
    const MaterialDef& def(int index) { return read_.buffer().materialDefs[index]; }

    ReadModel read_;
    std::string text_;
};

TEST_F(MtlReader, CountsItsNewmtlBlocksAndSetsTheirKeys)
{
    EXPECT_EQ(read(""), "done.\n-> Number of materials:  0\n");
    EXPECT_EQ(read_.model.materialCount, 0);
    const std::string out = read("# three materials\nnewmtl red\nKa 0.1 0.2 0.3\nKd 1 0 0\n"
                                 "Ks 0.5 0.5 0.5\nTr 0.25\nNs 40\nmap_Kd red.tga\nmap_Ka amb.tga\n"
                                 "map_Ks shine.tga\nSmooth 1\nNormal 1\nillum 2\nd 0.5\n"
                                 "newmtl green\nKa 0 1 0\nnewmtl blue\n");
    EXPECT_EQ(out, "done.\n-> Number of materials:  3\n");
    EXPECT_EQ(read_.model.materialCount, 3);
    EXPECT_EQ(words(def(0)), "red red.tga amb.tga shine.tga");
    EXPECT_EQ(numbers(def(0)), (Numbers{0.3f, 1, 0, 0.5f, 0.25f, 40, 1, 1}));
    // A definition without "Kd" keeps the default diffuse colour.
    EXPECT_EQ(numbers(def(1)), (Numbers{0, 1, 1, 1, 1, 1, 0, 0}));
    EXPECT_EQ(words(def(2)), "blue   ");
}

TEST_F(MtlReader, LinesThatSetNothing)
{
    const std::string out = read("Ka 0 0 0\n"                 // before the first "newmtl"
                                 "newmtl a\n"
                                 "\tKd 0 0 0\n  Ns 5\n"        // indented
                                 "map_Kd -s 1 1 1 file.tga\n"  // only the first word is kept
                                 "Smooth\nNormal x\n"          // no number
                                 "Ks 0.5 0.5\nTr\nNs five\n"   // malformed: left as they were
                                 "Smooth 99999999999\n"        // too large for an int
                                 "newmtl\n");                  // a block without a name
    EXPECT_EQ(out, "done.\n-> Number of materials:  2\n");
    EXPECT_EQ(words(def(0)), "a -s  ");
    EXPECT_EQ(numbers(def(0)), (Numbers{1, 1, 1, 1, 1, 1, 0, 0})) << "nothing set, the Ka before newmtl included";
    EXPECT_EQ(words(def(1)), "   ");
}

// A 65th block and later ones are dropped, with their property lines.
TEST_F(MtlReader, BlocksPastTheCapacityAreDropped)
{
    std::string text;
    for (int i = 0; i < MaxMaterials + 6; ++i)
        text += "newmtl m" + std::to_string(i) + "\nNs " + std::to_string(i) + "\n";
    EXPECT_EQ(read(text), "done.\n-> Number of materials:  64\n");
    EXPECT_STREQ(def(63).name, "m63");
    EXPECT_FLOAT_EQ(def(63).shininess, 63.0f);
    EXPECT_EQ(read_.buffer().diagnostics.materialsDropped, 6);
}

} // namespace
