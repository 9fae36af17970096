// The OBJ reader: console output byte for byte, what lands in the load buffer, and the rules for
// files that go past the capacities or name elements that are not there.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

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
std::vector<float> xyz(const Vec3& v) { return {v.x, v.y, v.z}; }

std::vector<const Face*> faces(const Face* head)
{
    std::vector<const Face*> out;
    for (; head; head = head->next)
        out.push_back(head);
    return out;
}

const char FourVertices[] = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\n";

class ObjReader : public ::testing::Test {
protected:
    std::string read(const std::string& text)
    {
        folder.write("model.obj", text);
        return captureStdout([&] { result = readObjFile(read_.model, path_.c_str()); });
    }
    std::string header() const { return "Loading model " + path_ + ": done.\n"; }
    static std::string libraryLine(const std::string& path, int materials)
    {
        return "Loading material library " + path + ": done.\n-> Number of materials:  " +
               std::to_string(materials) + "\n";
    }
    Model& model() { return read_.model; }
    ModelLoadBuffer& buffer() { return read_.buffer(); }
    const LoadDiagnostics& diagnostics() { return buffer().diagnostics; }

    TempFolder folder;
    ReadModel read_;
    std::string path_ = folder.file("model.obj");
    bool result = false;
};

TEST_F(ObjReader, MissingDirectoryAndEmptyFiles)
{
    // A directory opens but cannot be read: reported as not found, not as an empty model.
    std::filesystem::create_directory(folder.file("folder.obj"));
    for (const std::string& path : {folder.file("missing.obj"), folder.file("folder.obj")}) {
        const std::string out = captureStdout([&] { result = readObjFile(model(), path.c_str()); });
        EXPECT_EQ(out, "Loading model " + path + ": error, file not found!\n");
        EXPECT_FALSE(result);
        EXPECT_EQ(model().loadBuffer, nullptr);
        EXPECT_EQ(model().materialCount, 0);
    }
    EXPECT_EQ(read(""), header() + objCounts(0, 0, 0, 0, 0));
    EXPECT_TRUE(result);
    EXPECT_EQ(model().materialCount, 1);
    for (const FaceGroup& group : buffer().groups) {
        EXPECT_EQ(group.triangles, nullptr);
        EXPECT_EQ(group.materialIndex, -1);
    }
    EXPECT_FLOAT_EQ(buffer().materialDefs[0].diffuse[1], 1.0f);
    EXPECT_FLOAT_EQ(buffer().materialDefs[63].transparency, 1.0f);
}

TEST_F(ObjReader, ElementsAreStoredScaledWithBoundsThatStartAtTheOrigin)
{
    model().scale = 3.0f;
    const std::string out = read("v 1 -3 0.5\nv 2 1 1\nvt 0.5 0.25\nvt 0.5\nvt 1 2 3\n"
                                 "vn 0 0 2\n v 9 9 9\nv\t4 4\n");
    EXPECT_EQ(out, header() + objCounts(2, 1, 2, 0, 0));
    EXPECT_EQ(xyz(buffer().vertices[0]), (std::vector<float>{3.0f, -9.0f, 1.5f}));
    // Every x is positive: minX stays at the origin; extent is the largest absolute bound.
    EXPECT_EQ((std::vector<float>{model().minX, model().maxX, model().minY, model().extent}),
              (std::vector<float>{0.0f, 6.0f, -9.0f, 9.0f}));
    // Two numbers give w = 0; one number is no texture coordinate; normals are kept as written.
    EXPECT_EQ(xyz(buffer().texCoords[0]), (std::vector<float>{0.5f, 0.25f, 0.0f}));
    EXPECT_EQ(xyz(buffer().texCoords[1]), (std::vector<float>{1.0f, 2.0f, 3.0f}));
    EXPECT_EQ(xyz(buffer().normals[0]), (std::vector<float>{0.0f, 0.0f, 2.0f}));
}

TEST_F(ObjReader, FaceFormsFillTheirIndexSetsAndTheRestIsMinusOne)
{
    const std::string out =
        read(std::string(FourVertices) + "v 1 1 1\nvt 0 0\nvt 1 0\nvt 0 1\nvn 0 0 1\nvn 0 1 0\nvn 1 0 0\n"
             "f 1 2 3 4 5\n"           // five corners: a quad of the first four
             "f -1 -2 -3\n"            // counts back from the last vertex read so far
             "f 1//1 2//2 3//3\n"
             "f 1/1 2/2 3/3\n"
             "f 1/3/1 2/2/2 3/1/3\n"
             "v 2 2 2\nf -1 -2 -3\n");
    EXPECT_EQ(out, header() + objCounts(6, 3, 3, 5, 1));
    const FaceGroup& group = buffer().groups[0];
    ASSERT_NE(group.quads, nullptr);
    EXPECT_EQ(describe(group.quads), "0 1 2 3|-1 -1 -1 -1|-1 -1 -1 -1|0");
    const std::vector<const Face*> t = faces(group.triangles);
    ASSERT_EQ(t.size(), 5u);
    EXPECT_EQ(describe(t[0]), "4 3 2 -1|-1 -1 -1 -1|-1 -1 -1 -1|0");
    EXPECT_EQ(describe(t[1]), "0 1 2 -1|-1 -1 -1 -1|0 1 2 -1|1");
    EXPECT_EQ(describe(t[2]), "0 1 2 -1|0 1 2 -1|-1 -1 -1 -1|0");
    EXPECT_EQ(describe(t[3]), "0 1 2 -1|2 1 0 -1|0 1 2 -1|1");
    EXPECT_EQ(describe(t[4]), "5 4 3 -1|-1 -1 -1 -1|-1 -1 -1 -1|0");
    EXPECT_EQ(group.lastTriangle, t.back());
}

// A bad position index drops the face; a bad texture-coordinate or normal index drops only that
// set. Bad means 0, past what was read so far, or too large for an int.
TEST_F(ObjReader, BadIndicesNeverReachTheBuffer)
{
    const std::string out = read(std::string(FourVertices) + "vt 0 0\nvn 0 0 1\n"
                                 "f 0 1 2\nf 1 2 5\nf -5 1 2\nf 1 2 99999999999999999999\n"
                                 "f 1 2 -2147483648\n"
                                 "f 1/1 2/2 3/3\n"        // texture coordinates 2 and 3 missing
                                 "f 1//1 2//1 3//7\n"     // normal 7 missing
                                 "f 1/1/1 2/1/9 3/1/1\n"  // normal set dropped, texture set kept
                                 "f 2 3 4\n");
    EXPECT_EQ(out, header() + objCounts(4, 1, 1, 4, 0)) << "only the faces kept are counted";
    EXPECT_EQ((std::vector<std::int64_t>{diagnostics().facesDropped, diagnostics().texCoordSetsDropped,
                                diagnostics().normalSetsDropped}),
              (std::vector<std::int64_t>{5, 1, 2}));
    const std::vector<const Face*> t = faces(buffer().groups[0].triangles);
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(describe(t[0]), "0 1 2 -1|-1 -1 -1 -1|-1 -1 -1 -1|0");
    EXPECT_EQ(describe(t[1]), "0 1 2 -1|-1 -1 -1 -1|-1 -1 -1 -1|0");
    EXPECT_EQ(describe(t[2]), "0 1 2 -1|0 0 0 -1|-1 -1 -1 -1|0");
    EXPECT_EQ(describe(t[3]), "1 2 3 -1|-1 -1 -1 -1|-1 -1 -1 -1|0");
}

TEST_F(ObjReader, FacesGoToTheGroupOfTheSelectedMaterial)
{
    const std::string lib = folder.write("three.mtl", "newmtl red\nnewmtl green\nnewmtl blue\n");
    const std::string out = read(std::string(FourVertices) +
                                 "f 1 2 9\n"                // dropped, but fixes group 0
                                 "mtllib " + lib + "\n"
                                 "f 1 2 3\n"                // so this goes to material 0, drawn
                                 "usemtl blue\nf 1 2 3 4\n"
                                 "usemtl\nf 2 3 4\n"        // no name: material 0
                                 "usemtl gray\nf 1 3 4\n"); // unknown: never drawn
    EXPECT_EQ(out, header() + libraryLine(lib, 3) + objCounts(4, 0, 0, 3, 1));
    EXPECT_EQ(model().materialCount, 3);
    EXPECT_EQ(faces(buffer().groups[0].triangles).size(), 2u);
    EXPECT_EQ((std::vector<int>{buffer().groups[0].materialIndex, buffer().groups[1].materialIndex,
                                buffer().groups[2].materialIndex}),
              (std::vector<int>{0, -1, 2}));
    EXPECT_EQ(faces(buffer().groups[2].quads).size(), 1u);
    EXPECT_EQ(faces(buffer().groups[3].triangles).size(), 1u);
    EXPECT_EQ(diagnostics().undrawnFaces, 1);
}

TEST_F(ObjReader, FacesBeforeAnyUsemtlWithALibraryGoPastItsMaterials)
{
    const std::string lib = folder.write("two.mtl", "newmtl a\nnewmtl b\n");
    read(std::string(FourVertices) + "mtllib " + lib + "\nf 1 2 3\nusemtl a\nf 1 2 4\n");
    EXPECT_EQ(faces(buffer().groups[2].triangles).size(), 1u);
    EXPECT_EQ(faces(buffer().groups[0].triangles).size(), 1u);
    EXPECT_EQ(diagnostics().undrawnFaces, 1);
}

TEST_F(ObjReader, LibrariesMissingEmptyOrReadTwice)
{
    const std::string first = folder.write("first.mtl", "newmtl a\nKd 1 0 0\nnewmtl b\nnewmtl c\n");
    const std::string second = folder.write("second.mtl", "newmtl z\nKd 0 0 1\n");
    const std::string empty = folder.write("empty.mtl", "");
    const std::string missing = folder.file("missing.mtl");
    const std::string out = read("mtllib " + first + "\nmtllib " + missing + "\nmtllib " + second +
                                 "\nusemtl z\nmtllib " + empty + "\n");
    EXPECT_EQ(out, header() + libraryLine(first, 3) + "Loading material library " + missing +
                       ": error, file not found!\n" + libraryLine(second, 1) + libraryLine(empty, 0) +
                       objCounts(0, 0, 0, 0, 0));
    // The second library overwrote definition 0 and its count replaced the first; the empty one
    // left 0, raised to the one default material at the end.
    EXPECT_STREQ(buffer().materialDefs[0].name, "z");
    EXPECT_EQ(std::vector<float>(buffer().materialDefs[0].diffuse, buffer().materialDefs[0].diffuse + 3),
              (std::vector<float>{0.0f, 0.0f, 1.0f}));
    EXPECT_STREQ(buffer().materialDefs[1].name, "b");
    EXPECT_EQ(model().materialCount, 1);
    EXPECT_EQ(diagnostics().librariesNotFound, 1);
}

TEST_F(ObjReader, ALibraryNamedThousandsOfTimesIsClosedEachTime)
{
    const std::string lib = folder.write("again.mtl", "newmtl a\n");
    std::string text, expected;
    for (int i = 0; i < 3000; ++i) {
        text += "mtllib " + lib + "\n";
        expected += libraryLine(lib, 1);
    }
    EXPECT_EQ(read(text), header() + expected + objCounts(0, 0, 0, 0, 0));
}

TEST_F(ObjReader, CrLfLinesAndLongLinesFollowTheLineRules)
{
    // The line of 300 characters is cut after 254: its rest, "v 7 8 9", is read as a line.
    const std::string out = read("v 1 2 3\r\nvt 0 1\r\nf 1/1 1/1 1/1\r\n#" + std::string(253, 'x') +
                                 "v 7 8 9" + std::string(39, ' ') + "\n");
    EXPECT_EQ(out, header() + objCounts(2, 0, 1, 1, 0));
    EXPECT_FLOAT_EQ(buffer().vertices[1].z, 9.0f);
}

// Also a million faces, appended at the tail: walking the list for each would take minutes.
TEST_F(ObjReader, ElementsPastTheCapacityAreDroppedAndCounted)
{
    constexpr int Faces = 1000000;
    std::string text;
    for (int i = 0; i < MaxModelElements + 2; ++i)
        text += "v 1 2 3\nvt 1 2\nvn 0 1 0\n";
    text += "f -1 -2 -3\nv 900 0 0\n";
    for (int i = 0; i < Faces; ++i)
        text += "f 1 2 3\n";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(read(text), header() + objCounts(MaxModelElements, MaxModelElements, MaxModelElements, Faces + 1, 0));
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 20.0);
    const std::vector<const Face*> t = faces(buffer().groups[0].triangles);
    EXPECT_EQ(t.size(), static_cast<std::size_t>(Faces + 1));
    EXPECT_EQ(buffer().groups[0].lastTriangle, t.back());
    EXPECT_EQ((std::vector<std::int64_t>{diagnostics().verticesDropped, diagnostics().texCoordsDropped,
                                diagnostics().normalsDropped}),
              (std::vector<std::int64_t>{3, 2, 2}));
    EXPECT_EQ(describe(buffer().groups[0].triangles), "74999 74998 74997 -1|-1 -1 -1 -1|-1 -1 -1 -1|0");
    EXPECT_FLOAT_EQ(model().maxX, 1.0f) << "a dropped vertex does not move the bounds";
}

// Names are cut to 31 characters and "usemtl" compares its word cut the same way; a 65th material
// is dropped, and faces that would need a 65th group are dropped and counted.
TEST_F(ObjReader, MaterialCapacityAndLongNames)
{
    const std::string longName(40, 'n');
    std::string materials = "newmtl " + longName + "\n";
    for (int i = 1; i < MaxMaterials + 1; ++i)
        materials += "newmtl m" + std::to_string(i) + "\n";
    const std::string lib = folder.write("many.mtl", materials);
    const std::string out = read(std::string(FourVertices) + "mtllib " + lib + "\nf 1 2 3\nusemtl " + longName +
                                 "\nf 1 2 4\nusemtl m63\nf 1 2 3\nusemtl m64\nf 1 2 3\n");
    EXPECT_EQ(out, header() + libraryLine(lib, 64) + objCounts(4, 0, 0, 2, 0));
    EXPECT_EQ(model().materialCount, MaxMaterials);
    EXPECT_EQ((std::vector<std::int64_t>{diagnostics().materialsDropped, diagnostics().facesWithoutGroup, diagnostics().namesCut}),
              (std::vector<std::int64_t>{1, 2, 1}));
    EXPECT_EQ(std::string(buffer().materialDefs[0].name), std::string(31, 'n'));
    EXPECT_EQ(faces(buffer().groups[0].triangles).size(), 1u);
    EXPECT_EQ(faces(buffer().groups[63].triangles).size(), 1u);
}

} // namespace
