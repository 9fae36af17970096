// Vectors of the simulation and of model geometry, and the operations the car, camera and grapple
// beam share.
#pragma once

struct Vec3 {
    float x, y, z;
};

// The car's state vectors, the camera points and the grapple anchor. w is 1 for all of them: it is
// carried along and takes no part in the arithmetic, so it is left out where a Vec4 is written.
struct Vec4 {
    float x, y, z;
    float w = 1.0f;
};

// Degrees to radians, with pi/180 rounded to single precision like every other simulation value.
constexpr float DegreesToRadians = 0.017453292f;

// Rotation of v about one coordinate axis ('x', 'y' or 'z') by an angle in degrees. This is the
// rotation glRotatef applies for the negated angle: a model drawn after glRotatef(-h, 0, 1, 0)
// points the way rotateAboutAxis('y', h, ...) turns its +z axis. Any other axis leaves v as it is.
Vec4 rotateAboutAxis(char axis, float angleDegrees, Vec4 v);

// The length of v's x, y and z, taken as a double's square root of the float sum of squares.
float vectorLength(Vec4 v);

// v scaled to unit length, w carried through. A zero vector has no direction: the result is then
// not a number, so callers that can meet one must test for it first.
Vec4 unitVector(Vec4 v);
