// What a model's display lists emit and how drawModel's passes look, on a real OpenGL context.
#include <GL/gl.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "../unit/model_builder.h"
#include "gl_fixture.h"
#include "render/draw_model.h"
#include "render/edge_lists.h"
#include "render/normals.h"

namespace {

// Writes an uncompressed 24-bit TGA of one colour.
std::string writeSolidTga(const std::string& name, unsigned char r, unsigned char g, unsigned char b)
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() / name;
    std::ofstream out(path, std::ios::binary);
    const unsigned char header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0};
    out.write(reinterpret_cast<const char*>(header), sizeof header);
    for (int i = 0; i < 4; ++i)
        out << b << g << r; // stored blue first
    return path.string();
}

// A square filling the window, facing the light, with texture coordinates at its corners.
Face& addScreenQuad(ModelBuilder& b, int material)
{
    const int p0 = b.vertex(-1, -1, 0), p1 = b.vertex(1, -1, 0), p2 = b.vertex(1, 1, 0), p3 = b.vertex(-1, 1, 0);
    const int t0 = b.texCoord(0, 0), t1 = b.texCoord(1, 0), t2 = b.texCoord(1, 1), t3 = b.texCoord(0, 1);
    b.useMaterial(material);
    return b.face({p0, p1, p2, p3}, {t0, t1, t2, t3});
}

// The load pipeline's middle, on a hand-made buffer.
void buildModel(ModelBuilder& b)
{
    computeNormals(b.model);
    buildEdgeTrees(b.model);
    b.model.materials = new Material[static_cast<std::size_t>(b.model.materialCount)]();
    buildDisplayLists(b.model);
    buildEdgeLists(b.model);
    releaseEdgeTrees(b.model);
}

class DrawModel : public GlTest {
protected:
    MaterialDef& def(int material) { return b.buffer().materialDefs[material]; }
    void build() { buildModel(b); }
    ModelBuilder b;
};

TEST_F(DrawModel, AFaceListSendsEveryCornerWithItsNormalAndTexCoord)
{
    // Colours under the one light from +z tell the normals apart: with the default material's
    // diffuse 0.8 and no ambient light, red is 0.8 times the normal's z.
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, std::array<float, 4>{0, 0, 0, 1}.data());
    const int a = b.vertex(0, 0, 0), c = b.vertex(0.5f, 0, 0), d = b.vertex(0, 0.5f, 0), e = b.vertex(0.5f, 0.5f, 0);
    const int up = b.normal(0, 0, 1), tilted = b.normal(0, 0.6f, 0.8f), down = b.normal(0, 0, -1);
    const int t0 = b.texCoord(0.25f, 0.5f), t1 = b.texCoord(0.75f, 0.125f);
    // Triangles and quads in groups of their own: this software renderer's feedback of a list
    // drops the primitives after its first non-empty block.
    b.useMaterial(0);
    b.face({a, c, d}, {t0, -1, t1}); // flat; its middle corner keeps t0
    b.useMaterial(1);
    b.face({a, c, e, d}, {}, {up, tilted, down, up}); // normals per corner, no texture coordinates
    build();

    const auto triangle = feedbackOf(b.model.materials[0].faceList);
    ASSERT_EQ(triangle.size(), 1u);
    ASSERT_EQ(triangle[0].vertices.size(), 3u);
    for (const FedVertex& v : triangle[0].vertices)
        EXPECT_NEAR(v.r, 0.8f, 0.01f) << "the flat normal holds for every corner";
    EXPECT_FLOAT_EQ(triangle[0].vertices[0].s, 0.25f);
    EXPECT_FLOAT_EQ(triangle[0].vertices[1].s, 0.25f) << "a corner without a coordinate keeps the current one";
    EXPECT_FLOAT_EQ(triangle[0].vertices[2].s, 0.75f);

    const auto quad = feedbackOf(b.model.materials[1].faceList);
    ASSERT_EQ(quad.size(), 2u) << "a quad, split in two";
    int cornersSeen = 0;
    for (const FedPrimitive& p : quad) {
        ASSERT_EQ(p.kind, static_cast<GLenum>(GL_POLYGON_TOKEN));
        for (const FedVertex& v : p.vertices) {
            ++cornersSeen;
            EXPECT_FLOAT_EQ(v.s, 0.75f) << "no coordinate sent: the last one stays";
            const bool right = v.x > 400.0f, top = v.y > 300.0f; // window coordinates
            const float expected = right ? (top ? 0.0f : 0.64f) : 0.8f;
            EXPECT_NEAR(v.r, expected, 0.01f) << "corner at " << v.x << ", " << v.y;
        }
    }
    EXPECT_EQ(cornersSeen, 6);
}

TEST_F(DrawModel, AnEdgeListDrawsEachDistinctEdgeOnceFromItsLowerIndex)
{
    const int p0 = b.vertex(-0.5f, -0.5f, 0), p1 = b.vertex(0.5f, -0.5f, 0), p2 = b.vertex(0.5f, 0.5f, 0);
    const int p3 = b.vertex(-0.5f, 0.5f, 0);
    b.useMaterial(0, false, true);
    b.face({p0, p1, p2});
    b.face({p2, p3, p0}); // shares the edge p0-p2, walked the other way
    b.useMaterial(1);     // no outline asked: no edge list
    b.face({p0, p1, p2});
    build();
    EXPECT_EQ(b.model.materials[1].edgeList, 0u);
    const auto lines = feedbackOf(b.model.materials[0].edgeList);
    ASSERT_EQ(lines.size(), 5u);
    for (const FedPrimitive& line : lines) {
        ASSERT_EQ(line.kind, static_cast<GLenum>(GL_LINE_TOKEN));
        ASSERT_EQ(line.vertices.size(), 2u);
    }
    // The first line is the first edge added, p0 to p1, lo end first (window coordinates).
    EXPECT_NEAR(lines[0].vertices[0].x, 160.0f, 0.5f);
    EXPECT_NEAR(lines[0].vertices[0].y, 120.0f, 0.5f);
    EXPECT_NEAR(lines[0].vertices[1].x, 480.0f, 0.5f);
}

TEST_F(DrawModel, BaseColourTransparencyAndTheTextureMaps)
{
    // Four one-material models: grey; grey and half transparent; a red diffuse map; grey with a
    // white specular map.
    const std::string redMap = writeSolidTga("vantor-gl-red.tga", 255, 0, 0);
    const std::string whiteMap = writeSolidTga("vantor-gl-white.tga", 255, 255, 255);
    ModelBuilder models[4];
    Rgb seen[4];
    for (int i = 0; i < 4; ++i) {
        addScreenQuad(models[i], 0);
        MaterialDef& m = models[i].buffer().materialDefs[0];
        m.ambient[0] = m.ambient[1] = m.ambient[2] = 0;
        m.diffuse[0] = m.diffuse[1] = m.diffuse[2] = (i == 2) ? 1.0f : 0.5f;
        if (i == 1)
            m.transparency = 0.5f;
        if (i == 2)
            std::snprintf(m.diffuseMap, sizeof m.diffuseMap, "%s", redMap.c_str());
        if (i == 3)
            std::snprintf(m.specularMap, sizeof m.specularMap, "%s", whiteMap.c_str());
        buildModel(models[i]);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawModel(models[i].model);
        seen[i] = centrePixel();
        glDisable(GL_BLEND);
        glDisable(GL_TEXTURE_2D);
    }
    EXPECT_NEAR(seen[0].r, 128, 2) << "untextured, lit grey";
    EXPECT_EQ(seen[0].r, seen[0].g);
    EXPECT_NEAR(seen[1].r, 64, 2) << "half transparent over black";
    EXPECT_NEAR(seen[2].r, 255, 2) << "the red map";
    EXPECT_NEAR(seen[2].g, 0, 2);
    EXPECT_GT(seen[3].r, seen[0].r + 100) << "the specular map adds light";
    EXPECT_FALSE(models[0].model.materials[0].hasDiffuseTexture);
    EXPECT_TRUE(models[2].model.materials[0].hasDiffuseTexture);
}

TEST_F(DrawModel, LeavesBlendingTexturingAndOffsetsOnAndRestoresTheRest)
{
    addScreenQuad(b, 0);
    const std::string glowMap = writeSolidTga("vantor-gl-glow.tga", 0, 255, 255);
    addScreenQuad(b, 1);
    std::snprintf(def(1).ambientMap, sizeof def(1).ambientMap, "%s", glowMap.c_str());
    build();
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
    glDisable(GL_LINE_SMOOTH);
    glDepthMask(GL_TRUE);
    drawModel(b.model);

    for (GLenum on : {GL_BLEND, GL_TEXTURE_2D, GL_POLYGON_OFFSET_FILL, GL_POLYGON_OFFSET_LINE, GL_LIGHTING})
        EXPECT_TRUE(glIsEnabled(on)) << on;
    EXPECT_FALSE(glIsEnabled(GL_LINE_SMOOTH)) << "line smoothing is restored";
    GLint ints[4] = {};
    glGetIntegerv(GL_BLEND_SRC, &ints[0]);
    glGetIntegerv(GL_BLEND_DST, &ints[1]);
    glGetIntegerv(GL_POLYGON_MODE, &ints[2]);
    EXPECT_TRUE(ints[0] == GL_SRC_ALPHA && ints[1] == GL_ONE && ints[2] == GL_FILL);
    GLfloat offset[2] = {-1, -1}, colour[4] = {};
    glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &offset[0]);
    glGetFloatv(GL_POLYGON_OFFSET_UNITS, &offset[1]);
    EXPECT_TRUE(offset[0] == 0.0f && offset[1] == 0.0f) << "the last material has an ambient map";
    GLboolean depthMask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    EXPECT_TRUE(depthMask);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_TRUE(colour[0] == 0.25f && colour[2] == 0.75f) << "the current colour is restored";
}

TEST_F(DrawModel, UnloadLeavesNoListOrTextureBehind)
{
    addScreenQuad(b, 0);
    const std::string map = writeSolidTga("vantor-gl-unload.tga", 10, 20, 30);
    std::snprintf(def(0).diffuseMap, sizeof def(0).diffuseMap, "%s", map.c_str());
    std::snprintf(def(0).specularMap, sizeof def(0).specularMap, "%s", map.c_str());
    def(0).smoothEdges = 1;
    build();
    const Material m = b.model.materials[0];
    ASSERT_TRUE(glIsList(m.faceList) && glIsList(m.edgeList) && glIsTexture(m.diffuseTexture.textureId));
    ASSERT_NE(m.diffuseTexture.textureId, m.specularTexture.textureId) << "each map gets its own texture";
    unloadModel(b.model);
    EXPECT_FALSE(glIsList(m.faceList) || glIsList(m.edgeList) || glIsTexture(m.diffuseTexture.textureId) ||
                 glIsTexture(m.specularTexture.textureId));
    unloadModel(b.model); // a second unload finds nothing left to delete
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

} // namespace
