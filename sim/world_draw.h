// The 3D scene of one frame: the car, the ground, the grapple points, the buildings, the sky, the
// track blocks, the tail lights and the grapple beam.
#pragma once

#include "sim/vector_math.h"

// The glowing colours of the sky sphere and the track blocks (the model viewer shows them too).
constexpr Vec3 skyColor = {0.3f, 0.71f, 1.0f};
constexpr Vec3 trackColor = {0.843f, 0.843f, 0.843f};

// The track's blocks alone, one glowing quad over each ground cell, as drawWorld draws them.
void drawTrack();

// Draws the scene with the current modelview matrix; leaves the matrix stack as it found it and
// blending off.
void drawWorld();
