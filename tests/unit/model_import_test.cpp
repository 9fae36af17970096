// vantor-model-import run for real on models as 3D programs export them: what it writes passes the
// model check clean, draws the same surface through the game's own reader, wound and turned the
// way its author made it, in the colours, opacity and maps the author meant, with every texture
// carried over with its colours, its alpha and its rows the right way up; what it drops or cannot
// find it says; and it ends with its status, writing nothing, when it cannot or must not.
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
using Point = std::array<double, 3>;
using Colour = std::array<int, 3>;

// Runs a command line, both streams into output; the exit status.
int run(const std::string& command, std::string& output)
{
    output.clear();
    std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, got);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Newell's normal of a polygon: the way its corners turn faces, twice its area long, the same
// however it is split into triangles.
Point newell(const std::vector<Point>& p)
{
    Point n = {};
    for (std::size_t i = 0; i < p.size(); ++i) {
        const auto &a = p[i], &b = p[(i + 1) % p.size()];
        n[0] += (a[1] - b[1]) * (a[2] + b[2]), n[1] += (a[2] - b[2]) * (a[0] + b[0]), n[2] += (a[0] - b[0]) * (a[1] + b[1]);
    }
    return n;
}

double dot(const Point& a, const Point& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// A face as the game reads it: its material, its corners and, where the file gives them, the
// normal of its first corner.
struct ReadFace {
    std::string material;
    std::vector<Point> corners;
    std::optional<Point> normal;
};

// A picture of 16 x 16 pixels in one colour, a JPEG or a PNG by its name.
void paint(const TempFolder& folder, const std::string& name, const Colour& colour)
{
    fs::create_directories(fs::path(folder.file(name)).parent_path());
    std::vector<unsigned char> pixels;
    for (int i = 0; i < 16 * 16; ++i)
        pixels.insert(pixels.end(), colour.begin(), colour.end());
    if (fs::path(name).extension() == ".jpg")
        stbi_write_jpg(folder.file(name).c_str(), 16, 16, 3, pixels.data(), 95);
    else
        stbi_write_png(folder.file(name).c_str(), 16, 16, 3, pixels.data(), 16 * 3);
}

// One of the exports of tests/data/import, copied with the pictures its materials name made here,
// made ready by the real importer and read back with the game's own reader.
class Imported {
public:
    Imported(const std::string& folder, const std::string& obj, const std::function<void(const TempFolder&)>& pictures,
             const std::string& options = "")
    {
        fs::copy(fs::path(VANTOR_IMPORT_SOURCE) / folder, in.file(""), fs::copy_options::recursive);
        pictures(in);
        status = run("'" VANTOR_MODEL_IMPORT_PATH "' '" + in.file(obj) + "' '" + out.file("") + "' --name model " + options, said);
        if (status != 0)
            return;
        const fs::path previous = fs::current_path();
        fs::current_path(out.file("")); // where the game reads its models, and their libraries
        captureStdout([&] { readObjFile(read.model, "model.obj"); });
        fs::current_path(previous);
        const ModelLoadBuffer& b = read.buffer();
        for (int g = 0; g < read.model.materialCount; ++g)
            for (const Face* face : {b.groups[g].triangles, b.groups[g].quads})
                for (; face; face = face->next) {
                    faces.push_back({b.materialDefs[g].name, {}, {}});
                    for (int k = 0; k < 4 && face->v[k] >= 0; ++k)
                        faces.back().corners.push_back({b.vertices[face->v[k]].x, b.vertices[face->v[k]].y, b.vertices[face->v[k]].z});
                    if (face->vn[0] >= 0)
                        faces.back().normal = Point{b.normals[face->vn[0]].x, b.normals[face->vn[0]].y, b.normals[face->vn[0]].z};
                }
    }

    bool says(const std::string& text) const { return said.find(text) != std::string::npos; }

    const MaterialDef& material(const std::string& name)
    {
        for (int g = 0; g < read.model.materialCount; ++g)
            if (name == read.buffer().materialDefs[g].name)
                return read.buffer().materialDefs[g];
        ADD_FAILURE() << "no material " << name << " in:\n" << said;
        static MaterialDef none{};
        return none;
    }

    // A texture written, its pixels from the bottom row; a few zero bytes where it cannot be read.
    struct Texture {
        int width = 0, height = 0, bits = 0;
        std::vector<unsigned char> pixels = std::vector<unsigned char>(16);
        Colour colour() const { return {pixels[0], pixels[1], pixels[2]}; }
    };
    Texture texture(const std::string& name)
    {
        std::FILE* file = std::fopen(out.file(name).c_str(), "rb");
        TextureImage image;
        TgaPixels pixels;
        Texture texture;
        EXPECT_TRUE(file && decodeTga(file, image, pixels)) << name << " in:\n" << said;
        if (file)
            std::fclose(file);
        if (pixels.data)
            texture = {image.width, image.height, image.bitsPerPixel, {pixels.data.get(), pixels.data.get() + pixels.size}};
        return texture;
    }

    // What the model check says of what was written.
    std::string checked()
    {
        std::string text;
        run("cd '" + out.file("") + "' && '" VANTOR_MODEL_CHECK_PATH "' model.obj", text);
        return text;
    }

    TempFolder in, out;
    int status = -1;
    std::string said;
    ReadModel read;
    std::vector<ReadFace> faces;
};

// Every face faces the way its author wound it: along its normals where the file gives them.
void expectWoundAsNormals(const Imported& model)
{
    for (const ReadFace& face : model.faces)
        EXPECT_GT(face.normal ? dot(newell(face.corners), *face.normal) : 1.0, 0) << "a face of " << face.material << " wound backwards";
}

bool near(const Colour& a, const Colour& b, int tolerance = 12)
{
    return std::abs(a[0] - b[0]) <= tolerance && std::abs(a[1] - b[1]) <= tolerance && std::abs(a[2] - b[2]) <= tolerance;
}

TEST(ModelImport, AnExportedModelComesOutCleanWithItsSurfaceAndItsTextures)
{
    // The model of tests/data/import: what it holds is said at its top. Its pictures: 300 x 200
    // half-transparent red; a 40 x 30 JPEG; a 2 x 2 TGA with an image ID stored top row first, its
    // top left pixel green, the rest blue.
    Imported model("", "model.obj", [](const TempFolder& in) {
        fs::create_directory(in.file("textures"));
        std::vector<unsigned char> red(300 * 200 * 4), grey(40 * 30 * 3, 128);
        for (std::size_t i = 0; i < red.size(); i += 4)
            red[i] = 255, red[i + 3] = 128;
        stbi_write_png(in.file("textures/rust paint.png").c_str(), 300, 200, 4, red.data(), 300 * 4);
        stbi_write_jpg(in.file("glow.jpg").c_str(), 40, 30, 3, grey.data(), 90);
        in.write("sign.tga", std::string("\x03\0\x02\0\0\0\0\0\0\0\0\0\x02\0\x02\0\x18\x20" "ID!", 21) +
                                 std::string("\0\xff\0" "\xff\0\0" "\xff\0\0" "\xff\0\0", 12));
    }, "--scale 2");
    ASSERT_EQ(model.status, 0) << model.said;
    for (const char* change : {"split 1 polygon of five or more corners into 5 triangles", "opacity of 1 material written as",
                               "1 face without a material", "1 material renamed to one word of at most 31 characters",
                               "the emission map of 1 material made", "options taken off 1 texture map line",
                               "dropped the colours of 1 vertex", "scaled from 300x200 to 256x256",
                               "dropped 3 object, group and smoothing-group lines", "1 position line with missing",
                               "1 face with texture coordinates or normals at only some corners kept without them",
                               "dropped 1 material no face uses"})
        EXPECT_TRUE(model.says(change)) << change << " in:\n" << model.said;
    EXPECT_NE(model.checked().find("\nmodel.obj: usable, 0 warnings\n"), std::string::npos) << model.checked();

    // The game's reader finds the same surface, twice the size: the area of every material's faces
    // and the positions they use; every face of the model faces +z, as it was wound.
    std::map<std::string, double> areas;
    std::set<Point> positions;
    for (const ReadFace& face : model.faces) {
        std::vector<Point> corners;
        for (const Point& p : face.corners)
            corners.push_back({p[0] / 2, p[1] / 2, p[2] / 2}), positions.insert(corners.back());
        const Point n = newell(corners);
        EXPECT_GE(n[2], 0) << "a face of " << face.material << " wound backwards";
        areas[face.material] += std::hypot(n[0], n[1], n[2]) / 2;
    }
    const std::map<std::string, double> expected = {{"default", 0.5}, {"Brushed_Steel_Plate_With_A_Long", 4.0},
                                                    {"glass-2.5", 1.0}, {"sign", std::sqrt(3.0) / 2}};
    ASSERT_EQ(areas.size(), expected.size());
    for (const auto& [name, value] : expected)
        EXPECT_NEAR(areas[name], value, 1e-6) << name;
    EXPECT_EQ(positions.size(), 14u);
    EXPECT_TRUE(positions.count({-1, 1, 0}) == 1 && positions.count({6, 1, 1}) == 1);
    // Opacity "d 0.25" is the game's "Tr 0.25"; shininess 500 of 1000 is 64 of OpenGL's 128.
    EXPECT_FLOAT_EQ(model.material("glass-2.5").transparency, 0.25f);
    EXPECT_FLOAT_EQ(model.material("sign").transparency, 1.0f);
    EXPECT_FLOAT_EQ(model.material("Brushed_Steel_Plate_With_A_Long").shininess, 64.0f);
    EXPECT_TRUE(model.material("glass-2.5").smoothEdges == 1 && model.material("sign").smoothNormals == 1);
    // A material without "Kd" stays as white as the game makes such a material.
    const float* plain = model.material("glass-2.5").diffuse;
    EXPECT_TRUE(plain[0] == 1.0f && plain[1] == 1.0f && plain[2] == 1.0f);

    // The textures: sides scaled to powers of two, alpha kept where it is used, the bottom row first.
    const auto paint = model.texture("model_rust_paint.tga"), glow = model.texture("model_glow.tga"), sign = model.texture("model_sign.tga");
    EXPECT_TRUE(paint.width == 256 && paint.height == 256 && paint.bits == 32 && paint.pixels[0] == 255 && paint.pixels[1] == 0 &&
                std::abs(paint.pixels[3] - 128) <= 1);
    EXPECT_TRUE(glow.width == 32 && glow.height == 32 && glow.bits == 24 && std::abs(glow.pixels[0] - 128) <= 2);
    EXPECT_TRUE(sign.width == 2 && sign.height == 2 && sign.bits == 24 && sign.pixels[6] == 0 && sign.pixels[7] == 255 && sign.pixels[8] == 0)
        << "the top left pixel, on the top row, last";
}

TEST(ModelImport, ExportsOfRealProgramsComeOutAsTheirAuthorsMadeThem)
{
    // Each export, with the pictures it names painted here, imports without fault, wound as its
    // normals say, passes the check clean and says what it changed, found and dropped.
    struct Export {
        const char* folder;
        const char* obj;
        std::vector<std::pair<const char*, Colour>> pictures;
        const char* options;
        std::vector<const char*> says;
    };
    const Export exports[] = {
        // 3ds Max, z up, its front (red, "Material #25") toward -y and its back (blue, "Material
        // #26") toward +y, turned by --up z; pictures named by a Windows path, one not there at
        // all; the colour map again in map_Ka.
        {"max", "road_sign.obj", {{"road_d.jpg", {200, 30, 30}}}, "--up z",
         {"warning: texture \"G:\\models\\back_d.jpg\" not found: material Material__26 is drawn without its colour map",
          "texture \"G:\\models\\road_d.jpg\" found as ", "dropped map_Ka of 2 materials", "material library \"road_sign.mtl\" found as ",
          "dropped Tf of 2 materials", "turned from +z up and -y forward"}},
        // MeshLab writes "Tr 1" on a solid material, and names its picture in another case.
        {"meshlab", "cow.obj", {{"cow_texture.png", {40, 90, 200}}}, "",
         {"1 material that would not show at all", "texture \"Cow_Texture.PNG\" found as "}},
        // Blender writes a white ambient colour, or its metallic value (the nose); names its
        // picture by a path on the author's machine, the picture lying in a folder below.
        {"blender", "racer.obj", {{"textures/paint.png", {230, 230, 230}}}, "",
         {"texture \"/home/someone/racer/textures/paint.png\" found as ", "ambient colour of 3 materials made its diffuse colour",
          "dropped map_Bump of 1 material", "dropped Ni of 3 materials"}},
        // A game engine's exporter: names distinct past a '#', a byte-order mark, "d 0" on a solid
        // material, the emission map beside a reflection in map_Ka, every map the game does not draw;
        // the emission map named in a folder of another case, a picture of that name in another
        // folder too.
        {"engine", "kart.obj", {{"maps/lamps.png", {250, 220, 40}}, {"a/lamps.png", {20, 20, 200}}, {"shine.png", {255, 255, 255}}}, "",
         {"dropped map_d of 2 materials", "dropped bump of 1 material", "dropped map_Bump of 1 material", "dropped map_Ns of 1",
          "dropped refl of 1", "dropped disp of 1", "dropped norm of 1", "dropped map_Ka of 1"}},
    };
    std::map<std::string, std::unique_ptr<Imported>> imported;
    for (const Export& e : exports) {
        auto& model = imported[e.folder] = std::make_unique<Imported>(e.folder, e.obj, [&](const TempFolder& in) {
            for (const auto& [name, colour] : e.pictures)
                paint(in, name, colour);
        }, e.options);
        ASSERT_EQ(model->status, 0) << model->said;
        for (const char* line : e.says)
            EXPECT_TRUE(model->says(line)) << line << " in:\n" << model->said;
        EXPECT_TRUE(!model->says("no face uses") && !model->says("# line") && !model->says("emission colour Ke") &&
                    !model->says("naming elements that are not there"))
            << model->said;
        EXPECT_NE(model->checked().find("model.obj: usable, 0 warnings"), std::string::npos) << model->checked();
        expectWoundAsNormals(*model);
    }

    // Max stands upright, its front toward the game's +z; two materials still, one without the map
    // it lost; the copy of the colour map in map_Ka glows nowhere.
    Imported& max = *imported["max"];
    for (const ReadFace& face : max.faces)
        EXPECT_GT(newell(face.corners)[2] * (face.material == "Material__25" ? 1 : -1), 0) << face.material;
    const MaterialDef &front = max.material("Material__25"), &back = max.material("Material__26");
    EXPECT_TRUE(front.diffuse[0] > 0.8f && back.diffuse[2] > 0.8f);
    EXPECT_TRUE(front.ambientMap[0] == '\0' && back.ambientMap[0] == '\0' && back.diffuseMap[0] == '\0');
    EXPECT_TRUE(near(max.texture(front.diffuseMap).colour(), {200, 30, 30}));

    // MeshLab's "Tr 1", read as the standard's 1 - d, would not show at all: it stays solid; its
    // grey ambient colour is the author's.
    const MaterialDef& cow = imported["meshlab"]->material("material_0");
    EXPECT_TRUE(cow.transparency == 1.0f && cow.ambient[0] == 0.2f);
    EXPECT_TRUE(near(imported["meshlab"]->texture(cow.diffuseMap).colour(), {40, 90, 200}));

    // Under the game's light, where a face shows a fifth of its ambient colour besides its diffuse
    // one, each Blender material keeps its own hue (the nose yellow, the black tail black).
    Imported& blender = *imported["blender"];
    for (const char* name : {"Nose", "Paint", "Tail"}) {
        const MaterialDef& m = blender.material(name);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(0.2f * m.ambient[c] + m.diffuse[c], 1.2f * m.diffuse[c], 1e-6) << name << " channel " << c;
    }
    EXPECT_TRUE(near(blender.texture(blender.material("Paint").diffuseMap).colour(), {230, 230, 230}));

    // The engine's two materials stay two; no Ka is as good as a white one; "d 0" keeps a
    // material solid and "Tr 0.25" is 1 - d; only the emission map glows.
    Imported& engine = *imported["engine"];
    const MaterialDef &green = engine.material("_StandardMaterial3D_12_"), &red = engine.material("_StandardMaterial3D_14_");
    EXPECT_TRUE(green.diffuse[1] > 0.5f && red.diffuse[0] > 0.5f && std::equal(green.ambient, green.ambient + 3, green.diffuse));
    EXPECT_TRUE(green.transparency == 1.0f && red.transparency == 0.75f);
    EXPECT_TRUE(near(engine.texture(green.ambientMap).colour(), {250, 220, 40}));
}

TEST(ModelImport, TurnsAnyUpAndForwardToTheGamesAxesWithoutAMirror)
{
    // Each pair of --up and --forward along different axes brings the unit point on the up axis to
    // +y and the one on the forward axis to +z, and keeps the triangle facing along its normal.
    const char* const names[] = {"-x", "-y", "-z", "x", "+y", "+z"};
    for (int up = 0; up < 6; ++up)
        for (int forward = 0; forward < 6; ++forward) {
            if (up % 3 == forward % 3)
                continue;
            Imported axes("axes", "axes.obj", [](const TempFolder&) {}, std::string("--up ") + names[up] + " --forward " + names[forward]);
            ASSERT_TRUE(axes.status == 0 && axes.faces.size() == 1) << axes.said;
            const std::vector<Point>& unit = axes.faces[0].corners;
            EXPECT_TRUE(unit[up % 3] == (Point{0, up < 3 ? -1.0 : 1.0, 0}) && unit[forward % 3] == (Point{0, 0, forward < 3 ? -1.0 : 1.0}))
                << names[up] << " up, " << names[forward] << " forward";
            expectWoundAsNormals(axes);
        }
}

TEST(ModelImport, EndsWithItsStatusAndWritesNothingWhenItCannotOrMustNot)
{
    TempFolder in, out;
    const std::string tool = "'" VANTOR_MODEL_IMPORT_PATH "' ";
    in.write("box.obj", "mtllib box.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl a\nf 1 2 3\n");
    in.write("box.mtl", "newmtl a\nKd 1 0 0\n");
    std::string said;
    EXPECT_EQ(run(tool, said), 2) << said;
    EXPECT_EQ(run(tool + "--help", said), 0) << said;
    EXPECT_EQ(said.rfind("usage: vantor-model-import SOURCE.obj TARGET_FOLDER", 0), 0u) << said;
    for (const char* refused : {"--name ../escape", "--scale -1", "--scale 0", "--up w", "--up z --forward -z", "--max-texture 0"})
        EXPECT_EQ(run(tool + in.file("box.obj") + " " + out.file("") + " " + refused, said), 2) << refused << ": " << said;
    EXPECT_EQ(run(tool + in.file("nothing.obj") + " " + out.file(""), said), 1) << said;
    EXPECT_TRUE(fs::is_empty(out.file("")) && !fs::exists(in.file("escape.obj")));
    EXPECT_EQ(run(tool + in.file("box.obj") + " " + out.file(""), said), 0) << said;
    EXPECT_EQ(run(tool + in.file("box.obj") + " " + out.file(""), said), 1) << "it is there already: " << said;
    in.write("box.mtl", "newmtl a\nKd 0 0 1\n");
    EXPECT_EQ(run(tool + in.file("box.obj") + " " + out.file("") + " --force", said), 0) << said;
    std::ifstream replaced(out.file("box.mtl"));
    EXPECT_NE(std::string(std::istreambuf_iterator<char>(replaced), {}).find("Kd 0 0 1"), std::string::npos) << "--force replaces";
    // A file that cannot be written is a failure, said: here a folder stands where the model goes.
    TempFolder blocked;
    fs::create_directory(blocked.file("box.obj"));
    EXPECT_EQ(run(tool + in.file("box.obj") + " " + blocked.file("") + " --force", said), 1) << said;
    EXPECT_NE(said.find("vantor-model-import: cannot write " + blocked.file("box.obj")), std::string::npos) << said;

    // A library that is not there costs the faces their material, not the model; a line longer
    // than any a model needs, a face of more corners than are split and faces whose indices name
    // no position read (trailing junk, 0, past the last, counted back past the first) are dropped,
    // and said.
    std::string huge = "f";
    for (int i = 0; i <= 1000; ++i)
        huge += " " + std::to_string(1 + i % 3);
    in.write("lost.obj", "mtllib Lost Library.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\n#" + std::string(70000, '=') + "\nusemtl a\nf 1 2 3\n" + huge +
                        "\nf 1 2 3x\nf 0 1 2\nf 1 2 4\nf -4 1 2\n");
    EXPECT_EQ(run(tool + in.file("lost.obj") + " " + out.file(""), said), 0) << said;
    for (const char* line : {"warning: material library \"Lost Library.mtl\" not found", "dropped 1 line longer than 65536 characters",
                             "dropped 1 face of more than 1000 corners", "dropped 4 faces naming elements that are not there"})
        EXPECT_NE(said.find(line), std::string::npos) << said;

    // A model past the game's limits is refused where it passes them, not after the rest of the
    // file: here at its 25,001st face, which brings the 75,001st position, of 26,000.
    std::string big;
    for (int i = 0; i < 3 * 26000; ++i)
        big += "v " + std::to_string(i) + " 0 1\n";
    for (int i = 0; i < 26000; ++i)
        big += "f " + std::to_string(3 * i + 1) + " " + std::to_string(3 * i + 2) + " " + std::to_string(3 * i + 3) + "\n";
    in.write("big.obj", big);
    EXPECT_EQ(run(tool + in.file("big.obj") + " " + out.file(""), said), 1) << said;
    EXPECT_NE(said.find("uses more than 75000 positions in its faces; the game reads at most 75000 (line " +
                        std::to_string(3 * 26000 + 25001) + ")"), std::string::npos) << said;

    // A file with more values of one kind than any model the game can draw uses is refused too.
    std::string many;
    for (int i = 0; i <= 4 * 75000; ++i)
        many += "vt 0\n";
    in.write("many.obj", many);
    EXPECT_EQ(run(tool + in.file("many.obj") + " " + out.file(""), said), 1) << said;
    EXPECT_NE(said.find("holds more than 300000 texture coordinates"), std::string::npos) << said;

    // A source named at length gives a model named short enough for the game's lines: what is
    // written passes its own check.
    const std::string longName(248, 'n');
    fs::copy_file(in.file("box.obj"), in.file(longName + ".obj"));
    EXPECT_EQ(run(tool + in.file(longName + ".obj") + " " + out.file(""), said), 0) << said;
    const std::string written = longName.substr(0, 64) + ".obj";
    EXPECT_EQ(run("cd '" + out.file("") + "' && '" VANTOR_MODEL_CHECK_PATH "' " + written, said), 0) << said;
    EXPECT_NE(said.find(written + ": usable, 0 warnings"), std::string::npos) << said;
}

} // namespace
