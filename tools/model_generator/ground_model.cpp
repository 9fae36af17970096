// The ground: one flat, plain square far larger than the view.
#include "material_library.h"
#include "mesh.h"
#include "models.h"

namespace {

// The game loads this model 20000 times larger and draws it with its origin under the car, at
// height 0, moving with the car across the plane. Anything painted on it would slide along with
// the car, so it has no texture at all: one plain colour, which also keeps this half of the
// screen the cheapest thing to fill on a software renderer.
constexpr float HalfSize = 1.0f; // model units: 20000 world units each way
constexpr float SurfaceY = 0.0f; // model units; the track floats 1 world unit above

// The ground is lit by the ambient light (0.2 times Ka) and, at the camera's glancing angle, by
// about a fifth of the light from the viewer: together some 0.42 times this colour, a dark
// blue-grey that sets off the pale track and the lit city.
const Color GroundColor = {0.36f, 0.42f, 0.46f};

} // namespace

void writeGroundModel(OutputFolder& folder)
{
    Mesh mesh;
    mesh.useMaterial("ground");
    // Seen from above, counter-clockwise: the face looks up.
    const Point3 corners[4] = {{-HalfSize, SurfaceY, HalfSize},
                               {HalfSize, SurfaceY, HalfSize},
                               {HalfSize, SurfaceY, -HalfSize},
                               {-HalfSize, SurfaceY, -HalfSize}};
    Corner c[4];
    for (int k = 0; k < 4; ++k)
        c[k] = {mesh.addPosition(corners[k])};
    mesh.addQuad(c[0], c[1], c[2], c[3]);

    MaterialSpec ground;
    ground.name = "ground";
    ground.ambient = GroundColor;
    ground.diffuse = GroundColor;

    folder.write("model_ground_block.obj",
                 mesh.objText("Vantor Sprint: the ground under the track. Made by vantor-model-generator; edit the "
                              "generator, not this file.\nLoaded at scale 20000, origin under the car at height 0.",
                              "model_ground_block.mtl"));
    folder.write("model_ground_block.mtl", mtlText("Materials of model_ground_block.obj.", {ground}));
}
