// The flat glowing look of everything that is not a loaded model: lighting stays on, but with
// ambient, diffuse and specular black only the emission colour shows.
#pragma once

#include "sim/vector_math.h"

// RGBA black; its first value, 0, also serves as the shininess.
constexpr float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};

void setGlowMaterial(Vec3 color);
