// The whole load pipeline on a real context: its console report, a missing file, one file loaded
// twice, the renderer check; and the grapple beam leaving the glow maps alone.
#include <GL/glu.h>
#include <unistd.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "../unit/reader_test_support.h"
#include "assets/load_report.h"
#include "assets/model_loader.h"
#include "game/frame.h"
#include "gl_fixture.h"
#include "render/draw_model.h"
#include "sim/car.h"
#include "sim/world_draw.h"

// Faults on demand, as a machine out of memory gives them: GLU's mipmap build (linked wrapped) and
// the n-th allocation through the global operator new.
namespace {
bool mipmapBuildFails = false;
GLuint textureOfFailedBuild = 0;
long allocationsBeforeFailure = -1; // -1: none fails

bool allocationFails() { return allocationsBeforeFailure >= 0 && allocationsBeforeFailure-- == 0; }
void* allocate(std::size_t size) { return allocationFails() ? nullptr : std::malloc(size == 0 ? 1 : size); }
} // namespace

extern "C" GLint __real_gluBuild2DMipmaps(GLenum, GLint, GLsizei, GLsizei, GLenum, GLenum, const void*);
extern "C" GLint __wrap_gluBuild2DMipmaps(GLenum target, GLint components, GLsizei width, GLsizei height,
                                          GLenum format, GLenum type, const void* data)
{
    if (!mipmapBuildFails)
        return __real_gluBuild2DMipmaps(target, components, width, height, format, type, data);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, reinterpret_cast<GLint*>(&textureOfFailedBuild));
    return GLU_OUT_OF_MEMORY;
}

void* operator new(std::size_t size)
{
    if (void* p = allocate(size))
        return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
// Kept out of line, where the compiler would otherwise see a new paired with a free.
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

// Runs the call in the folder of the small test scene, whose files name each other relatively.
class InSceneFolder : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(std::string(VANTOR_TEST_DATA) + "/scene");
    }
    void TearDown() override
    {
        std::filesystem::current_path(previous_);
        GlTest::TearDown();
    }

private:
    std::filesystem::path previous_;
};

TEST_F(InSceneFolder, AWholeLoadReportsEachFileInOrderAndEndsWithAnEmptyLine)
{
    Model model;
    bool loaded = false;
    const std::string console = captureStdout([&] { loaded = loadModel(model, "model_buildings.obj", 1.0f); });
    EXPECT_TRUE(loaded);
    // The file has one library with one material, 8 positions, 4 texture coordinates, 3 quads,
    // and one run-length 4 x 4 texture.
    EXPECT_EQ(console,
              "Loading model model_buildings.obj: done.\n"
              "Loading material library model_buildings.mtl: done.\n"
              "-> Number of materials:  1\n"
              "-> Number of vertices:   8\n"
              "-> Number of normals:    0\n"
              "-> Number of tex coords: 4\n"
              "-> Number of triangles:  0\n"
              "-> Number of quads:      3\n"
              "Loading texture windows.tga: done.\n"
              "-> Format of texture:    RLE Compressed.\n"
              "-> Width of texture:     4\n"
              "-> Height of texture:    4\n"
              "-> Bitdepth of texture:  24\n"
              "Completed loading model model_buildings.obj.\n\n");
    EXPECT_EQ(model.loadBuffer, nullptr) << "no load-time data is kept";
    ASSERT_EQ(model.materialCount, 1);
    EXPECT_TRUE(model.materials[0].hasAmbientTexture);
    EXPECT_TRUE(glIsList(model.materials[0].faceList));
    EXPECT_EQ(model.scale, 1.0f);
}

TEST_F(InSceneFolder, AMissingFileLeavesAFreshModelThatDrawsNothing)
{
    Model model;
    bool loaded = true;
    const std::string console = captureStdout([&] { loaded = loadModel(model, "no_such_model.obj", 2.5f); });
    EXPECT_FALSE(loaded);
    EXPECT_EQ(console, "Loading model no_such_model.obj: error, file not found!\n");
    EXPECT_TRUE(model.materialCount == 0 && model.materials == nullptr && model.loadBuffer == nullptr);
    EXPECT_EQ(model.scale, 2.5f);
    drawModel(model);
    const Rgb seen = centrePixel();
    EXPECT_EQ(seen.r + seen.g + seen.b, 0);
}

TEST_F(InSceneFolder, OneFileLoadedTwiceGetsListsAndTexturesOfItsOwnEachTime)
{
    Model first, second;
    const std::string console = captureStdout([&] {
        loadModel(first, "model_buildings.obj", 1.0f);
        loadModel(second, "model_buildings.obj", 1.0f);
    });
    EXPECT_EQ(console.find("Completed loading model model_buildings.obj."),
              console.rfind("Completed loading model model_buildings.obj.") - console.size() / 2)
        << "two identical reports, one after the other";
    ASSERT_EQ(first.materialCount, 1);
    ASSERT_EQ(second.materialCount, 1);
    EXPECT_NE(first.materials[0].faceList, second.materials[0].faceList);
    EXPECT_NE(first.materials[0].ambientTexture.textureId, second.materials[0].ambientTexture.textureId);
    unloadModel(first);
    EXPECT_TRUE(glIsList(second.materials[0].faceList)) << "unloading one leaves the other whole";
    EXPECT_TRUE(glIsTexture(second.materials[0].ambientTexture.textureId));
}

TEST_F(InSceneFolder, AFailedMipmapBuildLeavesTheMaterialWithoutThatMapAndNoTextureBehind)
{
    Model model;
    mipmapBuildFails = true;
    const std::string console = captureStdout([&] { loadModel(model, "model_buildings.obj", 1.0f); });
    mipmapBuildFails = false;
    EXPECT_NE(console.find("Loading texture windows.tga: error, unable to allocate memory!\n"
                           "Completed loading model model_buildings.obj.\n"),
              std::string::npos)
        << console;
    ASSERT_EQ(model.materialCount, 1);
    EXPECT_FALSE(model.materials[0].hasAmbientTexture);
    EXPECT_EQ(model.materials[0].ambientTexture.textureId, 0u);
    EXPECT_TRUE(textureOfFailedBuild != 0 && !glIsTexture(textureOfFailedBuild)) << "its name was deleted";
}

// Each allocation of a load fails in turn: nothing is thrown, and where the edge trees ran out only
// the outline is missing.
TEST_F(InSceneFolder, RunningOutOfMemoryAnywhereInALoadThrowsNothing)
{
    bool outlineLost = false;
    for (long failing = 0;; ++failing) {
        Model model;
        bool allSucceeded = false;
        captureStdout([&] {
            allocationsBeforeFailure = failing;
            loadModel(model, "model_car.obj", 0.2f); // inside the view, so no line is clipped
            allSucceeded = allocationsBeforeFailure >= 0;
            allocationsBeforeFailure = -1;
        });
        ASSERT_EQ(model.loadBuffer, nullptr);
        if (model.materialCount == 0)
            continue; // no buffer or no materials: the model draws nothing
        ASSERT_TRUE(model.materials[0].smoothEdges && glIsList(model.materials[0].faceList));
        const GLuint edges = model.materials[0].edgeList;
        outlineLost = outlineLost || edges == 0;
        if (edges != 0) {
            EXPECT_EQ(feedbackOf(edges).size(), 12u) << "the box's twelve edges";
        }
        if (allSucceeded) {
            EXPECT_NE(edges, 0u);
            break;
        }
    }
    EXPECT_TRUE(outlineLost) << "no allocation of the edge trees failed";
}

TEST(RendererCheck, OnlyTheTwoSpellingsOfOneOldRendererLoseEdgeLists)
{
    for (const char* yes : {"ATI Rage 128", "ATi Rage 128", "ATI Rage 128 Pro OpenGL Engine"})
        EXPECT_TRUE(rendererCannotDrawEdgeLists(yes)) << yes;
    for (const char* no : {"ATI RAGE 128", "ATI Rage 12", "llvmpipe (LLVM 15.0.6, 256 bits)", ""})
        EXPECT_FALSE(rendererCannotDrawEdgeLists(no)) << no;
    EXPECT_FALSE(rendererCannotDrawEdgeLists(nullptr));
}

TEST_F(InSceneFolder, TheGrappleBeamLeavesTheGlowMapsAsTheyWere)
{
    Model glowing;
    captureStdout([&] { loadModel(glowing, "model_buildings.obj", 1.0f / 150.0f); });
    if (quadric == nullptr)
        quadric = gluNewQuadric();
    // The building's front, scaled down, fills the middle of the window. The emission is black,
    // as the world drawing sets it before its models.
    const auto drawProbe = [&glowing] {
        const float noEmission[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, noEmission);
        glDisable(GL_BLEND);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(0.0f, -1.0f, 0.5f);
        drawModel(glowing);
        return centrePixel();
    };
    const Rgb before = drawProbe();
    EXPECT_GT(before.r, 100) << "the glow map shows";

    car = Car{};
    car.grappleAttached = true;
    car.anchor = {-2.0f, 100.0f, 2350.0f, 1.0f};
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 4.0 / 3.0, 1.0, 10000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(-2.0, 10.0, -36.0, -2.0, 1.0, 4.0, 0.0, 1.0, 0.0);
    drawWorld();
    car.grappleAttached = false;

    const Rgb after = drawProbe();
    EXPECT_TRUE(after.r == before.r && after.g == before.g && after.b == before.b);
}

// The game's own models, loaded and unloaded whole: every list and texture goes with the unload,
// and, in the sanitizer build, every byte the load allocated is freed by then.
TEST_F(GlTest, TheShippedModelsLoadAndUnloadWithoutLeavingAnythingBehind)
{
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(VANTOR_DATA_DIR);
    const char* files[] = {"model_ground_block.obj", "model_car.obj", "model_buildings.obj", "model_grapple_point.obj"};
    for (const char* file : files) {
        std::vector<GLuint> lists, textures;
        {
            Model model;
            const std::string console = captureStdout([&] { EXPECT_TRUE(loadModel(model, file, 1.0f)) << file; });
            EXPECT_EQ(console.find("error"), std::string::npos) << console;
            for (int i = 0; i < model.materialCount; ++i) {
                const Material& m = model.materials[i];
                for (GLuint list : {m.faceList, m.edgeList})
                    if (list != 0)
                        lists.push_back(list);
                for (const TextureImage* t : {&m.diffuseTexture, &m.ambientTexture, &m.specularTexture})
                    if (t->textureId != 0)
                        textures.push_back(t->textureId);
            }
            EXPECT_FALSE(lists.empty());
        } // the model's destructor unloads it
        for (GLuint list : lists)
            EXPECT_FALSE(glIsList(list)) << file;
        for (GLuint texture : textures)
            EXPECT_FALSE(glIsTexture(texture)) << file;
    }
    std::filesystem::current_path(previous);
}

} // namespace
