// A clean OpenGL state for each test; what a display list emits in feedback mode; the colours of
// the picture drawn; and hooks linked in place of a few library calls: every display list called
// with the state it is drawn in, buffer swaps that keep the picture readable, and faults on demand.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

// One vertex as the feedback buffer reports it: window position, colour and texture coordinate.
struct FedVertex {
    float x, y, z, r, g, b, a, s, t, p, q;
};

// One primitive: GL_POLYGON_TOKEN, GL_LINE_TOKEN (resets included) or GL_POINT_TOKEN, with its vertices.
struct FedPrimitive {
    GLenum kind;
    std::vector<FedVertex> vertices;
};

// Calls the list in feedback mode and returns the primitives it produced.
std::vector<FedPrimitive> feedbackOf(GLuint list);

// Colours of the picture in the back buffer, 0 to 255 per channel, in window pixels with y up.
struct Rgb {
    int r, g, b;
};
// The rectangle's pixels, RGB rows from the bottom; and the number near the colour, every channel
// within the tolerance.
std::vector<unsigned char> pixelsOf(int x, int y, int width, int height);
int countNear(Rgb colour, int tolerance, int x, int y, int width, int height);

// A display list called while recordListCalls is set, with the state it was drawn in.
struct ListCall {
    GLuint list;
    float m[16]; // the modelview matrix, column by column
    GLboolean depthWrite, lighting, texturing;
    GLint blendDestination, polygonMode, texture;
    float offsetFactor, offsetUnits, specular[4], ambient[4]; // the material's specular and ambient colours
};
extern bool recordListCalls;
extern std::vector<ListCall> listCalls;

// Faults as a machine out of memory gives them: GLU's next mipmap builds fail while the flag is
// set (the texture then bound is noted, and the texture names generated and deleted meanwhile are counted), and the allocation through the global operator new after
// allocationsBeforeFailure more fails, once (-1: none).
extern bool mipmapBuildFails;
extern GLuint textureOfFailedBuild;
extern int texturesWhileBuildsFail[2]; // generated, deleted
extern long allocationsBeforeFailure;
extern long liveAllocations; // made through the global operator new or new[] and not yet deleted

class GlTest : public ::testing::Test {
protected:
    // Identity matrices, a 640 x 480 viewport, the game's lighting, cleared to black.
    void SetUp() override;
    void TearDown() override;
};
