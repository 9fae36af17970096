// A clean OpenGL state for each test, and the feedback-mode reading of what a display list emits.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

// One vertex as the feedback buffer reports it.
struct FedVertex {
    float x, y, z;
    float r, g, b, a;
    float s, t, p, q;
};

// One primitive: a polygon, a line or a point, with its vertices.
struct FedPrimitive {
    GLenum kind; // GL_POLYGON_TOKEN, GL_LINE_TOKEN (resets included) or GL_POINT_TOKEN
    std::vector<FedVertex> vertices;
};

// Calls the list in feedback mode and returns the primitives it produced.
std::vector<FedPrimitive> feedbackOf(GLuint list);

// The colour the window shows at its centre after the draw, 0 to 255 per channel.
struct Rgb {
    int r, g, b;
};
Rgb centrePixel();

class GlTest : public ::testing::Test {
protected:
    // Identity matrices, a 640 x 480 viewport, the game's lighting, cleared to black.
    void SetUp() override;
    void TearDown() override;
};
