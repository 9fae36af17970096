// The matrices of the browser build's fixed-function layer, computed in floats in the order the
// usual software pipelines and GLU compute them, so that the browser's pictures match the native
// game's. No OpenGL here: the native tests hold each against the real OpenGL and GLU.
#pragma once

// Column-major, as OpenGL keeps its matrices.
struct Mat4 {
    float m[16];
};

constexpr Mat4 IdentityMatrix = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

// a times b.
Mat4 multiply(const Mat4& a, const Mat4& b);

// m times a translation, in place.
void translate(Mat4& m, float x, float y, float z);

// A rotation by the angle in degrees about the axis; the identity for an axis of no length.
Mat4 rotationMatrix(float angleDegrees, float x, float y, float z);

// The eye's turn that a look-at multiplies in before it moves the eye to the origin.
Mat4 lookAtRotation(double eyeX, double eyeY, double eyeZ, double centerX, double centerY, double centerZ, double upX,
                    double upY, double upZ);

// A perspective projection; the identity where the frustum has no size.
Mat4 perspectiveMatrix(double fovyDegrees, double aspect, double zNear, double zFar);

// A two-dimensional orthographic projection (depth from -1 to 1); the identity where it has no size.
Mat4 ortho2DMatrix(double left, double right, double bottom, double top);

// The inverse of the upper 3x3 transposed, column-major: it carries normals into eye space.
void normalMatrixOf(const Mat4& m, float out[9]);
