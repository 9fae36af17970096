// The model viewer's scene on a real context: reloading leaves exactly one model's display lists,
// textures and memory behind, the outline switch holds across reloads, and every view frames the
// model.
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
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

// From any side, the camera looks at the middle of the model's bounds, which hold the origin, from
// far enough that every corner of them is in the picture and near enough that they fill much of it.
TEST_F(ModelViewerTest, EveryViewCentresTheModelsBoundsAndFitsThemInThePicture)
{
    double low[3] = {}, high[3] = {};
    std::ifstream obj(scene("model_car.obj"));
    for (std::string line; std::getline(obj, line);) {
        double p[3];
        if (std::sscanf(line.c_str(), "v %lf %lf %lf", &p[0], &p[1], &p[2]) == 3)
            for (int i = 0; i < 3; ++i)
                low[i] = std::min(low[i], p[i]), high[i] = std::max(high[i], p[i]);
    }
    std::unique_ptr<ModelViewer> viewer;
    captureStdout([&] { viewer = std::make_unique<ModelViewer>(scene("model_car.obj"), 1.0f); });
    constexpr int Width = 320, Height = 240;
    for (const auto& [yaw, pitch] : {std::pair{30.0f, 20.0f}, {200.0f, -5.0f}, {95.0f, 120.0f}, {-60.0f, -89.0f}}) {
        viewer->setView(yaw, pitch);
        viewer->draw(Width, Height);
        double view[16], projection[16], x = 0, y = 0, z = 0, farthest = 0;
        const GLint viewport[4] = {0, 0, Width, Height};
        glGetDoublev(GL_MODELVIEW_MATRIX, view);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        gluProject((low[0] + high[0]) / 2, (low[1] + high[1]) / 2, (low[2] + high[2]) / 2, view, projection, viewport, &x, &y, &z);
        EXPECT_TRUE(std::abs(x - Width / 2.0) < 0.01 && std::abs(y - Height / 2.0) < 0.01) << yaw << ", " << pitch << ": " << x << " " << y;
        for (int corner = 0; corner < 8; ++corner) {
            gluProject(corner & 1 ? high[0] : low[0], corner & 2 ? high[1] : low[1], corner & 4 ? high[2] : low[2], view,
                       projection, viewport, &x, &y, &z);
            EXPECT_TRUE(x >= 0 && x <= Width && y >= 0 && y <= Height && z > 0 && z < 1) << yaw << ", " << pitch << ", corner " << corner;
            farthest = std::max({farthest, std::abs(x - Width / 2.0) / (Width / 2.0), std::abs(y - Height / 2.0) / (Height / 2.0)});
        }
        EXPECT_GT(farthest, 0.5) << yaw << ", " << pitch << ": the model is a speck";
    }
}

} // namespace
