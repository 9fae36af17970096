// The game's model files: data/ holds exactly what vantor-model-generator makes and the game's own
// readers take every file without a loss or an error line. Also the generator's TGA writer.
#include <gtest/gtest.h>

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

// The .obj, .mtl and .tga files of a folder by name, with their bytes.
std::map<std::string, std::string> modelFilesIn(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        const std::string extension = entry.path().extension().string();
        if (entry.is_regular_file() && (extension == ".obj" || extension == ".mtl" || extension == ".tga")) {
            std::ifstream in(entry.path(), std::ios::binary);
            std::stringstream bytes;
            bytes << in.rdbuf();
            files[entry.path().filename().string()] = bytes.str();
        }
    }
    return files;
}

// One run of the generator into a fresh folder, shared by every test of this file.
class GeneratedModels : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = new TempFolder;
        status_ = std::system(("'" VANTOR_MODEL_GENERATOR_PATH "' '" + folder_->file("") + "' > /dev/null").c_str());
    }
    static void TearDownTestSuite() { delete folder_; folder_ = nullptr; }
    void SetUp() override { ASSERT_EQ(status_, 0) << "vantor-model-generator failed"; }
    static fs::path folder() { return folder_->file(""); }

    // Reads a model with the game's readers, libraries from its folder; returns what they printed.
    static std::string readModel(ReadModel& read, const std::string& name)
    {
        fs::path libraryFolder = folder();
        auto open = [](const char* fileName, void* at) {
            return std::fopen((*static_cast<fs::path*>(at) / fileName).c_str(), "r");
        };
        return captureStdout([&] {
            std::FILE* file = std::fopen((folder() / name).c_str(), "r");
            ASSERT_NE(file, nullptr) << name;
            ASSERT_TRUE(readObjStream(read.model, file, open, &libraryFolder)) << name;
        });
    }

    static TempFolder* folder_;
    static int status_;
};

TempFolder* GeneratedModels::folder_ = nullptr;
int GeneratedModels::status_ = -1;

TEST_F(GeneratedModels, DataFolderHoldsExactlyWhatTheGeneratorMakes)
{
    const std::map<std::string, std::string> made = modelFilesIn(folder());
    const std::map<std::string, std::string> shipped = modelFilesIn(VANTOR_DATA_DIR);
    for (const auto& [name, bytes] : made)
        EXPECT_TRUE(shipped.count(name) == 1 && shipped.at(name) == bytes)
            << "data/" << name << " is missing or differs from what the generator makes";
    for (const auto& [name, bytes] : shipped)
        EXPECT_EQ(made.count(name), 1u) << "data/" << name << " is not made by the generator";
    for (const char* name : ModelNames)
        EXPECT_EQ(made.count(name), 1u) << name;
}

// Every line fits the readers' line buffer, every model reads without a dropped element, a bad
// index or an undrawn face, every material has faces, and every texture named decodes. Together
// the textures use both encodings and both depths, at sizes the renderer takes whole.
TEST_F(GeneratedModels, GameReadsEveryFileWhole)
{
    for (const auto& [name, bytes] : modelFilesIn(folder())) {
        std::istringstream lines(bytes);
        for (std::string line; fs::path(name).extension() != ".tga" && std::getline(lines, line);)
            EXPECT_LT(line.size(), static_cast<std::size_t>(MaxLineLength)) << name << ": " << line;
    }
    std::set<std::pair<TgaEncoding, int>> formats;
    int specularMaps = 0;
    auto powerOfTwo = [](int n) { return n > 0 && n <= 256 && (n & (n - 1)) == 0; };
    for (const char* name : ModelNames) {
        ReadModel read;
        const std::string console = readModel(read, name);
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
            const MaterialDef& def = buffer.materialDefs[i];
            EXPECT_TRUE(buffer.groups[i].triangles || buffer.groups[i].quads) << name << ": " << def.name << " has no faces";
            specularMaps += def.specularMap[0] != '\0';
            for (const char* map : {def.diffuseMap, def.ambientMap, def.specularMap}) {
                if (map[0] == '\0')
                    continue;
                std::FILE* file = std::fopen((folder() / map).c_str(), "rb");
                ASSERT_NE(file, nullptr) << map;
                TextureImage image;
                TgaPixels pixels;
                EXPECT_EQ(captureStdout([&] { EXPECT_TRUE(decodeTga(file, image, pixels)) << map; }), "") << map;
                std::fclose(file);
                EXPECT_TRUE(powerOfTwo(image.width) && powerOfTwo(image.height))
                    << map << " is " << image.width << " x " << image.height;
                formats.insert({pixels.encoding, image.bitsPerPixel});
                releaseTgaPixels(pixels);
            }
        }
    }
    EXPECT_EQ(formats.size(), 4u) << "the textures should use both encodings at both depths";
    EXPECT_GE(specularMaps, 1);
}

// The generator's run-length encoding must give the game the same pixels as its plain one, with
// packets split at 128 pixels and at the ends of rows, and blue and red in their places.
TEST(ModelGeneratorTga, RunLengthAndUncompressedDecodeToTheSamePicture)
{
    Image picture(300, 5, {0.0f, 0.0f, 0.0f});
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) // runs of every length between single odd pixels
            picture.at(x, y) = random01(x, y, 3) < 0.3f ? Color{random01(x, y, 4), 0.5f, 0.0f}
                                                        : Color{(x * (y + 1)) / 37 % 2 ? 1.0f : 0.2f, 0.0f, 0.6f};
    for (int bits : {24, 32}) {
        std::vector<std::string> decoded;
        for (TgaPacking packing : {TgaPacking::Uncompressed, TgaPacking::RunLength}) {
            std::string bytes = encodeTga(picture, bits, packing);
            std::FILE* file = fmemopen(bytes.data(), bytes.size(), "rb");
            TextureImage image;
            TgaPixels pixels;
            EXPECT_EQ(captureStdout([&] { EXPECT_TRUE(decodeTga(file, image, pixels)); }), "");
            std::fclose(file);
            EXPECT_TRUE(image.width == 300 && image.height == 5 && image.bitsPerPixel == bits);
            decoded.emplace_back(reinterpret_cast<const char*>(pixels.data), pixels.size);
            releaseTgaPixels(pixels);
        }
        ASSERT_EQ(decoded[0].size(), static_cast<std::size_t>(300 * 5 * bits / 8));
        EXPECT_TRUE(decoded[0] == decoded[1]) << bits << " bits";
        // Red first in the decoded buffer, as the picture has it.
        const Color& last = picture.at(299, 4);
        const std::size_t at = decoded[1].size() - static_cast<std::size_t>(bits / 8);
        EXPECT_EQ(static_cast<unsigned char>(decoded[1][at]), toByte(last.r));
        EXPECT_EQ(static_cast<unsigned char>(decoded[1][at + 2]), toByte(last.b));
    }
}

} // namespace
