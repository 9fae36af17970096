// What a model's display lists emit, and drawModel's passes: the state each is drawn in and what
// they add up to on screen; and unloading.
#include <GL/gl.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <string>

#include "../unit/model_builder.h"
#include "gl_fixture.h"
#include "render/draw_model.h"
#include "render/edge_lists.h"
#include "render/normals.h"

namespace {

// A map of one colour, white, and one of several: fixtures of the decoder's.
const std::string WhiteMap = VANTOR_TGA_FIXTURES "/decodes.white_24_bits_2x2.tga";
const std::string SomeMap = VANTOR_TGA_FIXTURES "/decodes.rle_32_bits_crossing_rows.tga";

// A square filling the window, facing the light, with texture coordinates at its corners.
void addScreenQuad(ModelBuilder& b, int material)
{
    const int p0 = b.vertex(-1, -1, 0), p1 = b.vertex(1, -1, 0), p2 = b.vertex(1, 1, 0), p3 = b.vertex(-1, 1, 0);
    const int t0 = b.texCoord(0, 0), t1 = b.texCoord(1, 0), t2 = b.texCoord(1, 1), t3 = b.texCoord(0, 1);
    b.useMaterial(material);
    b.face({p0, p1, p2, p3}, {t0, t1, t2, t3});
}

void setMap(char* field, const std::string& path) { std::snprintf(field, MapNameSize, "%s", path.c_str()); }

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
protected: MaterialDef& def(int material) { return b.buffer().materialDefs[material]; }
    ModelBuilder b;
};

TEST_F(DrawModel, ListsSendEveryCornerWithItsNormalAndTexCoordAndEachEdgeOnceFromItsLowerIndex)
{
    // Colours under the one light from +z tell the normals apart: with the default material's
    // diffuse 0.8 and no ambient light, red is 0.8 times the normal's z.
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, std::array<float, 4>{0, 0, 0, 1}.data());
    const int a = b.vertex(0, 0, 0), c = b.vertex(0.5f, 0, 0), d = b.vertex(0, 0.5f, 0), e = b.vertex(0.5f, 0.5f, 0);
    const int up = b.normal(0, 0, 1), tilted = b.normal(0, 0.6f, 0.8f), down = b.normal(0, 0, -1);
    const int t0 = b.texCoord(0.25f, 0.5f), t1 = b.texCoord(0.75f, 0.125f);
    // Triangles and quads in groups of their own: this software renderer's feedback of a list
    // drops the primitives after its first non-empty block.
    b.useMaterial(0, false, true);
    b.face({a, c, d}, {t0, -1, t1}); // flat; its middle corner keeps t0
    b.face({e, d, c});                // shares the edge c-d, walked the other way
    b.useMaterial(1);                 // no outline asked: no edge list
    b.face({a, c, e, d}, {}, {up, tilted, down, up});
    buildModel(b);

    glNormal3f(0, 0, -1); // whatever was drawn before leaves its normal current
    const auto triangles = feedbackOf(b.model.materials[0].faceList);
    ASSERT_EQ(triangles.size(), 2u);
    for (const FedVertex& v : triangles[0].vertices)
        EXPECT_NEAR(v.r, 0.8f, 0.01f) << "the flat normal holds for every corner";
    EXPECT_FLOAT_EQ(triangles[0].vertices[0].s, 0.25f);
    EXPECT_FLOAT_EQ(triangles[0].vertices[1].s, 0.25f) << "a corner without a coordinate keeps the current one";
    EXPECT_FLOAT_EQ(triangles[0].vertices[2].s, 0.75f);

    const auto quad = feedbackOf(b.model.materials[1].faceList);
    ASSERT_EQ(quad.size(), 2u) << "a quad, split in two";
    for (const FedPrimitive& p : quad) {
        ASSERT_EQ(p.vertices.size(), 3u);
        for (const FedVertex& v : p.vertices) {
            const bool right = v.x > 400.0f, top = v.y > 300.0f; // window coordinates
            EXPECT_NEAR(v.r, right ? (top ? 0.0f : 0.64f) : 0.8f, 0.01f) << "corner at " << v.x << ", " << v.y;
        }
    }

    EXPECT_EQ(b.model.materials[1].edgeList, 0u);
    const auto lines = feedbackOf(b.model.materials[0].edgeList);
    ASSERT_EQ(lines.size(), 5u);
    for (const FedPrimitive& line : lines)
        ASSERT_TRUE(line.kind == GL_LINE_TOKEN && line.vertices.size() == 2u);
    // The first line is the first edge added, a to c, from its lower index (window coordinates).
    EXPECT_TRUE(std::abs(lines[0].vertices[0].x - 320.0f) < 0.5f && std::abs(lines[0].vertices[1].x - 480.0f) < 0.5f);
}

// Material 0 has an outline, diffuse, specular and glow maps; material 1 none of them. Each pass
// is drawn with its own blending, depth writes, offset, texture and specular colour.
TEST_F(DrawModel, EachPassIsDrawnInItsOwnState)
{
    addScreenQuad(b, 0);
    addScreenQuad(b, 1);
    def(0).smoothEdges = 1;
    setMap(def(0).diffuseMap, SomeMap);
    setMap(def(0).specularMap, SomeMap);
    setMap(def(0).ambientMap, SomeMap);
    def(0).specular[0] = 0.5f;
    def(1).specular[0] = 0.25f;
    buildModel(b);
    const Material m0 = b.model.materials[0], m1 = b.model.materials[1]; // copies: the unload clears them
    for (bool edgeLists : {true, false}) {
        b.model.useEdgeLists = edgeLists;
        listCalls.clear();
        recordListCalls = true;
        drawModel(b.model);
        recordListCalls = false;
        const struct {
            GLuint list;
            bool depthWrite, lighting, texturing;
            GLint blendDestination, polygonMode;
            GLuint texture;
            float offsetFactor, offsetUnits, specular;
        } passes[] = {
            {m0.faceList, true, true, true, GL_ONE_MINUS_SRC_ALPHA, GL_FILL, m0.diffuseTexture.textureId, 1, 2, 0},
            {edgeLists ? m0.edgeList : m0.faceList, false, true, true, GL_ONE_MINUS_SRC_ALPHA,
             edgeLists ? GL_FILL : GL_LINE, m0.diffuseTexture.textureId, 1, 3, 0},
            {m0.faceList, false, true, true, GL_ONE, GL_FILL, m0.specularTexture.textureId, 1, 1, 0.5f},
            {m0.faceList, false, false, true, GL_ONE, GL_FILL, m0.ambientTexture.textureId, 0, 0, 0.5f},
            {m1.faceList, true, true, false, GL_ONE_MINUS_SRC_ALPHA, GL_FILL, m0.ambientTexture.textureId, 1, 2, 0},
        };
        ASSERT_EQ(listCalls.size(), std::size(passes)) << "material 1 has no map and no outline";
        for (std::size_t i = 0; i < std::size(passes); ++i) {
            const ListCall& c = listCalls[i];
            const auto& p = passes[i];
            EXPECT_TRUE(c.list == p.list && c.depthWrite == p.depthWrite && c.lighting == p.lighting &&
                        c.texturing == p.texturing && c.blendDestination == p.blendDestination &&
                        c.polygonMode == p.polygonMode && static_cast<GLuint>(c.texture) == p.texture &&
                        c.offsetFactor == p.offsetFactor && c.offsetUnits == p.offsetUnits && c.specular[0] == p.specular && c.ambient[0] == (i < 2 || i == 4))
                << "pass " << i << (edgeLists ? " with" : " without") << " edge lists";
        }
        // Left on for the caller to switch off: blending, texturing and the offsets; the rest put back.
        GLint destination = 0;
        GLboolean depthWrite = GL_FALSE;
        glGetIntegerv(GL_BLEND_DST, &destination);
        glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrite);
        EXPECT_TRUE(glIsEnabled(GL_BLEND) && destination == GL_ONE && glIsEnabled(GL_TEXTURE_2D) &&
                    glIsEnabled(GL_POLYGON_OFFSET_FILL) && glIsEnabled(GL_POLYGON_OFFSET_LINE));
        EXPECT_TRUE(depthWrite && glIsEnabled(GL_LIGHTING) && !glIsEnabled(GL_LINE_SMOOTH));
    }
    EXPECT_TRUE(m0.diffuseTexture.textureId != m0.specularTexture.textureId) << "each map gets its own texture";
    unloadModel(b.model);
    for (GLuint texture : {m0.diffuseTexture.textureId, m0.specularTexture.textureId, m0.ambientTexture.textureId})
        EXPECT_FALSE(glIsTexture(texture) || glIsList(m0.faceList) || glIsList(m0.edgeList) || glIsList(m1.faceList));
}

// Grey; grey and half transparent; the same with a white specular map and Ks 0.25, which the
// specular pass adds at full strength whatever the material's alpha.
TEST_F(DrawModel, BaseColourTransparencyAndTheSpecularMapAddUpOnScreen)
{
    ModelBuilder models[3];
    Rgb seen[3];
    for (int i = 0; i < 3; ++i) {
        addScreenQuad(models[i], 0);
        MaterialDef& m = models[i].buffer().materialDefs[0];
        std::fill_n(m.ambient, 3, 0.0f);
        std::fill_n(m.diffuse, 3, 0.5f);
        std::fill_n(m.specular, 3, 0.25f);
        m.transparency = i == 0 ? 1.0f : 0.5f;
        setMap(m.specularMap, i == 2 ? WhiteMap : "");
        buildModel(models[i]);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawModel(models[i].model);
        const std::vector<unsigned char> centre = pixelsOf(320, 240, 1, 1);
        seen[i] = {centre[0], centre[1], centre[2]};
        glDisable(GL_BLEND);
    }
    // A model without maps has no texture names to delete, whatever names others took.
    unloadModel(models[0].model);
    EXPECT_TRUE(glIsList(models[1].model.materials[0].faceList) && glIsTexture(models[2].model.materials[0].specularTexture.textureId))
        << "unloading one model leaves the next ones' lists and textures";
    // Unloaded again, it deletes nothing, though other models may have taken its names since.
    for (GLuint name = 1; name <= 8; ++name)
        glNewList(name, GL_COMPILE), glEndList();
    unloadModel(models[0].model);
    for (GLuint name = 1; name <= 8; ++name)
        EXPECT_TRUE(glIsList(name)) << "a second unload deleted list " << name;
    EXPECT_TRUE(std::abs(seen[0].r - 128) <= 2 && seen[0].r == seen[0].g) << "lit grey, no highlight: " << seen[0].r;
    EXPECT_NEAR(seen[1].r, 64, 2) << "half transparent over black";
    EXPECT_NEAR(seen[2].r - seen[1].r, 64, 3) << "the specular map adds Ks at full strength";
}

} // namespace
