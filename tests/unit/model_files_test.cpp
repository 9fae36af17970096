// The game's model files: data/ holds exactly what vantor-model-generator makes, the game's own
// readers take every file without a loss or an error line, and each model keeps the place and size
// the scene gives it. Also the generator's TGA writer against the game's decoder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "assets/line_reader.h"
#include "assets/tga_decoder.h"
#include "reader_test_support.h"
#include "tools/model_generator/tga_writer.h"

namespace {

namespace fs = std::filesystem;

const char* const ModelNames[] = {"model_car.obj", "model_ground_block.obj", "model_buildings.obj",
                                  "model_grapple_point.obj"};

std::string readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool isModelFile(const fs::path& path)
{
    const std::string extension = path.extension().string();
    return extension == ".obj" || extension == ".mtl" || extension == ".tga";
}

// The model files of a folder by name, with their bytes.
std::map<std::string, std::string> modelFilesIn(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file() && isModelFile(entry.path()))
            files[entry.path().filename().string()] = readBytes(entry.path());
    return files;
}

// One run of the generator into a fresh folder, shared by every test of this file.
class GeneratedModels : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = new TempFolder;
        const std::string command = std::string("'") + VANTOR_MODEL_GENERATOR_PATH + "' '" + folder_->file("") +
                                    "' > /dev/null";
        status_ = std::system(command.c_str());
    }
    static void TearDownTestSuite()
    {
        delete folder_;
        folder_ = nullptr;
    }
    void SetUp() override { ASSERT_EQ(status_, 0) << "vantor-model-generator failed"; }

    static fs::path folder() { return folder_->file(""); }

private:
    static TempFolder* folder_;
    static int status_;
};

TempFolder* GeneratedModels::folder_ = nullptr;
int GeneratedModels::status_ = -1;

// Library files opened from the generated folder, as the game opens them from its working folder.
std::FILE* openInFolder(const char* fileName, void* folder)
{
    return std::fopen((*static_cast<fs::path*>(folder) / fileName).c_str(), "r");
}

// Reads a model with the game's OBJ and MTL readers and returns what they printed.
std::string readModel(ReadModel& read, const fs::path& folder, const std::string& name)
{
    fs::path libraryFolder = folder;
    return captureStdout([&] {
        std::FILE* file = std::fopen((folder / name).c_str(), "r");
        ASSERT_NE(file, nullptr) << name;
        ASSERT_TRUE(readObjStream(read.model, file, openInFolder, &libraryFolder)) << name;
    });
}

struct Bounds {
    float min[3] = {1e30f, 1e30f, 1e30f};
    float max[3] = {-1e30f, -1e30f, -1e30f};
};

Bounds boundsOf(const ModelLoadBuffer& buffer)
{
    Bounds b;
    for (int i = 0; i < buffer.vertexCount; ++i) {
        const float p[3] = {buffer.vertices[i].x, buffer.vertices[i].y, buffer.vertices[i].z};
        for (int axis = 0; axis < 3; ++axis) {
            b.min[axis] = std::min(b.min[axis], p[axis]);
            b.max[axis] = std::max(b.max[axis], p[axis]);
        }
    }
    return b;
}

bool isPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

} // namespace

TEST_F(GeneratedModels, DataFolderHoldsExactlyWhatTheGeneratorMakes)
{
    const std::map<std::string, std::string> made = modelFilesIn(folder());
    const std::map<std::string, std::string> shipped = modelFilesIn(VANTOR_DATA_DIR);
    for (const auto& [name, bytes] : made) {
        const auto found = shipped.find(name);
        if (found == shipped.end())
            ADD_FAILURE() << "data/ lacks " << name << "; run vantor-model-generator data";
        else
            EXPECT_TRUE(found->second == bytes) << "data/" << name << " differs from what the generator makes";
    }
    for (const auto& [name, bytes] : shipped)
        EXPECT_TRUE(made.count(name) == 1) << "data/" << name << " is not made by the generator";
    for (const char* name : ModelNames)
        EXPECT_TRUE(made.count(name) == 1) << name;
}

// Every line fits the readers' line buffer, every model reads without a dropped element, a bad
// index or an undrawn face, every material has faces, and every texture named decodes. Together
// the textures use both encodings and both depths, at sizes the renderer takes whole.
TEST_F(GeneratedModels, GameReadsEveryFileWhole)
{
    std::set<std::pair<TgaEncoding, int>> formats;
    int specularMaps = 0;
    for (const auto& [name, bytes] : modelFilesIn(folder())) {
        if (fs::path(name).extension() == ".tga")
            continue;
        std::istringstream lines(bytes);
        for (std::string line; std::getline(lines, line);)
            EXPECT_LT(line.size(), static_cast<std::size_t>(MaxLineLength)) << name << ": " << line;
    }
    for (const char* name : ModelNames) {
        ReadModel read;
        const std::string console = readModel(read, folder(), name);
        EXPECT_EQ(console.find("error"), std::string::npos) << console;
        const ModelLoadBuffer& buffer = read.buffer();
        const LoadDiagnostics& d = buffer.diagnostics;
        EXPECT_EQ(d.verticesDropped + d.texCoordsDropped + d.normalsDropped + d.materialsDropped + d.namesCut +
                      d.facesDropped + d.texCoordSetsDropped + d.normalSetsDropped + d.facesWithoutGroup +
                      d.undrawnFaces + d.librariesNotFound,
                  0)
            << name;
        ASSERT_GE(read.model.materialCount, 1) << name;
        for (int i = 0; i < read.model.materialCount; ++i) {
            const FaceGroup& group = buffer.groups[i];
            EXPECT_TRUE(group.triangles != nullptr || group.quads != nullptr)
                << name << ": material " << buffer.materialDefs[i].name << " has no faces";
            const MaterialDef& def = buffer.materialDefs[i];
            specularMaps += def.specularMap[0] != '\0';
            for (const char* map : {def.diffuseMap, def.ambientMap, def.specularMap}) {
                if (map[0] == '\0')
                    continue;
                std::FILE* file = std::fopen((folder() / map).c_str(), "rb");
                ASSERT_NE(file, nullptr) << map;
                TextureImage image;
                TgaPixels pixels;
                std::string console = captureStdout([&] { EXPECT_TRUE(decodeTga(file, image, pixels)) << map; });
                std::fclose(file);
                EXPECT_EQ(console, "") << map;
                EXPECT_TRUE(isPowerOfTwo(image.width) && isPowerOfTwo(image.height) && image.width <= 256 &&
                            image.height <= 256)
                    << map << " is " << image.width << " x " << image.height;
                formats.insert({pixels.encoding, image.bitsPerPixel});
                releaseTgaPixels(pixels);
            }
        }
    }
    EXPECT_EQ(formats.size(), 4u) << "the textures should use both encodings at both depths";
    EXPECT_GE(specularMaps, 1);
}

// Where the scene puts each model, and what it draws around or relies on.
TEST_F(GeneratedModels, ModelsFitThePlacesTheSceneGivesThem)
{
    constexpr float Tolerance = 0.001f;
    constexpr int X = 0, Y = 1, Z = 2;
    {
        // The car stands on its wheels at the origin, nose toward +z; its rear face lies just in
        // front of the tail-light panels the game draws at z = -2.1 and covers them entirely.
        ReadModel read;
        readModel(read, folder(), "model_car.obj");
        const ModelLoadBuffer& buffer = read.buffer();
        const Bounds b = boundsOf(buffer);
        EXPECT_NEAR(b.min[Y], 0.0f, 0.01f);
        EXPECT_GT(b.max[Z], 1.0f);
        EXPECT_GT(b.min[Z], -2.1f);
        EXPECT_LT(b.min[Z], -2.05f);
        Bounds rear;
        for (int i = 0; i < buffer.vertexCount; ++i) {
            const Vec3& p = buffer.vertices[i];
            if (p.z > b.min[Z] + Tolerance)
                continue;
            rear.min[X] = std::min(rear.min[X], p.x);
            rear.max[X] = std::max(rear.max[X], p.x);
            rear.min[Y] = std::min(rear.min[Y], p.y);
            rear.max[Y] = std::max(rear.max[Y], p.y);
        }
        EXPECT_LE(rear.min[X], -0.8f);
        EXPECT_GE(rear.max[X], 0.8f);
        EXPECT_LE(rear.min[Y], 0.145f);
        EXPECT_GE(rear.max[Y], 1.345f);
        bool glass = false, smoothShaded = false, outlined = false;
        for (int i = 0; i < read.model.materialCount; ++i) {
            glass |= buffer.materialDefs[i].transparency < 1.0f;
            smoothShaded |= buffer.materialDefs[i].smoothNormals != 0;
            outlined |= buffer.materialDefs[i].smoothEdges != 0;
        }
        EXPECT_TRUE(glass && smoothShaded && outlined);
    }
    {
        // The ground lies at or below the origin and, 20000 times larger, reaches past the far
        // plane, 10000 units away, on every side.
        ReadModel read;
        readModel(read, folder(), "model_ground_block.obj");
        const Bounds b = boundsOf(read.buffer());
        EXPECT_LE(b.max[Y], 0.0f);
        for (int axis : {X, Z}) {
            EXPECT_LE(b.min[axis] * 20000.0f, -10000.0f);
            EXPECT_GE(b.max[axis] * 20000.0f, 10000.0f);
        }
    }
    {
        // A block of the city fits its 400-unit slot, stands on the ground, looks at the track
        // along +z from z = 0 back, and has windows that glow.
        ReadModel read;
        readModel(read, folder(), "model_buildings.obj");
        const Bounds b = boundsOf(read.buffer());
        EXPECT_GE(b.min[X], -200.0f);
        EXPECT_LE(b.max[X], 200.0f);
        EXPECT_NEAR(b.min[Y], 0.0f, Tolerance);
        EXPECT_LE(b.max[Z], 0.0f);
        bool glows = false;
        for (int i = 0; i < read.model.materialCount; ++i)
            glows |= read.buffer().materialDefs[i].ambientMap[0] != '\0';
        EXPECT_TRUE(glows);
    }
    {
        // The grapple point is exactly its solid box: half-edge 1 here, 3 at the game's scale.
        ReadModel read;
        readModel(read, folder(), "model_grapple_point.obj");
        const Bounds b = boundsOf(read.buffer());
        for (int axis : {X, Y, Z}) {
            EXPECT_NEAR(b.min[axis], -1.0f, Tolerance);
            EXPECT_NEAR(b.max[axis], 1.0f, Tolerance);
        }
    }
}

// The generator's run-length encoding must give the game the same pixels as its plain one, with
// packets split at 128 pixels and at the ends of rows, and blue and red in their places.
TEST(ModelGeneratorTga, RunLengthAndUncompressedDecodeToTheSamePicture)
{
    Image picture(300, 5, {0.0f, 0.0f, 0.0f});
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            // Runs of every length from 1 to past 128 between single odd pixels.
            const int band = (x * (y + 1)) / 37;
            picture.at(x, y) = random01(x, y, 3) < 0.3f ? Color{random01(x, y, 4), 0.5f, 0.0f}
                                                        : Color{band % 2 ? 1.0f : 0.2f, 0.0f, 0.6f};
        }
    for (int bits : {24, 32}) {
        std::vector<std::string> decoded;
        for (TgaPacking packing : {TgaPacking::Uncompressed, TgaPacking::RunLength}) {
            std::string bytes = encodeTga(picture, bits, packing);
            std::FILE* file = fmemopen(bytes.data(), bytes.size(), "rb");
            ASSERT_NE(file, nullptr);
            TextureImage image;
            TgaPixels pixels;
            const std::string console = captureStdout([&] { EXPECT_TRUE(decodeTga(file, image, pixels)); });
            std::fclose(file);
            EXPECT_EQ(console, "");
            EXPECT_EQ(image.width, picture.width());
            EXPECT_EQ(image.height, picture.height());
            EXPECT_EQ(image.bitsPerPixel, bits);
            decoded.emplace_back(reinterpret_cast<const char*>(pixels.data), pixels.size);
            releaseTgaPixels(pixels);
        }
        ASSERT_EQ(decoded[0].size(), static_cast<std::size_t>(picture.width() * picture.height() * bits / 8));
        EXPECT_TRUE(decoded[0] == decoded[1]) << bits << " bits";
        // Red first in the decoded buffer, as the picture has it.
        const Color& last = picture.at(picture.width() - 1, picture.height() - 1);
        const std::size_t at = decoded[1].size() - static_cast<std::size_t>(bits / 8);
        EXPECT_EQ(static_cast<unsigned char>(decoded[1][at]), toByte(last.r));
        EXPECT_EQ(static_cast<unsigned char>(decoded[1][at + 2]), toByte(last.b));
    }
}
