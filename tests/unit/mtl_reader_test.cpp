// The MTL reader on its own: what each key sets, what it leaves alone, and the capacity rules.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "assets/mtl_reader.h"
#include "assets/obj_reader.h"
#include "reader_test_support.h"

namespace {

class MtlReader : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(createLoadBuffer(read_.model)); }

    // Reads the text as a library and returns what was printed.
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
    const std::string out = read("# three materials\nnewmtl red\nKa 0.1 0.2 0.3\nKd 1 0 0\n"
                                 "Ks 0.5 0.5 0.5\nTr 0.25\nNs 40\nmap_Kd red.tga\nmap_Ka amb.tga\n"
                                 "map_Ks shine.tga\nSmooth 1\nNormal 1\nillum 2\nd 0.5\n"
                                 "newmtl green\nKa 0 1 0\n"
                                 "newmtl blue\n");
    EXPECT_EQ(out, "done.\n-> Number of materials:  3\n");
    EXPECT_EQ(read_.model.materialCount, 3);
    const MaterialDef& red = def(0);
    EXPECT_STREQ(red.name, "red");
    EXPECT_FLOAT_EQ(red.ambient[2], 0.3f);
    EXPECT_FLOAT_EQ(red.diffuse[0], 1.0f);
    EXPECT_FLOAT_EQ(red.diffuse[1], 0.0f);
    EXPECT_FLOAT_EQ(red.specular[1], 0.5f);
    EXPECT_FLOAT_EQ(red.transparency, 0.25f);
    EXPECT_FLOAT_EQ(red.shininess, 40.0f);
    EXPECT_STREQ(red.diffuseMap, "red.tga");
    EXPECT_STREQ(red.ambientMap, "amb.tga");
    EXPECT_STREQ(red.specularMap, "shine.tga");
    EXPECT_EQ(red.smoothEdges, 1);
    EXPECT_EQ(red.smoothNormals, 1);
    // A definition without "Kd" keeps the default diffuse colour.
    EXPECT_FLOAT_EQ(def(1).diffuse[0], 1.0f);
    EXPECT_FLOAT_EQ(def(1).ambient[0], 0.0f);
    EXPECT_STREQ(def(2).name, "blue");
    EXPECT_STREQ(def(2).diffuseMap, "");
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
    const MaterialDef& a = def(0);
    EXPECT_FLOAT_EQ(a.diffuse[0], 1.0f);
    EXPECT_FLOAT_EQ(a.shininess, 1.0f);
    EXPECT_STREQ(a.diffuseMap, "-s");
    EXPECT_EQ(a.smoothEdges, 0);
    EXPECT_EQ(a.smoothNormals, 0);
    EXPECT_FLOAT_EQ(a.specular[0], 1.0f);
    EXPECT_FLOAT_EQ(a.transparency, 1.0f);
    EXPECT_STREQ(def(1).name, "");
    for (int i = 0; i < 3; ++i)
        EXPECT_FLOAT_EQ(a.ambient[i], 1.0f) << "the Ka before any newmtl changed nothing";
}

TEST_F(MtlReader, AnEmptyLibraryHasNoMaterials)
{
    const std::string out = read("");
    EXPECT_EQ(out, "done.\n-> Number of materials:  0\n");
    EXPECT_EQ(read_.model.materialCount, 0);
}

// Rule: a 65th block and later ones are dropped, with their property lines.
TEST_F(MtlReader, BlocksPastTheCapacityAreDropped)
{
    std::string text;
    for (int i = 0; i < MaxMaterials + 6; ++i)
        text += "newmtl m" + std::to_string(i) + "\nNs " + std::to_string(i) + "\n";
    const std::string out = read(text);
    EXPECT_EQ(out, "done.\n-> Number of materials:  64\n");
    EXPECT_EQ(read_.model.materialCount, MaxMaterials);
    EXPECT_STREQ(def(63).name, "m63");
    EXPECT_FLOAT_EQ(def(63).shininess, 63.0f);
    EXPECT_EQ(read_.buffer().diagnostics.materialsDropped, 6);
}

} // namespace
