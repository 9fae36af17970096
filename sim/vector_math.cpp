// Rotation about a coordinate axis, length and scaling to unit length.
#include "sim/vector_math.h"

#include <cmath>

Vec4 rotateAboutAxis(char axis, float angleDegrees, Vec4 v)
{
    const float radians = angleDegrees * DegreesToRadians;
    const float c = std::cos(radians);
    const float s = std::sin(radians);

    // The rows of the 4 x 4 rotation matrix applied to v as a column vector; the fourth row and
    // column are those of the identity, so w passes through.
    switch (axis) {
    case 'x': return {v.x, c * v.y + s * v.z, -s * v.y + c * v.z, v.w};
    case 'y': return {c * v.x - s * v.z, v.y, s * v.x + c * v.z, v.w};
    case 'z': return {c * v.x + s * v.y, -s * v.x + c * v.y, v.z, v.w};
    default: return v;
    }
}

float vectorLength(Vec4 v)
{
    const float sumOfSquares = v.x * v.x + v.y * v.y + v.z * v.z;
    return static_cast<float>(std::pow(static_cast<double>(sumOfSquares), 0.5));
}

Vec4 unitVector(Vec4 v)
{
    const float length = vectorLength(v);
    return {v.x / length, v.y / length, v.z / length, v.w};
}
