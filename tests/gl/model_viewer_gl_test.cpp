// The model viewer's scene on a real context: reloading leaves exactly one model's display lists,
// textures and memory behind, and the outline switch holds across reloads.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "../unit/reader_test_support.h"
#include "gl_fixture.h"
#include "tools/model_view/viewer.h"

namespace {

// The viewer moves into the model's folder; each test puts the working folder back.
class ModelViewerTest : public GlTest {
protected:
    void TearDown() override
    {
        std::filesystem::current_path(previous_);
        GlTest::TearDown();
    }
    static std::string scene(const char* file) { return std::string(VANTOR_TEST_DATA) + "/scene/" + file; }

private:
    std::filesystem::path previous_ = std::filesystem::current_path();
};

// Display lists and textures that exist, counted over every name the tests can have made.
struct LiveNames {
    int lists = 0, textures = 0;
    bool operator==(const LiveNames&) const = default;
};
LiveNames liveNames()
{
    LiveNames live;
    for (GLuint name = 1; name <= 20000; ++name) {
        live.lists += glIsList(name) ? 1 : 0;
        live.textures += glIsTexture(name) ? 1 : 0;
    }
    return live;
}

TEST_F(ModelViewerTest, EachReloadReadsTheFilesAgainAndLeavesOneModelsWorthBehind)
{
    // The buildings have a texture; the car has an edge list.
    for (const char* file : {"model_buildings.obj", "model_car.obj"}) {
        const LiveNames before = liveNames();
        {
            std::unique_ptr<ModelViewer> viewer;
            const std::string console = captureStdout([&] { viewer = std::make_unique<ModelViewer>(scene(file), 1.0f); });
            ASSERT_NE(console.find("Completed loading model " + std::string(file)), std::string::npos) << console;
            const LiveNames loaded = liveNames();
            EXPECT_GT(loaded.lists, before.lists) << file;
            const long allocations = liveAllocations;
            for (int reload = 0; reload < 3; ++reload) {
                EXPECT_EQ(captureStdout([&] { viewer->reload(); }), console) << file;
                EXPECT_EQ(liveNames(), loaded) << file << " reload " << reload;
                EXPECT_EQ(liveAllocations, allocations) << file << " reload " << reload;
            }
        }
        EXPECT_EQ(liveNames(), before) << file << ": closing the viewer deletes them all";
    }
}

// The outline pass draws with its own depth offset: from the edge list with faces filled, or from
// the face list with polygons drawn as lines.
std::vector<GLint> outlinePolygonModes(const ModelViewer& viewer)
{
    listCalls.clear();
    recordListCalls = true;
    viewer.draw(640, 480);
    recordListCalls = false;
    std::vector<GLint> modes;
    for (const ListCall& call : listCalls)
        if (call.offsetUnits == 3.0f)
            modes.push_back(call.polygonMode);
    return modes;
}

TEST_F(ModelViewerTest, TheOutlineSwitchHoldsAcrossReloads)
{
    std::unique_ptr<ModelViewer> viewer;
    captureStdout([&] { viewer = std::make_unique<ModelViewer>(scene("model_car.obj"), 1.0f); });
    const std::vector<GLint> edgeLines = {GL_FILL}, facesAsLines = {GL_LINE};
    EXPECT_TRUE(viewer->edgeLines()) << "this renderer draws edge lists";
    EXPECT_EQ(outlinePolygonModes(*viewer), edgeLines);
    viewer->toggleOutlines();
    EXPECT_EQ(outlinePolygonModes(*viewer), facesAsLines);
    captureStdout([&] { viewer->reload(); });
    EXPECT_EQ(outlinePolygonModes(*viewer), facesAsLines);
    viewer->toggleOutlines(); // the reload built the edge lists all the same
    EXPECT_EQ(outlinePolygonModes(*viewer), edgeLines);
}

} // namespace
