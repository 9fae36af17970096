// The player's car: a wedge-shaped body with a glass canopy, a rear wing and four open wheels under
// flared fenders, built around the tail-light panels that the game draws itself.
#include <cmath>
#include <iterator>
#include <string>
#include <vector>

#include "image.h"
#include "material_library.h"
#include "mesh.h"
#include "models.h"
#include "shapes.h"
#include "tga_writer.h"

namespace {

// The car's own axes: +z forward, +y up, +x to the car's left; the origin on the ground midway
// between the wheels. One unit is one world unit (about a metre); the game draws the car at
// scale 1, so the wheels stand on the track. The chase camera looks from 40 units behind and 9 above: the back and
// the top are what the player sees all race long.

// The game draws two glowing tail-light panels at z = -2.1, x from 0.165 to 0.8 on either side,
// y from 0.145 to 1.345. The rear face must cover them, just in front of them.
constexpr float TailLightZ = -2.1f;
constexpr float TailLightOuterX = 0.8f;
constexpr float TailLightTopY = 1.345f;
constexpr float TailLightBottomY = 0.145f;
// 2 cm in front of the lights: close enough to read as one surface, far enough for the depth
// buffer to keep the lights in front.
constexpr float RearZ = TailLightZ + 0.02f;
constexpr float NoseZ = 2.25f;

// The hull, a loft through five cross-sections from the tail to the nose. Each section is a
// hexagon: flat bottom, vertical sides up to the shoulder, a chamfer in to the narrower top.
struct HullSection {
    float z;
    float halfWidth;    // at the sides
    float bottom;       // ground clearance
    float shoulder;     // where the sides turn into the chamfer
    float top;          // the deck
    float topHalfWidth; // the deck's width
};
constexpr float HullHalfWidth = 0.9f;
constexpr float HullBottom = 0.14f;
constexpr float RearShoulder = 1.38f;
constexpr float RearDeck = 1.48f;
constexpr float DeckHalfWidth = 0.8f;
constexpr HullSection Hull[] = {
    {RearZ, HullHalfWidth, HullBottom, RearShoulder, RearDeck, DeckHalfWidth}, // tail
    {-0.95f, HullHalfWidth, HullBottom, RearShoulder, RearDeck, DeckHalfWidth}, // behind the canopy
    {0.75f, HullHalfWidth, HullBottom, 1.22f, 1.32f, DeckHalfWidth},            // before the canopy
    {1.85f, 0.86f, 0.16f, 0.82f, 0.9f, 0.72f},                                  // hood
    {NoseZ, 0.78f, 0.24f, 0.52f, 0.58f, 0.6f},                                  // nose
};
static_assert(RearShoulder > TailLightTopY && HullBottom < TailLightBottomY && DeckHalfWidth >= TailLightOuterX,
              "the rear face must cover the tail-light panels");

// The canopy: a glass frustum on the deck between the second and third hull sections, with a
// painted roof. Its side windows stay flat because the roof line runs parallel to the deck.
constexpr float CanopyBaseHalfWidth = 0.72f;
constexpr float CanopyRoofHalfWidth = 0.52f;
constexpr float CanopyRoofRearZ = -0.4f;
constexpr float CanopyRoofFrontZ = 0.2f;
constexpr float CanopyRoofRearY = 1.98f;

// What shows through the glass: a dark cockpit and the driver's helmet.
constexpr Box Cockpit = {{-0.56f, 1.2f, -0.62f}, {0.56f, 1.72f, 0.3f}};
constexpr Box Helmet = {{-0.15f, 1.62f, -0.25f}, {0.15f, 1.9f, 0.05f}};

// The rear wing: a painted plane on two struts, between dark end plates.
// It stands above the canopy's roof, so that from behind it reads as a race car's.
constexpr float WingHalfSpan = 1.06f;
constexpr Box WingPlane = {{-WingHalfSpan, 2.04f, -2.04f}, {WingHalfSpan, 2.15f, -1.6f}};
constexpr float WingStrutInnerX = 0.42f;
constexpr float WingStrutOuterX = 0.5f;
constexpr float WingStrutRearZ = -1.92f;
constexpr float WingStrutFrontZ = -1.76f;
constexpr float EndPlateThickness = 0.05f;
constexpr float EndPlateBottom = 1.86f;
constexpr float EndPlateTop = 2.26f;
constexpr float EndPlateRearZ = -2.06f;
constexpr float EndPlateFrontZ = -1.52f;

// Wheels outside the hull, under fenders that reach out from its sides.
constexpr float WheelRadius = 0.4f; // the lowest point of the tread is on the ground, y = 0
constexpr float RimRadius = 0.26f;
constexpr float WheelWidth = 0.3f;
constexpr float WheelCentreX = 1.06f;
constexpr float RearAxleZ = -1.3f;
constexpr float FrontAxleZ = 1.42f;
constexpr int WheelSegments = 16;
constexpr float FenderInnerX = 0.86f; // inside the hull's side, so the fender grows out of it
constexpr float FenderOuterX = 1.26f;
constexpr float FenderBottom = 0.86f;
constexpr float FenderTop = 1.0f;
constexpr float FenderHalfLength = 0.55f;
constexpr float FenderBevel = 0.05f;

// The paint texture lies over the car from above: u across the car, v from tail to nose.
constexpr float PaintHalfSpan = 1.1f; // units either side of the middle that the texture covers
constexpr float StripeHalfWidth = 0.22f; // the black stripe down the middle, over roof and wing

const Color PaintYellow = {1.0f, 0.84f, 0.08f};
const Color StripeBlack = {0.05f, 0.05f, 0.06f};

// Lighting: the game's one light shines from the viewer's direction, and the scene's ambient
// light is 0.2 times a material's Ka. Ka well above 1 keeps the top of the car, which the camera
// sees at a glancing angle and which gets only a fifth of the light, from going a dull olive:
// the top comes out at about 0.83 times the paint, the sides at 0.7, the back at full strength.
const Color PaintAmbient = {3.5f, 3.5f, 3.5f};
const Color PaintDiffuse = {0.6f, 0.6f, 0.6f};

// The glass texture spans the canopy: from its base up to its roof, and across it (or along it,
// on the side windows).
constexpr float GlassUvBottom = 1.3f;
constexpr float GlassUvHeight = 0.7f;
constexpr float GlassUvSpan = 2.0f;

constexpr int PaintTextureSize = 128;
constexpr int GlossTextureSize = 64;
constexpr int GlassTextureSize = 64;
constexpr int RimTextureSize = 64;

TexCoord paintUv(const Point3& p, const Point3&)
{
    return {0.5f + p.x / (2.0f * PaintHalfSpan), (p.z - RearZ) / (NoseZ - RearZ)};
}

TexCoord glassUv(const Point3& p, const Point3& n)
{
    const float across = std::fabs(n.x) > 0.5f ? p.z : p.x;
    return {0.5f + across / GlassUvSpan, (p.y - GlassUvBottom) / GlassUvHeight};
}

// The ends of the hull, seen from behind or in front: x across, y up.
TexCoord sectionUv(const Point3& p, const Point3&)
{
    return {0.5f + p.x / (2.0f * HullHalfWidth), p.y / RearDeck};
}

// For the materials without a texture.
TexCoord plainUv(const Point3&, const Point3&) { return {0.5f, 0.5f}; }

// How far from the car's middle a column of the paint texture lies, in units.
float paintColumnOffset(int x, int width)
{
    return std::fabs((static_cast<float>(x) + 0.5f) / static_cast<float>(width) - 0.5f) * 2.0f * PaintHalfSpan;
}

// One hexagonal section, counter-clockwise as seen from +z (from the front).
LoftSection hullSection(const HullSection& s)
{
    return {s.z,
            {{-s.halfWidth, s.bottom},
             {s.halfWidth, s.bottom},
             {s.halfWidth, s.shoulder},
             {s.topHalfWidth, s.top},
             {-s.topHalfWidth, s.top},
             {-s.halfWidth, s.shoulder}}};
}

// The section's outline as seen from behind (counter-clockwise from -z), at its own z.
std::vector<Point3> outlineFromBehind(const HullSection& s)
{
    const LoftSection section = hullSection(s);
    std::vector<Point3> corners;
    for (auto p = section.points.rbegin(); p != section.points.rend(); ++p)
        corners.push_back({p->x, p->y, s.z});
    return corners;
}

std::vector<Point3> outlineFromFront(const HullSection& s)
{
    std::vector<Point3> corners = outlineFromBehind(s);
    return {corners.rbegin(), corners.rend()};
}

void addHull(Mesh& mesh)
{
    std::vector<LoftSection> sections;
    for (const HullSection& s : Hull)
        sections.push_back(hullSection(s));
    mesh.useMaterial("paint");
    addLoft(mesh, sections, paintUv);

    // The tail, under and around the game's light panels, in glossy black.
    mesh.useMaterial("tail_panel");
    addConvexPolygon(mesh, outlineFromBehind(Hull[0]), sectionUv);

    mesh.useMaterial("trim");
    addConvexPolygon(mesh, outlineFromFront(Hull[std::size(Hull) - 1]), sectionUv);
}

void addCanopy(Mesh& mesh)
{
    const HullSection& rear = Hull[1];
    const HullSection& front = Hull[2];
    // The roof keeps the deck's slope, so each side window is a flat quad.
    const float deckSlope = (front.top - rear.top) / (front.z - rear.z);
    const float roofFrontY = CanopyRoofRearY + deckSlope * (CanopyRoofFrontZ - CanopyRoofRearZ);

    const float b = CanopyBaseHalfWidth;
    const float r = CanopyRoofHalfWidth;
    const Point3 baseRearLeft = {b, rear.top, rear.z}, baseRearRight = {-b, rear.top, rear.z};
    const Point3 baseFrontLeft = {b, front.top, front.z}, baseFrontRight = {-b, front.top, front.z};
    const Point3 roofRearLeft = {r, CanopyRoofRearY, CanopyRoofRearZ};
    const Point3 roofRearRight = {-r, CanopyRoofRearY, CanopyRoofRearZ};
    const Point3 roofFrontLeft = {r, roofFrontY, CanopyRoofFrontZ};
    const Point3 roofFrontRight = {-r, roofFrontY, CanopyRoofFrontZ};

    const auto face = [&mesh](const Point3 (&p)[4], TexCoord (*uv)(const Point3&, const Point3&)) {
        const Point3 n = cross(p[1] - p[0], p[2] - p[0]);
        mesh.addFlatQuad(p, {uv(p[0], n), uv(p[1], n), uv(p[2], n), uv(p[3], n)});
    };
    mesh.useMaterial("paint");
    face({roofRearLeft, roofRearRight, roofFrontRight, roofFrontLeft}, paintUv);
    mesh.useMaterial("glass");
    face({baseRearLeft, baseRearRight, roofRearRight, roofRearLeft}, glassUv);      // rear window
    face({baseFrontRight, baseFrontLeft, roofFrontLeft, roofFrontRight}, glassUv);  // windscreen
    face({baseRearLeft, roofRearLeft, roofFrontLeft, baseFrontLeft}, glassUv);      // left window
    face({baseRearRight, baseFrontRight, roofFrontRight, roofRearRight}, glassUv);  // right window

    mesh.useMaterial("cockpit");
    addBox(mesh, Cockpit, plainUv, AllBoxFaces & ~BoxMinusY);
    mesh.useMaterial("helmet");
    addBox(mesh, Helmet, plainUv, AllBoxFaces & ~BoxMinusY);
}

void addRearWing(Mesh& mesh)
{
    mesh.useMaterial("paint");
    addBox(mesh, WingPlane, paintUv);
    mesh.useMaterial("trim");
    for (float side : {-1.0f, 1.0f}) {
        const float inner = side * WingStrutInnerX, outer = side * WingStrutOuterX;
        addBox(mesh, {{std::fmin(inner, outer), RearDeck, WingStrutRearZ},
                      {std::fmax(inner, outer), WingPlane.min.y, WingStrutFrontZ}},
               plainUv, AllBoxFaces & ~BoxMinusY & ~BoxPlusY);
        const float plateIn = side * WingHalfSpan, plateOut = side * (WingHalfSpan + EndPlateThickness);
        addBox(mesh, {{std::fmin(plateIn, plateOut), EndPlateBottom, EndPlateRearZ},
                      {std::fmax(plateIn, plateOut), EndPlateTop, EndPlateFrontZ}},
               plainUv);
    }
}

void addWheelsAndFenders(Mesh& mesh)
{
    for (float axleZ : {RearAxleZ, FrontAxleZ}) {
        for (float side : {-1.0f, 1.0f}) {
            const Point3 centre = {side * WheelCentreX, WheelRadius, axleZ};
            const auto rimUv = [centre](const Point3& p, const Point3&) {
                return TexCoord{0.5f + (p.z - centre.z) / (2.0f * RimRadius), 0.5f + (p.y - centre.y) / (2.0f * RimRadius)};
            };
            addWheel(mesh, {centre, WheelRadius, RimRadius, WheelWidth, WheelSegments, side}, "tyre", "rim", rimUv);

            const float inner = side * FenderInnerX, outer = side * FenderOuterX;
            addBevelledBox(mesh,
                           {{std::fmin(inner, outer), FenderBottom, axleZ - FenderHalfLength},
                            {std::fmax(inner, outer), FenderTop, axleZ + FenderHalfLength}},
                           FenderBevel, "paint", "paint", paintUv);
        }
    }
}

// Yellow with a black stripe down the middle; the pattern runs across the car only, so every
// row is the same.
Image paintTexture()
{
    Image image(PaintTextureSize, PaintTextureSize, PaintYellow);
    for (int x = 0; x < image.width(); ++x) {
        const Color c = paintColumnOffset(x, image.width()) < StripeHalfWidth ? StripeBlack : PaintYellow;
        for (int y = 0; y < image.height(); ++y)
            image.at(x, y) = c;
    }
    return image;
}

// Where the paint shines: the clear coat everywhere, a little less on the matt stripe.
Image paintGlossTexture()
{
    const Color clearCoat = {0.75f, 0.75f, 0.75f};
    const Color mattStripe = {0.35f, 0.35f, 0.35f};
    Image image(GlossTextureSize, GlossTextureSize, clearCoat);
    for (int x = 0; x < image.width(); ++x)
        if (paintColumnOffset(x, image.width()) < StripeHalfWidth)
            image.fillRect(x, 0, x + 1, image.height(), mattStripe);
    return image;
}

// Reflections on the glass: two soft diagonal streaks on a faint sheen.
Image glassStreakTexture()
{
    Image image(GlassTextureSize, GlassTextureSize, {0.0f, 0.0f, 0.0f});
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const float d = (static_cast<float>(x) + static_cast<float>(y)) / static_cast<float>(image.width());
            const float wide = 1.0f - smoothstep(0.0f, 0.12f, std::fabs(d - 0.7f));
            const float thin = 1.0f - smoothstep(0.0f, 0.05f, std::fabs(d - 1.05f));
            const float sheen = 0.12f + 0.75f * wide + 0.55f * thin;
            image.at(x, y) = {sheen, sheen, sheen};
        }
    }
    return image;
}

// The hub: five dark spokes on a graphite wheel with a polished lip and a yellow centre cap.
Image rimTexture()
{
    constexpr float Pi = 3.14159265358979f;
    const Color graphite = {0.22f, 0.23f, 0.25f};
    const Color polished = {0.82f, 0.84f, 0.86f};
    const Color opening = {0.05f, 0.05f, 0.05f};
    Image image(RimTextureSize, RimTextureSize, graphite);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(image.width()) * 2.0f - 1.0f;
            const float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(image.height()) * 2.0f - 1.0f;
            const float r = std::sqrt(u * u + v * v);
            const float turn = std::atan2(v, u) / (2.0f * Pi) + 0.5f; // 0 to 1 once round
            const float spokePhase = turn * 5.0f - std::floor(turn * 5.0f);
            Color c = graphite;
            if (r > 0.86f)
                c = polished;
            else if (r > 0.3f && spokePhase > 0.35f)
                c = opening;
            else if (r < 0.16f)
                c = PaintYellow;
            image.at(x, y) = c;
        }
    }
    return image;
}

} // namespace

void writeCarModel(OutputFolder& folder)
{
    Mesh mesh;
    addHull(mesh);
    addCanopy(mesh);
    addRearWing(mesh);
    addWheelsAndFenders(mesh);

    MaterialSpec tailPanel;
    tailPanel.name = "tail_panel";
    tailPanel.note = "glossy black around the tail lights that the game draws";
    tailPanel.ambient = {0.5f, 0.5f, 0.55f};
    tailPanel.diffuse = {0.08f, 0.08f, 0.09f};

    MaterialSpec trim;
    trim.name = "trim";
    trim.note = "dark carbon: nose, wing struts and end plates";
    trim.ambient = {0.6f, 0.6f, 0.65f};
    trim.diffuse = {0.14f, 0.14f, 0.15f};
    trim.outline = true;

    MaterialSpec tyre;
    tyre.name = "tyre";
    tyre.note = "rubber, rounded by averaged normals";
    tyre.ambient = {0.4f, 0.4f, 0.4f};
    tyre.diffuse = {0.1f, 0.1f, 0.1f};
    tyre.roundNormals = true;

    MaterialSpec rim;
    rim.name = "rim";
    rim.ambient = {2.0f, 2.0f, 2.0f};
    rim.diffuse = {0.9f, 0.9f, 0.9f};
    rim.diffuseMap = "car_rim.tga";

    MaterialSpec cockpit;
    cockpit.name = "cockpit";
    cockpit.note = "seen through the glass";
    cockpit.ambient = {0.2f, 0.2f, 0.25f};
    cockpit.diffuse = {0.05f, 0.05f, 0.06f};

    MaterialSpec helmet;
    helmet.name = "helmet";
    helmet.ambient = {3.0f, 3.0f, 3.0f};
    helmet.diffuse = {0.9f, 0.9f, 0.9f};

    MaterialSpec paint;
    paint.name = "paint";
    paint.note = "the body colour and its stripe come from the texture";
    paint.ambient = PaintAmbient;
    paint.diffuse = PaintDiffuse;
    paint.specular = {0.45f, 0.45f, 0.45f};
    paint.shininess = 12.0f;
    paint.diffuseMap = "car_paint.tga";
    paint.specularMap = "car_paint_gloss.tga";
    paint.outline = true;

    MaterialSpec glass;
    glass.name = "glass";
    glass.note = "tinted and see-through; drawn last so the cockpit shows through it";
    glass.ambient = {0.5f, 0.7f, 0.9f};
    glass.diffuse = {0.1f, 0.16f, 0.22f};
    glass.specular = {0.9f, 0.95f, 1.0f};
    glass.shininess = 8.0f;
    glass.transparency = 0.55f;
    glass.specularMap = "car_glass_streaks.tga";

    // The order in which the game draws them.
    const std::vector<MaterialSpec> materials = {tailPanel, trim, tyre, rim, cockpit, helmet, paint, glass};

    folder.write("model_car.obj",
                 mesh.objText("Vantor Sprint: the player's car. Made by vantor-model-generator; edit the generator, "
                              "not this file.\n+z forward, y up, origin on the ground between the wheels.",
                              "model_car.mtl"));
    folder.write("model_car.mtl", mtlText("Materials of model_car.obj, drawn in this order.", materials));
    folder.write("car_paint.tga", encodeTga(paintTexture(), 24, TgaPacking::RunLength));
    folder.write("car_paint_gloss.tga", encodeTga(paintGlossTexture(), 24, TgaPacking::Uncompressed));
    folder.write("car_glass_streaks.tga", encodeTga(glassStreakTexture(), 32, TgaPacking::Uncompressed));
    folder.write("car_rim.tga", encodeTga(rimTexture(), 32, TgaPacking::RunLength));
}
