// The OBJ and MTL readers: console output byte for byte, what lands in the load buffer, and the
// rules for files that go past the capacities or name elements that are not there.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/mtl_reader.h"
#include "reader_test_support.h"

namespace {

// A face as "v|vt|vn|hasNormals", each set as its four indices.
std::string describe(const Face* face)
{
    std::string text;
    for (const std::int32_t* set : {face->v, face->vt, face->vn})
        for (int k = 0; k < 4; ++k)
            text += std::to_string(set[k]) + (k < 3 ? " " : "|");
    return text + std::to_string(face->hasNormals);
}

std::vector<std::string> described(const Face* head)
{
    std::vector<std::string> out;
    for (; head; head = head->next)
        out.push_back(describe(head));
    return out;
}
using Strings = std::vector<std::string>;
using Floats = std::vector<float>;
using Counts = std::vector<std::int64_t>;
Floats xyz(const Vec3& v) { return {v.x, v.y, v.z}; }

const char FourVertices[] = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\n";

class ObjReader : public ::testing::Test {
protected:
    std::string read(const std::string& text)
    {
        folder.write("model.obj", text);
        return captureStdout([&] { result = readObjFile(read_.model, path_.c_str()); });
    }
    std::string header() const { return "Loading model " + path_ + ": done.\n"; }
    static std::string library(const std::string& path, int materials)
    {
        return "Loading material library " + path + ": done.\n-> Number of materials:  " + std::to_string(materials) + "\n";
    }
    Model& model() { return read_.model; }
    ModelLoadBuffer& buffer() { return read_.buffer(); }
    const LoadDiagnostics& diagnostics() { return buffer().diagnostics; }
    const FaceGroup& group(int g) { return buffer().groups[g]; }
    const MaterialDef& def(int i) { return buffer().materialDefs[i]; }

    TempFolder folder;
    ReadModel read_;
    std::string path_ = folder.file("model.obj");
    bool result = false;
};

TEST_F(ObjReader, MissingFilesAndEmptyOnes)
{
    // A directory opens but cannot be read: reported as not found, not as an empty model.
    std::filesystem::create_directory(folder.file("folder.obj"));
    for (const std::string& path : {folder.file("missing.obj"), folder.file("folder.obj")}) {
        EXPECT_EQ(captureStdout([&] { result = readObjFile(model(), path.c_str()); }),
                  "Loading model " + path + ": error, file not found!\n");
        EXPECT_TRUE(!result && model().loadBuffer == nullptr && model().materialCount == 0);
    }
    EXPECT_EQ(read(""), header() + objCounts(0, 0, 0, 0, 0));
    EXPECT_TRUE(result);
    EXPECT_EQ(model().materialCount, 1) << "one default material";
    EXPECT_EQ(group(0).materialIndex, -1);
    EXPECT_TRUE(def(0).diffuse[1] == 1.0f && def(63).transparency == 1.0f);
}

TEST_F(ObjReader, ElementsAreStoredScaledWithBoundsFromTheOriginAndLinesCutAsTheReaderCutsThem)
{
    model().scale = 3.0f;
    // The 300-character comment is cut after 254 characters: its rest, "v 7 8 9", is read as a line.
    const std::string out = read("v 1 -3 0.5\r\nv 2 1 1\nvt 0.5 0.25\nvt 0.5\nvt 1 2 3\nvn 0 0 2\n v 9 9 9\nv\t4 4\n#" +
                                 std::string(253, 'x') + "v 7 8 9" + std::string(39, ' ') + "\n");
    EXPECT_EQ(out, header() + objCounts(3, 1, 2, 0, 0));
    EXPECT_EQ(xyz(buffer().vertices[0]), (Floats{3.0f, -9.0f, 1.5f}));
    EXPECT_EQ(xyz(buffer().vertices[2]), (Floats{21.0f, 24.0f, 27.0f}));
    // Every x is positive: minX stays at the origin; extent is the largest absolute bound.
    EXPECT_EQ((Floats{model().minX, model().maxX, model().minY, model().maxY, model().minZ, model().maxZ, model().extent}),
              (Floats{0.0f, 21.0f, -9.0f, 24.0f, 0.0f, 27.0f, 27.0f}));
    // Two numbers give w = 0; one number is no texture coordinate; normals are kept as written.
    EXPECT_EQ(xyz(buffer().texCoords[0]), (Floats{0.5f, 0.25f, 0.0f}));
    EXPECT_EQ(xyz(buffer().texCoords[1]), (Floats{1.0f, 2.0f, 3.0f}));
    EXPECT_EQ(xyz(buffer().normals[0]), (Floats{0.0f, 0.0f, 2.0f}));
}

TEST_F(ObjReader, FaceFormsFillTheirIndexSetsAndTheRestIsMinusOne)
{
    const std::string out =
        read(std::string(FourVertices) + "v 1 1 1\nvt 0 0\nvt 1 0\nvt 0 1\nvn 0 0 1\nvn 0 1 0\nvn 1 0 0\n"
             "f 1 2 3 4 5\n"           // five corners: a quad of the first four
             "f -1 -2 -3\n"            // counts back from the last vertex read so far
             "f 1//1 2//2 3//3\nf 1/1 2/2 3/3\nf 1/3/1 2/2/2 3/1/3\n"
             "f 1//3 2//2 3//1 4//1\nf 1/3 2/2 3/1 4/1\nf 1/1/1 2/2/2 3/3/3 4/1/2\n"
             "v 2 2 2\nf -1 -2 -3\n");
    EXPECT_EQ(out, header() + objCounts(6, 3, 3, 5, 4));
    EXPECT_EQ(described(group(0).quads), (Strings{"0 1 2 3|-1 -1 -1 -1|-1 -1 -1 -1|0", "0 1 2 3|-1 -1 -1 -1|2 1 0 0|1",
                                                  "0 1 2 3|2 1 0 0|-1 -1 -1 -1|0", "0 1 2 3|0 1 2 0|0 1 2 1|1"}));
    EXPECT_EQ(described(group(0).triangles),
              (Strings{"4 3 2 -1|-1 -1 -1 -1|-1 -1 -1 -1|0", "0 1 2 -1|-1 -1 -1 -1|0 1 2 -1|1",
                       "0 1 2 -1|0 1 2 -1|-1 -1 -1 -1|0", "0 1 2 -1|2 1 0 -1|0 1 2 -1|1", "5 4 3 -1|-1 -1 -1 -1|-1 -1 -1 -1|0"}));
    EXPECT_EQ(describe(group(0).lastTriangle), "5 4 3 -1|-1 -1 -1 -1|-1 -1 -1 -1|0");
}

// A bad position index drops the face; a bad texture-coordinate or normal index drops only that
// set. Bad means 0, past what was read so far, or too large for an int.
TEST_F(ObjReader, BadIndicesNeverReachTheBuffer)
{
    const std::string out = read(std::string(FourVertices) + "vt 0 0\nvn 0 0 1\n"
                                 "f 0 1 2\nf 1 2 5\nf -5 1 2\nf 1 2 99999999999999999999\nf 1 2 -2147483648\n"
                                 "f 1/1 2/2 3/3\n"        // texture coordinates 2 and 3 missing
                                 "f 1//1 2//1 3//7\n"     // normal 7 missing
                                 "f 1/1/1 2/1/9 3/1/1\n"  // normal set dropped, texture set kept
                                 "f 2 3 4\n");
    EXPECT_EQ(out, header() + objCounts(4, 1, 1, 4, 0)) << "only the faces kept are counted";
    EXPECT_EQ((Counts{diagnostics().facesDropped, diagnostics().texCoordSetsDropped, diagnostics().normalSetsDropped}),
              (Counts{5, 1, 2}));
    EXPECT_EQ(described(group(0).triangles), (Strings{"0 1 2 -1|-1 -1 -1 -1|-1 -1 -1 -1|0", "0 1 2 -1|-1 -1 -1 -1|-1 -1 -1 -1|0",
                                                      "0 1 2 -1|0 0 0 -1|-1 -1 -1 -1|0", "1 2 3 -1|-1 -1 -1 -1|-1 -1 -1 -1|0"}));
}

TEST_F(ObjReader, FacesGoToTheGroupOfTheMaterialInForceWhenTheirFirstFaceCame)
{
    const std::string three = folder.write("three.mtl", "newmtl red\nnewmtl green\nnewmtl blue\n");
    const std::string two = folder.write("two.mtl", "newmtl a\nnewmtl b\n");
    EXPECT_EQ(read(std::string(FourVertices) +
                   "f 1 2 9\n"                // dropped, but fixes group 0
                   "mtllib " + three + "\n"
                   "f 1 2 3\n"                // so this goes to material 0, drawn
                   "usemtl blue\nf 1 2 3 4\n"
                   "usemtl\nf 2 3 4\n"        // no name: material 0
                   "usemtl gray\nf 1 3 4\n"), // unknown: never drawn
              header() + library(three, 3) + objCounts(4, 0, 0, 3, 1));
    EXPECT_EQ(described(group(0).triangles).size(), 2u);
    EXPECT_EQ((std::vector<int>{group(0).materialIndex, group(1).materialIndex, group(2).materialIndex}),
              (std::vector<int>{0, -1, 2}));
    EXPECT_TRUE(group(2).quads != nullptr && group(3).triangles != nullptr);
    EXPECT_EQ(diagnostics().undrawnFaces, 1);
    // With materials already known, faces before any "usemtl" go to the group just past them.
    read(std::string(FourVertices) + "mtllib " + two + "\nf 1 2 3\nusemtl a\nf 1 2 4\n");
    EXPECT_TRUE(group(2).triangles != nullptr && group(0).triangles != nullptr && group(1).triangles == nullptr);
    EXPECT_EQ(diagnostics().undrawnFaces, 1);
}

TEST_F(ObjReader, LibrariesMissingEmptyOrReadAgainEachStartAfresh)
{
    const std::string first = folder.write("first.mtl", "newmtl a\nKd 1 0 0\nnewmtl b\nnewmtl c\n");
    const std::string second = folder.write("second.mtl", "newmtl z\nKd 0 0 1\n");
    const std::string empty = folder.write("empty.mtl", "");
    const std::string missing = folder.file("missing.mtl");
    std::string text = "mtllib " + first + "\nmtllib " + missing + "\nmtllib " + second + "\nusemtl z\n";
    std::string expected = header() + library(first, 3) + "Loading material library " + missing +
                           ": error, file not found!\n" + library(second, 1);
    for (int i = 0; i < 3000; ++i) { // each one closed again, or the process runs out of files
        text += "mtllib " + empty + "\n";
        expected += library(empty, 0);
    }
    EXPECT_EQ(read(text), expected + objCounts(0, 0, 0, 0, 0));
    // The second library overwrote definition 0 and its count replaced the first; the empty ones
    // left 0, raised to the one default material at the end.
    EXPECT_STREQ(def(0).name, "z");
    EXPECT_EQ(Floats(def(0).diffuse, def(0).diffuse + 3), (Floats{0.0f, 0.0f, 1.0f}));
    EXPECT_STREQ(def(1).name, "b");
    EXPECT_EQ(model().materialCount, 1);
    EXPECT_EQ(diagnostics().librariesNotFound, 1);
}

// Also 300,000 faces, each appended at the tail of its list in constant time.
TEST_F(ObjReader, ElementsPastTheCapacityAreDroppedAndCounted)
{
    constexpr int Faces = 300000;
    std::string text;
    for (int i = 0; i < MaxModelElements + 2; ++i)
        text += "v 1 2 3\nvt 1 2\nvn 0 1 0\n";
    text += "f -1 -2 -3\nv 900 0 0\n";
    for (int i = 0; i < Faces; ++i)
        text += "f 1 2 3\n";
    EXPECT_EQ(read(text), header() + objCounts(MaxModelElements, MaxModelElements, MaxModelElements, Faces + 1, 0));
    EXPECT_EQ(described(group(0).triangles).size(), static_cast<std::size_t>(Faces + 1));
    EXPECT_EQ((Counts{diagnostics().verticesDropped, diagnostics().texCoordsDropped, diagnostics().normalsDropped}),
              (Counts{3, 2, 2}));
    EXPECT_EQ(describe(group(0).triangles), "74999 74998 74997 -1|-1 -1 -1 -1|-1 -1 -1 -1|0");
    EXPECT_FLOAT_EQ(model().maxX, 1.0f) << "a dropped vertex does not move the bounds";
}

// Names are cut to 31 characters and "usemtl" compares its word cut the same way; a 65th material
// is dropped with its lines, and faces that would need a 65th group are dropped and counted.
TEST_F(ObjReader, MaterialCapacityAndLongNames)
{
    const std::string longName(40, 'n');
    std::string materials = "newmtl " + longName + "\n";
    for (int i = 1; i < MaxMaterials + 1; ++i)
        materials += "newmtl m" + std::to_string(i) + "\nNs " + std::to_string(i) + "\n";
    const std::string lib = folder.write("many.mtl", materials);
    const std::string out = read(std::string(FourVertices) + "mtllib " + lib + "\nf 1 2 3\nusemtl " + longName +
                                 "\nf 1 2 4\nusemtl m63\nf 1 2 3\nusemtl m64\nf 1 2 3\n");
    EXPECT_EQ(out, header() + library(lib, 64) + objCounts(4, 0, 0, 2, 0));
    EXPECT_EQ(model().materialCount, MaxMaterials);
    EXPECT_EQ((Counts{diagnostics().materialsDropped, diagnostics().facesWithoutGroup, diagnostics().namesCut}),
              (Counts{1, 2, 1}));
    EXPECT_EQ(std::string(def(0).name), std::string(31, 'n'));
    EXPECT_TRUE(def(63).shininess == 63.0f && group(0).triangles != nullptr && group(63).triangles != nullptr);
}

// Ka[2], Kd[0], Kd[1], Ks[1], Tr, Ns, Smooth, Normal; then the name and the three maps.
Floats numbers(const MaterialDef& d)
{
    return {d.ambient[2], d.diffuse[0], d.diffuse[1], d.specular[1], d.transparency, d.shininess,
            static_cast<float>(d.smoothEdges), static_cast<float>(d.smoothNormals)};
}
std::string words(const MaterialDef& d)
{
    return std::string(d.name) + " " + d.diffuseMap + " " + d.ambientMap + " " + d.specularMap;
}

TEST_F(ObjReader, MaterialKeysSetTheirValuesAndEverythingElseKeepsTheDefaults)
{
    const std::string lib = folder.write("looks.mtl",
        "Ka 0 0 0\n"  // before the first "newmtl": sets nothing
        "newmtl red\nKa 0.1 0.2 0.3\nKd 1 0 0\nKs 0.5 0.5 0.5\nTr 0.25\nNs 40\nmap_Kd red.tga\nmap_Ka amb.tga\n"
        "map_Ks shine.tga\nSmooth 1\nNormal 1\nillum 2\nd 0.5\n"
        "newmtl a\n\tKd 0 0 0\n  Ns 5\nmap_Kd -s 1 1 1 file.tga\nSmooth\nNormal x\nKs 0.5 0.5\nTr\nNs five\n"
        "Smooth 99999999999\n"
        "newmtl\n");
    // Another model's values first, in a buffer the next read starts afresh.
    read("mtllib " + folder.write("other.mtl", "newmtl x\nnewmtl y\nKd 0 0 0\nTr 0\nSmooth 1\nmap_Ka old.tga\n") + "\n");
    EXPECT_EQ(read("mtllib " + lib + "\n"), header() + library(lib, 3) + objCounts(0, 0, 0, 0, 0));
    EXPECT_EQ(words(def(0)), "red red.tga amb.tga shine.tga");
    EXPECT_EQ(numbers(def(0)), (Floats{0.3f, 1, 0, 0.5f, 0.25f, 40, 1, 1}));
    // Indented, malformed and too-large lines set nothing; only a map's first word is kept.
    EXPECT_EQ(words(def(1)), "a -s  ");
    EXPECT_EQ(numbers(def(1)), (Floats{1, 1, 1, 1, 1, 1, 0, 0}));
    EXPECT_EQ(words(def(2)), "   ");
    EXPECT_EQ(numbers(def(3)), (Floats{1, 1, 1, 1, 1, 1, 0, 0}));
}

} // namespace
