// Matrix arithmetic for the browser build's fixed-function layer.
#include "web/matrix_math.h"

#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;

void normalize(float v[3])
{
    const float r = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (r == 0.0f)
        return;
    v[0] /= r;
    v[1] /= r;
    v[2] /= r;
}

void cross(const float a[3], const float b[3], float out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

// A matrix given in doubles, as OpenGL takes it: each element rounded to a float.
Mat4 fromDoubles(const double m[16])
{
    Mat4 f;
    for (int i = 0; i < 16; ++i)
        f.m[i] = static_cast<float>(m[i]);
    return f;
}

} // namespace

Mat4 multiply(const Mat4& a, const Mat4& b)
{
    Mat4 p;
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row)
            p.m[column * 4 + row] = a.m[row] * b.m[column * 4] + a.m[4 + row] * b.m[column * 4 + 1] +
                                    a.m[8 + row] * b.m[column * 4 + 2] + a.m[12 + row] * b.m[column * 4 + 3];
    return p;
}

void translate(Mat4& m, float x, float y, float z)
{
    // Only the last column changes: it gains x, y and z times the first three.
    for (int row = 0; row < 4; ++row)
        m.m[12 + row] = m.m[row] * x + m.m[4 + row] * y + m.m[8 + row] * z + m.m[12 + row];
}

Mat4 rotationMatrix(float angleDegrees, float x, float y, float z)
{
    const double radians = angleDegrees * Pi / 180.0;
    const float s = static_cast<float>(std::sin(radians));
    const float c = static_cast<float>(std::cos(radians));
    Mat4 r = IdentityMatrix;
    // About one axis the matrix holds the sine and cosine exactly; any other axis takes the general
    // formula with the axis made unit length.
    if (x == 0.0f && y == 0.0f && z != 0.0f) {
        r.m[0] = c;
        r.m[5] = c;
        r.m[4] = z < 0.0f ? s : -s;
        r.m[1] = -r.m[4];
    } else if (x == 0.0f && z == 0.0f && y != 0.0f) {
        r.m[0] = c;
        r.m[10] = c;
        r.m[8] = y < 0.0f ? -s : s;
        r.m[2] = -r.m[8];
    } else if (y == 0.0f && z == 0.0f && x != 0.0f) {
        r.m[5] = c;
        r.m[10] = c;
        r.m[9] = x < 0.0f ? s : -s;
        r.m[6] = -r.m[9];
    } else {
        const float length = std::sqrt(x * x + y * y + z * z);
        if (length <= 1.0e-4f)
            return IdentityMatrix;
        x /= length;
        y /= length;
        z /= length;
        const float oneMinusC = 1.0f - c;
        const float xx = x * x, yy = y * y, zz = z * z, xy = x * y, yz = y * z, zx = z * x;
        const float xs = x * s, ys = y * s, zs = z * s;
        r.m[0] = oneMinusC * xx + c;
        r.m[4] = oneMinusC * xy - zs;
        r.m[8] = oneMinusC * zx + ys;
        r.m[1] = oneMinusC * xy + zs;
        r.m[5] = oneMinusC * yy + c;
        r.m[9] = oneMinusC * yz - xs;
        r.m[2] = oneMinusC * zx - ys;
        r.m[6] = oneMinusC * yz + xs;
        r.m[10] = oneMinusC * zz + c;
    }
    return r;
}

Mat4 lookAtRotation(double eyeX, double eyeY, double eyeZ, double centerX, double centerY, double centerZ, double upX,
                    double upY, double upZ)
{
    float forward[3] = {static_cast<float>(centerX - eyeX), static_cast<float>(centerY - eyeY),
                        static_cast<float>(centerZ - eyeZ)};
    float up[3] = {static_cast<float>(upX), static_cast<float>(upY), static_cast<float>(upZ)};
    float side[3];
    normalize(forward);
    cross(forward, up, side);
    normalize(side);
    cross(side, forward, up);
    return {{side[0], up[0], -forward[0], 0.0f, side[1], up[1], -forward[1], 0.0f, side[2], up[2], -forward[2], 0.0f,
             0.0f, 0.0f, 0.0f, 1.0f}};
}

Mat4 perspectiveMatrix(double fovyDegrees, double aspect, double zNear, double zFar)
{
    const double radians = fovyDegrees / 2.0 * Pi / 180.0;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0.0 || sine == 0.0 || aspect == 0.0)
        return IdentityMatrix;
    const double cotangent = std::cos(radians) / sine;
    const double m[16] = {cotangent / aspect, 0, 0, 0, 0, cotangent, 0, 0, 0, 0, -(zFar + zNear) / deltaZ, -1,
                          0, 0, -2.0 * zNear * zFar / deltaZ, 0};
    return fromDoubles(m);
}

Mat4 ortho2DMatrix(double left, double right, double bottom, double top)
{
    const float l = static_cast<float>(left), r = static_cast<float>(right);
    const float b = static_cast<float>(bottom), t = static_cast<float>(top);
    if (l == r || b == t)
        return IdentityMatrix;
    return {{2.0f / (r - l), 0, 0, 0, 0, 2.0f / (t - b), 0, 0, 0, 0, -1.0f, 0, -(r + l) / (r - l), -(t + b) / (t - b),
             0, 1}};
}

void normalMatrixOf(const Mat4& mv, float out[9])
{
    const float a = mv.m[0], b = mv.m[4], c = mv.m[8];
    const float d = mv.m[1], e = mv.m[5], f = mv.m[9];
    const float g = mv.m[2], h = mv.m[6], i = mv.m[10];
    const float determinant = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    const float s = determinant != 0.0f ? 1.0f / determinant : 0.0f;
    // The cofactors, each in its own place: the transpose of the inverse, column by column.
    out[0] = (e * i - f * h) * s;
    out[1] = -(b * i - c * h) * s;
    out[2] = (b * f - c * e) * s;
    out[3] = -(d * i - f * g) * s;
    out[4] = (a * i - c * g) * s;
    out[5] = -(a * f - c * d) * s;
    out[6] = (d * h - e * g) * s;
    out[7] = -(a * h - b * g) * s;
    out[8] = (a * e - b * d) * s;
}
