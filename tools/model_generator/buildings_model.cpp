// One block of the city: four towers with glass fronts whose windows glow and stone sides,
// repeated by the game along both sides of the track.
#include <cmath>
#include <cstdint>
#include <string>

#include "image.h"
#include "material_library.h"
#include "mesh.h"
#include "models.h"
#include "shapes.h"
#include "tga_writer.h"

namespace {

// The game draws this model 250 times a frame, 400 units apart, in two rows 200 units either side
// of the track's middle, each turned so that its own +z looks at the track. So the block stays
// within x from -200 to 200, stands on y = 0 and reaches back from z = 0 toward -z.
// It is drawn so often that every face and every pixel counts on a software renderer: detail
// lives in the textures, each tower is one box, and the faces no camera on the track can see (the
// backs, away from the track, and the bottoms) are left out. The camera looks along the rows, so
// a tower's side is what fills the screen while its front is seen at a glancing angle: the towers
// are shallow, and only the fronts carry the glow map, whose extra pass is the costly one.

// The textures repeat every TileSize units; within a tile lie TileBays x TileBays window bays, one
// bay wide and one storey high. Box sizes are whole bays, so windows end cleanly at every corner.
constexpr float BayWidth = 6.0f; // world units, also the storey height
constexpr int TileBays = 8;
constexpr float TileSize = TileBays * BayWidth;
constexpr int FacadeTextureSize = 256;
constexpr int BayPixels = FacadeTextureSize / TileBays;

struct Tower {
    float left, right; // x
    float back, front; // z, the front toward the track
    float top;         // y; every tower stands on y = 0
    int bayOffset;     // bays the window pattern is shifted by, so neighbours do not match
};

// Widths, depths and heights in whole bays and storeys.
constexpr Tower Towers[] = {
    {-186.0f, -108.0f, -54.0f, -12.0f, 150.0f, 0},
    {-90.0f, -6.0f, -78.0f, -30.0f, 222.0f, 3},
    {12.0f, 72.0f, -48.0f, -6.0f, 96.0f, 5},
    {96.0f, 186.0f, -66.0f, -18.0f, 180.0f, 2},
};

// Lighting: the fronts face across the light from the camera and get little of it, the sides
// facing the camera get all of it. Ka of 2 lifts the fronts to a readable mid tone (0.2 x Ka)
// without washing out the sides.
const Color FacadeAmbient = {2.0f, 2.0f, 2.0f};
const Color FacadeDiffuse = {0.85f, 0.85f, 0.85f};

// Share of windows lit, and their colours.
constexpr float FrontLitShare = 0.38f;
constexpr float SideLitShare = 0.22f;
const Color WarmLight = {1.0f, 0.86f, 0.55f};
const Color CoolLight = {0.7f, 0.88f, 1.0f};
const Color LampLight = {1.0f, 0.78f, 0.42f};

// Seeds of the window patterns; change one to light other windows.
constexpr std::uint32_t FrontLightSeed = 17;
constexpr std::uint32_t FrontShadeSeed = 41;
constexpr std::uint32_t SideLightSeed = 29;
constexpr std::uint32_t StoneGrainSeed = 53;

// Glass front: blue-green panes between pale mullions over a slab band at every floor.
constexpr int SlabPixels = 6;    // the floor slab at the bottom of each bay
constexpr int MullionPixels = 2; // the frame at the left of each pane

// Stone side: a deep-set window in each bay, with a pale sill under it.
constexpr int WindowLeft = 8;
constexpr int WindowRight = 24;
constexpr int WindowBottom = 9;
constexpr int WindowTop = 27;
constexpr int RevealPixels = 2; // the shaded inside of the opening, left and top
constexpr int SillPixels = 2;

// Where a point of a tower lands in its facade texture: along the wall and up, whole tiles per
// TileSize units; the roof takes one point of a floor slab, a plain colour.
UvMap facadeUv(const Tower& tower)
{
    const float shift = static_cast<float>(tower.bayOffset) * BayWidth;
    return [shift](const Point3& p, const Point3& n) {
        if (std::fabs(n.y) > 0.5f)
            return TexCoord{(BayPixels / 2.0f) / FacadeTextureSize, (SlabPixels / 2.0f) / FacadeTextureSize};
        const float along = std::fabs(n.x) > 0.5f ? p.z : p.x;
        return TexCoord{(along + shift) / TileSize, p.y / TileSize};
    };
}

// A pixel's place within its window bay: (0, 0) at the bay's bottom left.
struct BayPixel {
    int bayX, bayY; // which bay of the tile
    int x, y;       // where in it
};

BayPixel bayPixel(int x, int y) { return {x / BayPixels, y / BayPixels, x % BayPixels, y % BayPixels}; }

bool inGlassPane(const BayPixel& b) { return b.x >= MullionPixels && b.y >= SlabPixels && b.y < BayPixels - 1; }

bool frontWindowLit(const BayPixel& b) { return random01(b.bayX, b.bayY, FrontLightSeed) < FrontLitShare; }

// Each pane a slightly different shade, lighter toward its top, as if it caught the sky at its own
// angle.
Image frontTexture()
{
    const Color mullion = {0.72f, 0.76f, 0.8f};
    const Color slab = {0.32f, 0.38f, 0.45f};
    const Color paneLow = {0.13f, 0.27f, 0.36f};
    const Color paneHigh = {0.3f, 0.48f, 0.6f};
    Image image(FacadeTextureSize, FacadeTextureSize, mullion);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const BayPixel b = bayPixel(x, y);
            if (b.y < SlabPixels) {
                image.at(x, y) = slab;
            } else if (inGlassPane(b)) {
                const float shade = 0.35f * random01(b.bayX, b.bayY, FrontShadeSeed) +
                                    0.65f * static_cast<float>(b.y - SlabPixels) / static_cast<float>(BayPixels - SlabPixels);
                image.at(x, y) = mix(paneLow, paneHigh, shade);
            }
        }
    }
    return image;
}

// The light in the front's windows, added unlit over them: warm offices, a few cool ones.
Image frontGlowTexture()
{
    Image image(FacadeTextureSize, FacadeTextureSize, {0.0f, 0.0f, 0.0f});
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const BayPixel b = bayPixel(x, y);
            if (!inGlassPane(b) || !frontWindowLit(b))
                continue;
            const float pick = random01(b.bayX, b.bayY, FrontLightSeed + 1);
            const Color light = pick < 0.7f ? WarmLight : CoolLight;
            image.at(x, y) = light * (0.55f + 0.4f * pick);
        }
    }
    return image;
}

// Sandstone with a little grain; the lit windows are painted in, since the sides face the light
// from the camera and need no glow of their own.
Image sideTexture()
{
    const Color stone = {0.74f, 0.64f, 0.5f};
    const Color sill = {0.9f, 0.86f, 0.78f};
    const Color darkWindow = {0.1f, 0.13f, 0.17f};
    const Color reveal = {0.45f, 0.38f, 0.3f};
    Image image(FacadeTextureSize, FacadeTextureSize, stone);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const BayPixel b = bayPixel(x, y);
            const bool inWindow = b.x >= WindowLeft && b.x < WindowRight && b.y >= WindowBottom && b.y < WindowTop;
            const bool inSill = b.x >= WindowLeft - 1 && b.x < WindowRight + 1 && b.y >= WindowBottom - SillPixels &&
                                b.y < WindowBottom;
            Color c = stone * (0.92f + 0.08f * random01(x, y, StoneGrainSeed));
            if (inWindow && (b.x < WindowLeft + RevealPixels || b.y >= WindowTop - RevealPixels))
                c = reveal;
            else if (inWindow)
                c = random01(b.bayX, b.bayY, SideLightSeed) < SideLitShare ? LampLight : darkWindow;
            else if (inSill)
                c = sill;
            image.at(x, y) = c;
        }
    }
    return image;
}

} // namespace

void writeBuildingsModel(OutputFolder& folder)
{
    Mesh mesh;
    for (const Tower& t : Towers) {
        const Box box = {{t.left, 0.0f, t.back}, {t.right, t.top, t.front}};
        mesh.useMaterial("glass_front");
        addBox(mesh, box, facadeUv(t), BoxPlusZ);
        mesh.useMaterial("stone_side");
        addBox(mesh, box, facadeUv(t), BoxPlusX | BoxMinusX | BoxPlusY);
    }

    MaterialSpec front;
    front.name = "glass_front";
    front.note = "the curtain wall facing the track; map_Ka lights some of its windows";
    front.ambient = FacadeAmbient;
    front.diffuse = FacadeDiffuse;
    front.diffuseMap = "building_front.tga";
    front.ambientMap = "building_front_glow.tga";

    MaterialSpec side;
    side.name = "stone_side";
    side.note = "sandstone sides and roofs, lit windows painted in";
    side.ambient = FacadeAmbient;
    side.diffuse = FacadeDiffuse;
    side.diffuseMap = "building_side.tga";

    folder.write("model_buildings.obj",
                 mesh.objText("Vantor Sprint: one block of the city beside the track. Made by vantor-model-generator; "
                              "edit the generator, not this file.\n+z looks at the track, y up; within x -200 to 200.",
                              "model_buildings.mtl"));
    folder.write("model_buildings.mtl", mtlText("Materials of model_buildings.obj.", {front, side}));
    folder.write("building_front.tga", encodeTga(frontTexture(), 24, TgaPacking::Uncompressed));
    folder.write("building_front_glow.tga", encodeTga(frontGlowTexture(), 24, TgaPacking::RunLength));
    folder.write("building_side.tga", encodeTga(sideTexture(), 32, TgaPacking::Uncompressed));
}
