// Whole model loads on a real context: the console report, a missing file, the renderer that gets
// outlines drawn as lines, and loads that run out of memory anywhere.
#include <filesystem>
#include <string>

#include "../unit/reader_test_support.h"
#include "assets/model_loader.h"
#include "assets/obj_reader.h"
#include "gl_fixture.h"
#include "render/draw_model.h"

namespace {

// Runs the call in the folder of the small test scene, whose files name each other relatively.
class InSceneFolder : public GlTest {
protected: void SetUp() override
    {
        GlTest::SetUp();
        std::filesystem::current_path(std::string(VANTOR_TEST_DATA) + "/scene");
    }
    void TearDown() override
    {
        std::filesystem::current_path(previous_);
        GlTest::TearDown();
    }

private: std::filesystem::path previous_ = std::filesystem::current_path();
};

TEST_F(InSceneFolder, AWholeLoadReportsEachFileInOrderAndKeepsOnlyItsLists)
{
    Model model;
    bool loaded = false;
    const std::string console = captureStdout([&] { loaded = loadModel(model, "model_buildings.obj", 1.0f); });
    EXPECT_TRUE(loaded);
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
    EXPECT_TRUE(model.materials[0].hasAmbientTexture && glIsList(model.materials[0].faceList));

    Model missing;
    EXPECT_EQ(captureStdout([&] { loaded = loadModel(missing, "no_such_model.obj", 2.5f); }),
              "Loading model no_such_model.obj: error, file not found!\n");
    EXPECT_TRUE(!loaded && missing.materialCount == 0 && missing.materials == nullptr && missing.scale == 2.5f);
    drawModel(missing); // draws nothing
    EXPECT_EQ(countNear({0, 0, 0}, 0, 0, 0, 640, 480), 640 * 480);
}

TEST_F(InSceneFolder, OnlyTheTwoSpellingsOfOneOldRendererGetOutlinesAsLines)
{
    for (auto [renderer, lines] : {std::pair{"ATI Rage 128", true}, {"ATi Rage 128", true}, {"ATI Rage 128 Pro OpenGL Engine", true},
                                   {"ATI RAGE 128", false}, {"ATI Rage 12", false}, {"llvmpipe (LLVM 15.0.6, 256 bits)", false},
                                   {"", false}, {nullptr, false}})
        EXPECT_EQ(rendererCannotDrawEdgeLists(renderer), lines) << (renderer ? renderer : "none");
    // The scene's car asks for an outline: an edge list, or on that renderer none.
    for (bool edgeLists : {true, false}) {
        Model car;
        car.useEdgeLists = edgeLists;
        captureStdout([&] { loadModel(car, "model_car.obj", 1.0f); });
        ASSERT_EQ(car.materialCount, 1);
        EXPECT_TRUE(car.materials[0].smoothEdges && (car.materials[0].edgeList != 0) == edgeLists) << edgeLists;
    }
}

TEST_F(InSceneFolder, AFailedMipmapBuildLeavesTheMaterialWithoutThatMapAndNoTextureBehind)
{
    Model model;
    texturesWhileBuildsFail[0] = texturesWhileBuildsFail[1] = 0;
    mipmapBuildFails = true;
    const std::string console = captureStdout([&] { loadModel(model, "model_buildings.obj", 1.0f); });
    mipmapBuildFails = false;
    EXPECT_NE(console.find("Loading texture windows.tga: error, unable to allocate memory!\n"
                           "Completed loading model model_buildings.obj.\n"),
              std::string::npos) << console;
    ASSERT_EQ(model.materialCount, 1);
    EXPECT_TRUE(!model.materials[0].hasAmbientTexture && model.materials[0].ambientTexture.textureId == 0 &&
                textureOfFailedBuild != 0 && !glIsTexture(textureOfFailedBuild)) << "its name was deleted";
    EXPECT_TRUE(texturesWhileBuildsFail[0] == 1 && texturesWhileBuildsFail[1] == 1) << "one name, deleted again";
}

// Each allocation of a load fails in turn: nothing is thrown, and where the edge trees ran out only
// the outline is missing.
TEST_F(InSceneFolder, RunningOutOfMemoryAnywhereInALoadThrowsNothing)
{
    bool outlineLost = false;
    for (long failing = 0;; ++failing) {
        Model model;
        bool allSucceeded = false;
        long leftAllocated = 0;
        const std::string console = captureStdout([&] {
            allocationsBeforeFailure = failing;
            leftAllocated = -liveAllocations;
            loadModel(model, "model_car.obj", 0.2f); // inside the view, so no line is clipped
            leftAllocated += liveAllocations;
            allSucceeded = allocationsBeforeFailure >= 0;
            allocationsBeforeFailure = -1;
        });
        EXPECT_LE(leftAllocated, 1) << "only the materials stay allocated";
        if (failing == 0) {
            EXPECT_EQ(console, "Loading model model_car.obj: error, unable to allocate memory!\n") << "the load buffer";
        }
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

    // Whichever allocation of the reading fails, every face is kept or counted as dropped.
    const auto facesOf = [](ModelLoadBuffer& b) { return b.triangleCount + b.quadCount + b.diagnostics.facesNotAllocated; };
    ReadModel whole;
    captureStdout([&] { readObjFile(whole.model, "model_car.obj"); });
    bool done = false;
    for (long failing = 0; !done; ++failing) {
        ReadModel read;
        captureStdout([&] {
            allocationsBeforeFailure = failing;
            readObjFile(read.model, "model_car.obj");
            done = allocationsBeforeFailure >= 0;
            allocationsBeforeFailure = -1;
        });
        if (read.model.loadBuffer != nullptr) {
            EXPECT_EQ(facesOf(read.buffer()), facesOf(whole.buffer())) << "allocation " << failing << " failing";
        }
    }
}

} // namespace
