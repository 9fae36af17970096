// vantor-model-import run for real on a model as a 3D program exports one: what it writes passes the
// model check clean, draws the same surface through the game's own reader, and carries every
// texture over with its colours, its alpha and its rows the right way up; and it ends with its
// status, writing nothing, when it cannot or must not.
#include <gtest/gtest.h>
#include <stb_image_write.h>
#include <sys/wait.h>

#include <cmath>
#include <map>
#include <set>

#include "assets/tga_decoder.h"
#include "reader_test_support.h"

namespace {

namespace fs = std::filesystem;

// Runs a command line, both streams into output; the exit status.
int run(const std::string& command, std::string& output)
{
    std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, got);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Twice the area of a polygon, from Newell's normal: the same however it is split into triangles.
double area(const std::vector<std::array<double, 3>>& p)
{
    double n[3] = {};
    for (std::size_t i = 0; i < p.size(); ++i) {
        const auto &a = p[i], &b = p[(i + 1) % p.size()];
        n[0] += (a[1] - b[1]) * (a[2] + b[2]), n[1] += (a[2] - b[2]) * (a[0] + b[0]), n[2] += (a[0] - b[0]) * (a[1] + b[1]);
    }
    return std::hypot(n[0], n[1], n[2]);
}


TEST(ModelImport, AnExportedModelComesOutCleanWithItsSurfaceAndItsTextures)
{
    // The model of tests/data/import: what it holds is said at its top.
    TempFolder in;
    for (const char* name : {"model.obj", "looks.mtl"})
        fs::copy_file(fs::path(VANTOR_IMPORT_SOURCE) / name, in.file(name));
    fs::create_directory(in.file("textures"));
    // 300 x 200 half-transparent red; a 40 x 30 JPEG; a 2 x 2 TGA with an image ID stored top row
    // first, its top left pixel green, the rest blue.
    std::vector<unsigned char> red(300 * 200 * 4), grey(40 * 30 * 3, 128);
    for (std::size_t i = 0; i < red.size(); i += 4)
        red[i] = 255, red[i + 3] = 128;
    stbi_write_png(in.file("textures/rust paint.png").c_str(), 300, 200, 4, red.data(), 300 * 4);
    stbi_write_jpg(in.file("glow.jpg").c_str(), 40, 30, 3, grey.data(), 90);
    in.write("sign.tga", std::string("\x03\0\x02\0\0\0\0\0\0\0\0\0\x02\0\x02\0\x18\x20" "ID!", 21) +
                             std::string("\0\xff\0" "\xff\0\0" "\xff\0\0" "\xff\0\0", 12));
    TempFolder out;
    std::string said, checked;
    ASSERT_EQ(run("'" VANTOR_MODEL_IMPORT_PATH "' '" + in.file("model.obj") + "' '" + out.file("") + "' --scale 2", said), 0) << said;
    for (const char* change : {"split 1 polygon of five or more corners into 5 triangles", "opacity of 1 material written as",
                               "1 face without a material", "1 material renamed", "the emission map of 1 material made",
                               "options taken off 1 texture map line", "dropped the colours of 1 vertex",
                               "scaled from 300x200 to 256x256"})
        EXPECT_NE(said.find(change), std::string::npos) << change << " in:\n" << said;
    EXPECT_EQ(run("cd '" + out.file("") + "' && '" VANTOR_MODEL_CHECK_PATH "' model.obj", checked), 0);
    EXPECT_NE(checked.find("\nmodel.obj: usable, 0 warnings\n"), std::string::npos) << checked;

    // The game's reader finds the same surface, twice the size: the area of every material's faces
    // and the positions they use.
    ReadModel read;
    const fs::path previous = fs::current_path();
    fs::current_path(out.file("")); // where the game reads its models, and their libraries
    captureStdout([&] { readObjFile(read.model, "model.obj"); });
    fs::current_path(previous);
    const ModelLoadBuffer& b = read.buffer();
    std::map<std::string, double> areas;
    std::set<std::array<double, 3>> positions;
    for (int g = 0; g < read.model.materialCount; ++g)
        for (const Face* face : {b.groups[g].triangles, b.groups[g].quads})
            for (; face; face = face->next) {
                std::vector<std::array<double, 3>> corners;
                for (int k = 0; k < 4 && face->v[k] >= 0; ++k) {
                    const Vec3& p = b.vertices[face->v[k]];
                    corners.push_back({p.x / 2, p.y / 2, p.z / 2});
                    positions.insert(corners.back());
                }
                areas[b.materialDefs[g].name] += area(corners) / 2;
            }
    const std::map<std::string, double> expected = {{"default", 0.5}, {"Brushed_Steel_Plate_With_A_Long", 4.0},
                                                    {"glass", 1.0}, {"sign", std::sqrt(3.0) / 2}};
    ASSERT_EQ(areas.size(), expected.size());
    for (const auto& [name, value] : expected)
        EXPECT_NEAR(areas[name], value, 1e-6) << name;
    EXPECT_EQ(positions.size(), 14u);
    EXPECT_TRUE(positions.count({-1, 1, 0}) == 1 && positions.count({6, 1, 1}) == 1);

    // The textures: sides scaled to powers of two, alpha kept where it is used, the bottom row first.
    const auto decoded = [&](const std::string& name, int& width, int& height, int& bits) {
        std::FILE* file = std::fopen(out.file(name).c_str(), "rb");
        TextureImage image;
        TgaPixels pixels;
        EXPECT_TRUE(file && decodeTga(file, image, pixels)) << name;
        std::vector<unsigned char> bytes(pixels.data.get(), pixels.data.get() + pixels.size);
        width = image.width, height = image.height, bits = image.bitsPerPixel;
        std::fclose(file);
        return bytes;
    };
    int w = 0, h = 0, bits = 0;
    auto paint = decoded("model_rust_paint.tga", w, h, bits);
    EXPECT_TRUE(w == 256 && h == 256 && bits == 32 && paint[0] == 255 && paint[1] == 0 && std::abs(paint[3] - 128) <= 1);
    auto glow = decoded("model_glow.tga", w, h, bits);
    EXPECT_TRUE(w == 32 && h == 32 && bits == 24 && std::abs(glow[0] - 128) <= 2);
    auto sign = decoded("model_sign.tga", w, h, bits);
    EXPECT_TRUE(w == 2 && h == 2 && bits == 24);
    EXPECT_EQ(std::vector<unsigned char>(sign.begin() + 6, sign.begin() + 9), (std::vector<unsigned char>{0, 255, 0}))
        << "the top left pixel, on the top row, last";
}

TEST(ModelImport, EndsWithItsStatusAndWritesNothingWhenItCannotOrMustNot)
{
    TempFolder in, out;
    const std::string tool = "'" VANTOR_MODEL_IMPORT_PATH "' ";
    in.write("box.obj", "mtllib box.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl a\nf 1 2 3\n");
    in.write("box.mtl", "newmtl a\nmap_Kd missing.png\n");
    std::string said;
    EXPECT_EQ(run(tool, said), 2) << said;
    EXPECT_EQ(run(tool + in.file("box.obj") + " " + out.file("") + " --name ../escape", said), 2) << said;
    EXPECT_EQ(run(tool + in.file("nothing.obj") + " " + out.file(""), said), 1) << said;
    EXPECT_EQ(run(tool + in.file("box.obj") + " " + out.file(""), said), 1) << "the texture is missing: " << said;
    EXPECT_TRUE(fs::is_empty(out.file("")) && !fs::exists(in.file("escape.obj")));
    in.write("box.mtl", "newmtl a\n");
    EXPECT_EQ(run(tool + in.file("box.obj") + " " + out.file(""), said), 0) << said;
    EXPECT_EQ(run(tool + in.file("box.obj") + " " + out.file(""), said), 1) << "it is there already: " << said;
    EXPECT_EQ(run(tool + in.file("box.obj") + " " + out.file("") + " --force --name crate", said), 0) << said;
    EXPECT_TRUE(fs::exists(out.file("box.obj")) && fs::exists(out.file("crate.mtl")));
}

} // namespace
