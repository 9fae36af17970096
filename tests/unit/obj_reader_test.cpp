// The OBJ reader: console output byte for byte, what lands in the load buffer, and the rules for
// files that go past the capacities or name elements that are not there.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "assets/obj_reader.h"
#include "reader_test_support.h"

namespace {

class ObjReader : public ::testing::Test {
protected:
    // Reads the text as an OBJ file of that name and returns what was printed.
    std::string read(const std::string& text, const std::string& name = "model.obj")
    {
        path_ = folder.write(name, text);
        return captureStdout([&] { result = readObjFile(read_.model, path_.c_str()); });
    }
    std::string header() const { return "Loading model " + path_ + ": done.\n"; }
    std::string library(const std::string& name, const std::string& text) const
    {
        return folder.write(name, text);
    }
    Model& model() { return read_.model; }
    ModelLoadBuffer& buffer() { return read_.buffer(); }
    const LoadDiagnostics& diagnostics() { return buffer().diagnostics; }

    // The faces of a list in order.
    static std::vector<const Face*> faces(const Face* head)
    {
        std::vector<const Face*> out;
        for (; head; head = head->next)
            out.push_back(head);
        return out;
    }

    TempFolder folder;
    ReadModel read_;
    std::string path_;
    bool result = false;
};

void expectCorners(const std::int32_t (&indices)[4], std::int32_t a, std::int32_t b, std::int32_t c,
                   std::int32_t d)
{
    EXPECT_EQ(indices[0], a);
    EXPECT_EQ(indices[1], b);
    EXPECT_EQ(indices[2], c);
    EXPECT_EQ(indices[3], d);
}

const char FourVertices[] = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\n";

TEST_F(ObjReader, EmptyFileReportsZeroCountsAndOneDefaultMaterial)
{
    const std::string out = read("");
    EXPECT_EQ(out, header() + objCounts(0, 0, 0, 0, 0));
    EXPECT_TRUE(result);
    EXPECT_EQ(model().materialCount, 1);
    for (const FaceGroup& group : buffer().groups) {
        EXPECT_EQ(group.triangles, nullptr);
        EXPECT_EQ(group.materialIndex, -1);
    }
    EXPECT_FLOAT_EQ(buffer().materialDefs[0].diffuse[1], 1.0f);
    EXPECT_FLOAT_EQ(buffer().materialDefs[63].transparency, 1.0f);
}

TEST_F(ObjReader, MissingOrUnreadableFileFailsAndLeavesTheModelFresh)
{
    const std::string missing = folder.file("missing.obj");
    std::string out = captureStdout([&] { result = readObjFile(model(), missing.c_str()); });
    EXPECT_EQ(out, "Loading model " + missing + ": error, file not found!\n");
    EXPECT_FALSE(result);

    // A directory opens but cannot be read: reported the same way, not as an empty model.
    std::filesystem::create_directory(folder.file("folder.obj"));
    const std::string directory = folder.file("folder.obj");
    out = captureStdout([&] { result = readObjFile(model(), directory.c_str()); });
    EXPECT_EQ(out, "Loading model " + directory + ": error, file not found!\n");
    EXPECT_FALSE(result);
    EXPECT_EQ(model().loadBuffer, nullptr);
    EXPECT_EQ(model().materialCount, 0);
}

TEST_F(ObjReader, ElementsAreStoredScaledWithBoundsThatStartAtTheOrigin)
{
    model().scale = 3.0f;
    const std::string out = read("v 1 -2 0.5\nv 2 1 1\nvt 0.5 0.25\nvt 0.5\nvt 1 2 3\n"
                                 "vn 0 0 2\n v 9 9 9\nv\t4 4\n");
    EXPECT_EQ(out, header() + objCounts(2, 1, 2, 0, 0));
    const Vec3 v = buffer().vertices[0];
    EXPECT_FLOAT_EQ(v.x, 3.0f);
    EXPECT_FLOAT_EQ(v.y, -6.0f);
    EXPECT_FLOAT_EQ(v.z, 1.5f);
    EXPECT_FLOAT_EQ(model().maxX, 6.0f);
    EXPECT_FLOAT_EQ(model().minY, -6.0f);
    EXPECT_FLOAT_EQ(model().minX, 0.0f) << "every x is positive, the bound stays at the origin";
    EXPECT_FLOAT_EQ(model().extent, 6.0f);
    // Two numbers give w = 0; one number is no texture coordinate; normals are kept as written.
    EXPECT_FLOAT_EQ(buffer().texCoords[0].y, 0.25f);
    EXPECT_FLOAT_EQ(buffer().texCoords[0].z, 0.0f);
    EXPECT_FLOAT_EQ(buffer().texCoords[1].z, 3.0f);
    EXPECT_FLOAT_EQ(buffer().normals[0].z, 2.0f);
}

TEST_F(ObjReader, ExtentIsTheLargestAbsoluteBound)
{
    read("v -3 0 0\nv 1 2 0\n");
    EXPECT_FLOAT_EQ(model().extent, 3.0f);
    EXPECT_FLOAT_EQ(model().minX, -3.0f);
    EXPECT_FLOAT_EQ(model().maxY, 2.0f);
}

TEST_F(ObjReader, FaceFormsFillTheirIndexSetsAndTheRestIsMinusOne)
{
    const std::string out =
        read(std::string(FourVertices) + "v 1 1 1\nvt 0 0\nvt 1 0\nvt 0 1\nvn 0 0 1\nvn 0 1 0\nvn 1 0 0\n"
             "f 1 2 3 4 5\n"        // five corners: a quad of the first four
             "f -1 -2 -3\n"         // counts back from the last vertex read
             "f 1//1 2//2 3//3\n"   // positions and normals
             "f 1/1 2/2 3/3\n"      // positions and texture coordinates
             "f 1/3/1 2/2/2 3/1/3\n"); // all three
    EXPECT_EQ(out, header() + objCounts(5, 3, 3, 4, 1));
    const FaceGroup& group = buffer().groups[0];
    ASSERT_NE(group.quads, nullptr);
    expectCorners(group.quads->v, 0, 1, 2, 3);
    expectCorners(group.quads->vt, -1, -1, -1, -1);

    const std::vector<const Face*> triangles = faces(group.triangles);
    ASSERT_EQ(triangles.size(), 4u);
    expectCorners(triangles[0]->v, 4, 3, 2, -1);
    EXPECT_EQ(triangles[0]->hasNormals, 0);
    expectCorners(triangles[1]->vt, -1, -1, -1, -1);
    expectCorners(triangles[1]->vn, 0, 1, 2, -1);
    EXPECT_EQ(triangles[1]->hasNormals, 1);
    expectCorners(triangles[2]->vt, 0, 1, 2, -1);
    expectCorners(triangles[2]->vn, -1, -1, -1, -1);
    EXPECT_EQ(triangles[2]->hasNormals, 0);
    expectCorners(triangles[3]->vt, 2, 1, 0, -1);
    expectCorners(triangles[3]->vn, 0, 1, 2, -1);
    EXPECT_EQ(group.lastTriangle, triangles.back());
    EXPECT_EQ(group.lastTriangle->next, nullptr);
}

TEST_F(ObjReader, NegativeIndicesCountFromWhatWasReadSoFar)
{
    read("v 0 0 0\nv 1 0 0\nv 0 1 0\nf -1 -2 -3\nv 5 5 5\nf -1 -2 -3\n");
    const std::vector<const Face*> triangles = faces(buffer().groups[0].triangles);
    ASSERT_EQ(triangles.size(), 2u);
    expectCorners(triangles[0]->v, 2, 1, 0, -1);
    expectCorners(triangles[1]->v, 3, 2, 1, -1);
}

// Rule: a bad position index drops the face; a bad texture-coordinate or normal index drops only
// that set. Bad means 0, past what was read so far, or too large for an int.
TEST_F(ObjReader, BadIndicesNeverReachTheBuffer)
{
    const std::string out = read(std::string(FourVertices) + "vt 0 0\nvn 0 0 1\n"
                                 "f 0 1 2\n"
                                 "f 1 2 5\n"
                                 "f -5 1 2\n"
                                 "f 1 2 99999999999999999999\n"
                                 "f 1 2 -2147483648\n"
                                 "f 1/1 2/2 3/3\n"        // texture coordinates 2 and 3 missing
                                 "f 1//1 2//1 3//7\n"     // normal 7 missing
                                 "f 1/1/1 2/1/9 3/1/1\n"  // normal set dropped, texture set kept
                                 "f 2 3 4\n");
    EXPECT_EQ(out, header() + objCounts(4, 1, 1, 4, 0)) << "only the faces kept are counted";
    EXPECT_EQ(diagnostics().facesDropped, 5);
    EXPECT_EQ(diagnostics().texCoordSetsDropped, 1);
    EXPECT_EQ(diagnostics().normalSetsDropped, 2);

    const std::vector<const Face*> triangles = faces(buffer().groups[0].triangles);
    ASSERT_EQ(triangles.size(), 4u);
    expectCorners(triangles[0]->v, 0, 1, 2, -1);
    expectCorners(triangles[0]->vt, -1, -1, -1, -1);
    EXPECT_EQ(triangles[1]->hasNormals, 0);
    expectCorners(triangles[1]->vn, -1, -1, -1, -1);
    expectCorners(triangles[2]->vt, 0, 0, 0, -1);
    expectCorners(triangles[2]->vn, -1, -1, -1, -1);
    EXPECT_EQ(triangles[2]->hasNormals, 0);
    expectCorners(triangles[3]->v, 1, 2, 3, -1);
    for (const Face* face : triangles)
        for (int k = 0; k < 3; ++k) {
            EXPECT_GE(face->v[k], 0);
            EXPECT_LT(face->v[k], buffer().vertexCount);
        }
}

TEST_F(ObjReader, FacesGoToTheGroupOfTheSelectedMaterial)
{
    const std::string lib = library("three.mtl", "newmtl red\nnewmtl green\nnewmtl blue\n");
    const std::string out = read(std::string(FourVertices) +
                                 "f 1 2 3\n"          // before any usemtl and any library: group 0
                                 "mtllib " + lib + "\n"
                                 "usemtl blue\nf 1 2 3 4\n"
                                 "usemtl\nf 2 3 4\n"  // no name: material 0
                                 "usemtl gray\nf 1 3 4\n"); // unknown: group 3, never drawn
    EXPECT_EQ(out, header() + "Loading material library " + lib +
                       ": done.\n-> Number of materials:  3\n" + objCounts(4, 0, 0, 3, 1));
    EXPECT_EQ(model().materialCount, 3);
    EXPECT_EQ(faces(buffer().groups[0].triangles).size(), 2u);
    EXPECT_EQ(buffer().groups[0].materialIndex, 0);
    EXPECT_EQ(buffer().groups[1].materialIndex, -1);
    EXPECT_EQ(buffer().groups[2].materialIndex, 2);
    EXPECT_EQ(faces(buffer().groups[2].quads).size(), 1u);
    EXPECT_EQ(buffer().groups[3].materialIndex, 3);
    EXPECT_EQ(faces(buffer().groups[3].triangles).size(), 1u);
    EXPECT_EQ(diagnostics().undrawnFaces, 1);
}

TEST_F(ObjReader, FacesBeforeAnyUsemtlWithALibraryGoPastItsMaterials)
{
    const std::string lib = library("two.mtl", "newmtl a\nnewmtl b\n");
    read(std::string(FourVertices) + "mtllib " + lib + "\nf 1 2 3\nusemtl a\nf 1 2 4\n");
    EXPECT_EQ(faces(buffer().groups[2].triangles).size(), 1u);
    EXPECT_EQ(faces(buffer().groups[0].triangles).size(), 1u);
    EXPECT_EQ(diagnostics().undrawnFaces, 1);
}

TEST_F(ObjReader, LibrariesMissingEmptyOrReadTwice)
{
    const std::string first = library("first.mtl", "newmtl a\nKd 1 0 0\nnewmtl b\nnewmtl c\n");
    const std::string second = library("second.mtl", "newmtl z\nKd 0 0 1\n");
    const std::string empty = library("empty.mtl", "");
    const std::string missing = folder.file("missing.mtl");
    const std::string out = read("mtllib " + first + "\nmtllib " + missing + "\nmtllib " + second +
                                 "\nusemtl z\nmtllib " + empty + "\n");
    EXPECT_EQ(out, header() + "Loading material library " + first +
                       ": done.\n-> Number of materials:  3\n"
                       "Loading material library " + missing + ": error, file not found!\n"
                       "Loading material library " + second +
                       ": done.\n-> Number of materials:  1\n"
                       "Loading material library " + empty +
                       ": done.\n-> Number of materials:  0\n" + objCounts(0, 0, 0, 0, 0));
    // The second library overwrote definition 0 and its count replaced the first; the empty one
    // left 0, raised to the one default material at the end.
    EXPECT_STREQ(buffer().materialDefs[0].name, "z");
    EXPECT_FLOAT_EQ(buffer().materialDefs[0].diffuse[2], 1.0f);
    EXPECT_FLOAT_EQ(buffer().materialDefs[0].diffuse[0], 0.0f);
    EXPECT_STREQ(buffer().materialDefs[1].name, "b");
    EXPECT_EQ(buffer().groups[0].materialIndex, 0);
    EXPECT_EQ(model().materialCount, 1);
    EXPECT_EQ(diagnostics().librariesNotFound, 1);
}

TEST_F(ObjReader, CrLfLinesAndLongLinesFollowTheLineRules)
{
    // The line of 300 characters is cut after 254: its rest, "v 7 8 9", is read as a line.
    const std::string longComment = "#" + std::string(253, 'x');
    const std::string out = read("v 1 2 3\r\nvt 0 1\r\nf 1/1 1/1 1/1\r\n" + longComment +
                                 "v 7 8 9" + std::string(39, ' ') + "\n");
    EXPECT_EQ(out, header() + objCounts(2, 0, 1, 1, 0));
    EXPECT_FLOAT_EQ(buffer().vertices[1].z, 9.0f);
}

// Rule: elements past a capacity are dropped and counted; the printed counts tell what was kept.
TEST_F(ObjReader, ElementsPastTheCapacityAreDroppedAndCounted)
{
    std::string text;
    text.reserve(3 * (MaxModelElements + 2) * 12);
    for (int i = 0; i < MaxModelElements + 2; ++i)
        text += "v 1 2 3\nvt 1 2\nvn 0 1 0\n";
    text += "f -1 -2 -3\nv 900 0 0\n";
    const std::string out = read(text);
    EXPECT_EQ(out, header() + objCounts(MaxModelElements, MaxModelElements, MaxModelElements, 1, 0));
    EXPECT_EQ(diagnostics().verticesDropped, 3);
    EXPECT_EQ(diagnostics().texCoordsDropped, 2);
    EXPECT_EQ(diagnostics().normalsDropped, 2);
    expectCorners(buffer().groups[0].triangles->v, MaxModelElements - 1, MaxModelElements - 2,
                  MaxModelElements - 3, -1);
    EXPECT_FLOAT_EQ(model().maxX, 1.0f) << "a dropped vertex does not move the bounds";
}

// Rule: with 64 materials a 65th group would be needed; its faces are dropped and counted.
TEST_F(ObjReader, FacesNeedingA65thGroupAreDropped)
{
    std::string materials;
    for (int i = 0; i < MaxMaterials + 1; ++i)
        materials += "newmtl m" + std::to_string(i) + "\n";
    const std::string lib = library("many.mtl", materials);
    const std::string out = read(std::string(FourVertices) + "mtllib " + lib +
                                 "\nf 1 2 3\nusemtl m63\nf 1 2 3\nusemtl m64\nf 1 2 3\n");
    EXPECT_EQ(out, header() + "Loading material library " + lib +
                       ": done.\n-> Number of materials:  64\n" + objCounts(4, 0, 0, 1, 0));
    EXPECT_EQ(model().materialCount, MaxMaterials);
    EXPECT_EQ(diagnostics().materialsDropped, 1);
    EXPECT_EQ(diagnostics().facesWithoutGroup, 2);
    EXPECT_EQ(faces(buffer().groups[63].triangles).size(), 1u);
}

// Rule: names are cut to 31 characters, and "usemtl" compares its word cut the same way.
TEST_F(ObjReader, LongMaterialNamesAreCutAndStillSelected)
{
    const std::string longName(40, 'n');
    const std::string lib = library("long.mtl", "newmtl other\nnewmtl " + longName + "\n");
    read(std::string(FourVertices) + "mtllib " + lib + "\nusemtl " + longName + "\nf 1 2 3\n");
    EXPECT_EQ(std::string(buffer().materialDefs[1].name), std::string(31, 'n'));
    EXPECT_EQ(diagnostics().namesCut, 1);
    EXPECT_EQ(faces(buffer().groups[1].triangles).size(), 1u);
}

TEST_F(ObjReader, ALibraryNamedThousandsOfTimesIsClosedEachTime)
{
    const std::string lib = library("again.mtl", "newmtl a\n");
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "mtllib " + lib + "\n";
    const std::string out = read(text);
    const std::string once = "Loading material library " + lib + ": done.\n-> Number of materials:  1\n";
    std::string expected = header();
    for (int i = 0; i < 3000; ++i)
        expected += once;
    EXPECT_EQ(out, expected + objCounts(0, 0, 0, 0, 0));
}

TEST_F(ObjReader, AMillionFacesAreAppendedInConstantTime)
{
    std::string text = FourVertices;
    constexpr int Faces = 1000000;
    text.reserve(text.size() + Faces * 8);
    for (int i = 0; i < Faces; ++i)
        text += "f 1 2 3\n";
    const auto start = std::chrono::steady_clock::now();
    read(text);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Walking the list for every face would take minutes; appending at the tail, well under this.
    EXPECT_LT(seconds, 20.0);
    EXPECT_EQ(buffer().triangleCount, Faces);
    const std::vector<const Face*> triangles = faces(buffer().groups[0].triangles);
    EXPECT_EQ(triangles.size(), static_cast<std::size_t>(Faces));
    EXPECT_EQ(buffer().groups[0].lastTriangle, triangles.back());
}

} // namespace
