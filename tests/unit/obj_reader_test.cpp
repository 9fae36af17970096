// The OBJ and MTL readers. One fixture per tricky model in tests/data/obj, whose "#>" lines say what
// the read must leave, in order: its console output byte for byte and the lines of the report
// below on the load buffer. Here too: missing files, files past the capacities, and buffers read
// one after another.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "reader_test_support.h"
#include "render/edge_lists.h"
#include "render/normals.h"

namespace {

namespace fs = std::filesystem;

// What a read left in the model and its buffer, in the words the fixtures use; then, after the
// normals pass and the edge trees, each face's corner normals and each group's edges in drawing
// order, their normals made unit length as the edge lists have them.
std::string report(Model& model)
{
    ModelLoadBuffer& b = *model.loadBuffer;
    std::ostringstream out;
    const auto vec = [&out](Vec3 v) { out << " (" << v.x + 0.0f << " " << v.y + 0.0f << " " << v.z + 0.0f << ")"; };
    out << "model: " << model.materialCount << " materials, bounds x " << model.minX << " " << model.maxX << " y "
        << model.minY << " " << model.maxY << " z " << model.minZ << " " << model.maxZ << ", extent " << model.extent << "\n";
    const auto elements = [&out](const char* name, const Vec3* table, int count) {
        for (int i = 0; i < count; ++i)
            out << name << " " << i << ": " << table[i].x << " " << table[i].y << " " << table[i].z << "\n";
    };
    elements("vertex", b.vertices, b.vertexCount);
    elements("texcoord", b.texCoords, b.texCoordCount);
    elements("normal", b.normals, b.normalCount);
    computeNormals(model);
    buildEdgeTrees(model);
    for (int g = 0; g < MaxMaterials; ++g) {
        FaceGroup& group = b.groups[g];
        int counts[2] = {};
        for (int kind = 0; kind < 2; ++kind)
            for (const Face* f = kind == 0 ? group.triangles : group.quads; f; f = f->next)
                ++counts[kind];
        if (group.materialIndex == -1 && counts[0] + counts[1] == 0)
            continue;
        out << "group " << g << " (material " << group.materialIndex << "): " << counts[0] << " triangles, " << counts[1] << " quads\n";
        for (int kind = 0; kind < 2; ++kind)
            for (const Face* f = kind == 0 ? group.triangles : group.quads; f; f = f->next) {
                out << (kind == 0 ? "triangle" : "quad");
                for (const std::int32_t* set : {f->v, f->vt, f->vn})
                    out << " " << set[0] << " " << set[1] << " " << set[2] << " " << set[3] << " |";
                out << " " << f->hasNormals << "\nnormals";
                for (int k = 0; k < 3 + kind; ++k)
                    vec(f->hasNormals != 0 ? cornerNormal(b, *f, k) : f->faceNormal);
                out << "\n";
            }
        out << "edges " << group.edgeCount << "\n";
        for (EdgeNode& e : edgesInDrawingOrder(group)) {
            normalize(e.loNormal);
            normalize(e.hiNormal);
            out << "edge " << e.lo << " " << e.hi << ", texture coordinates " << e.loTexCoord << " " << e.hiTexCoord << ", normals";
            vec(e.loNormal);
            vec(e.hiNormal);
            out << "\n";
        }
    }
    releaseEdgeTrees(model);
    for (int i = 0; i < model.materialCount; ++i) {
        const MaterialDef& d = b.materialDefs[i];
        out << "material " << i << " \"" << d.name << "\": Ka " << d.ambient[0] << " " << d.ambient[1] << " " << d.ambient[2]
            << ", Kd " << d.diffuse[0] << " " << d.diffuse[1] << " " << d.diffuse[2] << ", Ks " << d.specular[0] << " "
            << d.specular[1] << " " << d.specular[2] << ", Tr " << d.transparency << ", Ns " << d.shininess << ", Smooth "
            << d.smoothEdges << ", Normal " << d.smoothNormals << ", maps \"" << d.diffuseMap << "\" \"" << d.ambientMap
            << "\" \"" << d.specularMap << "\"\n";
    }
    const LoadDiagnostics& d = b.diagnostics;
    const std::pair<const char*, std::int64_t> counts[] = {
        {"vertices dropped", d.verticesDropped}, {"texture coordinates dropped", d.texCoordsDropped},
        {"normals dropped", d.normalsDropped}, {"materials dropped", d.materialsDropped}, {"names cut", d.namesCut},
        {"faces dropped", d.facesDropped}, {"texture-coordinate sets dropped", d.texCoordSetsDropped},
        {"normal sets dropped", d.normalSetsDropped}, {"faces without a group", d.facesWithoutGroup},
        {"faces never drawn", d.undrawnFaces}, {"faces not allocated", d.facesNotAllocated},
        {"libraries not found", d.librariesNotFound}, {"read error", d.readError}};
    out << "counts:\n"; // every count below must be expected: one too many is a fault too
    for (const auto& [name, count] : counts)
        if (count != 0)
            out << name << " " << count << "\n";
    return out.str();
}

TEST(ObjReader, EachFixtureReadsAsItsExpectedLinesSay)
{
    const fs::path previous = fs::current_path();
    fs::current_path(VANTOR_OBJ_FIXTURES); // the fixtures name their libraries relatively
    int fixtures = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(".")) {
        if (entry.path().extension() != ".obj")
            continue;
        ++fixtures;
        const std::string name = entry.path().filename().string();
        ReadModel read;
        std::vector<std::string> expected;
        std::ifstream fixture(entry.path());
        for (std::string line; std::getline(fixture, line);) {
            if (line.rfind("#> ", 0) == 0)
                expected.push_back(line.substr(3));
            if (line.rfind("#! scale ", 0) == 0)
                read.model.scale = std::stof(line.substr(9));
        }
        const std::string console = captureStdout([&] { EXPECT_TRUE(readObjFile(read.model, name.c_str())); });
        const std::string whole = console + report(read.model);
        std::istringstream lines(whole);
        std::vector<std::string> got;
        for (std::string line; std::getline(lines, line);)
            got.push_back(line);
        auto at = got.begin();
        for (const std::string& line : expected) {
            at = std::find(at, got.end(), line);
            if (at == got.end()) {
                ADD_FAILURE() << name << ": no line \"" << line << "\" where expected in:\n" << whole;
                break;
            }
        }
        for (auto count = std::find(got.begin(), got.end(), "counts:"); count != got.end(); ++count)
            if (*count != "counts:" && std::find(expected.begin(), expected.end(), *count) == expected.end())
                ADD_FAILURE() << name << ": an unexpected \"" << *count << "\"";
    }
    fs::current_path(previous);
    EXPECT_GT(fixtures, 5) << "no fixtures in " VANTOR_OBJ_FIXTURES;
}

TEST(ObjReader, MissingFilesEmptyFilesAndBuffersReadOneAfterAnother)
{
    TempFolder folder;
    ReadModel read;
    // A directory opens but cannot be read: reported as not found, not as an empty model.
    fs::create_directory(folder.file("folder.obj"));
    for (const std::string& path : {folder.file("missing.obj"), folder.file("folder.obj")}) {
        bool result = true;
        EXPECT_EQ(captureStdout([&] { result = readObjFile(read.model, path.c_str()); }),
                  "Loading model " + path + ": error, file not found!\n");
        EXPECT_TRUE(!result && read.model.loadBuffer == nullptr && read.model.materialCount == 0);
    }
    // A library closed again each time it is read, or 4096 would run out of files; then another
    // model's read, into memory the first one's buffer held, starts from the defaults.
    {
        std::string text = "mtllib " + folder.write("look.mtl", "newmtl a\nnewmtl b\nKd 0 0 0\nTr 0\nSmooth 1\nmap_Ka a.tga\n") + "\n";
        for (int i = 0; i < 12; ++i)
            text += text;
        ReadModel first;
        const std::string console = captureStdout([&] { readObjFile(first.model, folder.write("a.obj", text).c_str()); });
        EXPECT_EQ(std::count(console.begin(), console.end(), '\n'), 2 * 4096 + 6);
    }
    ReadModel second;
    captureStdout([&] { readObjFile(second.model, folder.write("b.obj", "mtllib " + folder.write("c.mtl", "newmtl c\nnewmtl d\n")).c_str()); });
    const std::string r = report(second.model);
    EXPECT_EQ(r.substr(r.find("material 1 ")), "material 1 \"d\": Ka 1 1 1, Kd 1 1 1, Ks 1 1 1, Tr 1, Ns 1, Smooth 0, Normal 0, maps \"\" \"\" \"\"\ncounts:\n");
    EXPECT_EQ(captureStdout([&] { readObjFile(read.model, folder.write("empty.obj", "").c_str()); }),
              "Loading model " + folder.file("empty.obj") + ": done.\n" + objCounts(0, 0, 0, 0, 0));
    EXPECT_EQ(read.model.materialCount, 1) << "one default material";
}

// Also 300,000 faces, each appended at the tail of its list in constant time.
TEST(ObjReader, ElementsPastTheCapacityAreDroppedAndCounted)
{
    constexpr int Faces = 300000;
    std::string text;
    for (int i = 0; i < MaxModelElements + 2; ++i)
        text += "v 1 2 3\nvt 1 2\nvn 0 1 0\n";
    text += "f -1 -2 -3\nv 900 0 0\n";
    for (int i = 0; i < Faces; ++i)
        text += "f 1 2 3\n";
    TempFolder folder;
    ReadModel read;
    const std::string path = folder.write("big.obj", text);
    EXPECT_EQ(captureStdout([&] { readObjFile(read.model, path.c_str()); }),
              "Loading model " + path + ": done.\n" + objCounts(MaxModelElements, MaxModelElements, MaxModelElements, Faces + 1, 0));
    const std::string r = report(read.model);
    EXPECT_NE(r.find("bounds x 0 1 y 0 2 z 0 3"), std::string::npos) << "a dropped vertex does not move the bounds";
    EXPECT_NE(r.find("group 0 (material -1): 300001 triangles, 0 quads\ntriangle 74999 74998 74997 -1 |"), std::string::npos);
    EXPECT_NE(r.find("vertices dropped 3\ntexture coordinates dropped 2\nnormals dropped 2\n"), std::string::npos);
}

} // namespace
