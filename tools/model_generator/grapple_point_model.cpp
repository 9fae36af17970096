// The grapple point: a glowing magenta beacon, a cube with bevelled, lit edges, that stands out
// against the sky from far away.
#include <cmath>
#include <vector>

#include "image.h"
#include "material_library.h"
#include "mesh.h"
#include "models.h"
#include "shapes.h"
#include "tga_writer.h"

namespace {

// The game loads this model at scale 3 with its origin at the point, and treats the point as a
// solid box of half-edge 3 world units that the car bounces off: the cube's half-edge of 1 model
// unit matches that box exactly, so the car touches what the player sees.
constexpr float HalfEdge = 1.0f; // model units
constexpr float Bevel = 0.22f;   // model units cut off every edge

constexpr int PanelTextureSize = 64;
constexpr int GlowTextureSize = 64;

// Magenta: nothing else in the scene (sky, city, track, car) comes near it, so a few pixels of
// it far up in the sky are easy to find.
const Color PanelMagenta = {0.95f, 0.1f, 0.62f};
const Color PanelInset = {0.55f, 0.04f, 0.38f};
const Color GlowPink = {1.0f, 0.62f, 0.9f};
// The edges: saturated, not white, so that even a few pixels far away read as magenta.
const Color EdgeGlow = {1.0f, 0.16f, 0.72f};

// Each face shows the whole texture.
TexCoord faceUv(const Point3& p, const Point3& n)
{
    const auto unit = [](float c) { return 0.5f + 0.5f * c / HalfEdge; };
    if (std::fabs(n.x) > 0.5f)
        return {unit(p.z), unit(p.y)};
    if (std::fabs(n.y) > 0.5f)
        return {unit(p.x), unit(p.z)};
    return {unit(p.x), unit(p.y)};
}

// Distance from the middle of a face, as the larger of the two axis distances: 0 in the middle,
// 1 at the edge, so squares come out as rings.
float squareRadius(int x, int y, int size)
{
    const float u = std::fabs((static_cast<float>(x) + 0.5f) / static_cast<float>(size) * 2.0f - 1.0f);
    const float v = std::fabs((static_cast<float>(y) + 0.5f) / static_cast<float>(size) * 2.0f - 1.0f);
    return std::fmax(u, v);
}

// A magenta panel with a darker inset square.
Image panelTexture()
{
    Image image(PanelTextureSize, PanelTextureSize, PanelMagenta);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (squareRadius(x, y, PanelTextureSize) < 0.62f)
                image.at(x, y) = PanelInset;
    return image;
}

// What glows: a bright ring around the inset and a round core in its middle.
Image glowTexture()
{
    Image image(GlowTextureSize, GlowTextureSize, {0.0f, 0.0f, 0.0f});
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const float square = squareRadius(x, y, GlowTextureSize);
            const float u = (static_cast<float>(x) + 0.5f) / GlowTextureSize * 2.0f - 1.0f;
            const float v = (static_cast<float>(y) + 0.5f) / GlowTextureSize * 2.0f - 1.0f;
            const float round = std::sqrt(u * u + v * v);
            if (square >= 0.62f && square < 0.74f)
                image.at(x, y) = GlowPink;
            else if (round < 0.3f)
                image.at(x, y) = GlowPink * 0.85f;
        }
    }
    return image;
}

} // namespace

void writeGrapplePointModel(OutputFolder& folder)
{
    Mesh mesh;
    addBevelledBox(mesh, {{-HalfEdge, -HalfEdge, -HalfEdge}, {HalfEdge, HalfEdge, HalfEdge}}, Bevel, "beacon_panel",
                   "beacon_edge", faceUv);

    MaterialSpec panel;
    panel.name = "beacon_panel";
    panel.note = "magenta faces; map_Ka makes the ring and core glow";
    panel.ambient = {2.5f, 2.5f, 2.5f};
    panel.diffuse = {0.9f, 0.9f, 0.9f};
    panel.diffuseMap = "grapple_panel.tga";
    panel.ambientMap = "grapple_glow.tga";
    panel.outline = true;

    MaterialSpec edge;
    edge.name = "beacon_edge";
    edge.note = "the bevelled edges; so much ambient that they look lit from within";
    edge.ambient = EdgeGlow * 5.0f; // 0.2 x Ka: the full colour, whatever the light
    edge.diffuse = EdgeGlow;
    edge.outline = true;

    folder.write("model_grapple_point.obj",
                 mesh.objText("Vantor Sprint: a grapple point. Made by vantor-model-generator; edit the generator, not "
                              "this file.\nLoaded at scale 3, origin at the point; the cube is the point's solid box.",
                              "model_grapple_point.mtl"));
    folder.write("model_grapple_point.mtl", mtlText("Materials of model_grapple_point.obj.", {panel, edge}));
    folder.write("grapple_panel.tga", encodeTga(panelTexture(), 32, TgaPacking::Uncompressed));
    folder.write("grapple_glow.tga", encodeTga(glowTexture(), 24, TgaPacking::RunLength));
}
