// The 3D scene of one frame: the car, the ground, the grapple points, the buildings, the sky, the
// track blocks, the tail lights and the grapple beam.
#pragma once

// Draws the scene with the current modelview matrix; leaves the matrix stack as it found it and
// blending off.
void drawWorld();
