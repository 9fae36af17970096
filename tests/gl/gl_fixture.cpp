// A clean OpenGL state for each test, and feedback-mode reading.
#include "gl_fixture.h"

#include <GL/glut.h>

#include <algorithm>

std::vector<FedPrimitive> feedbackOf(GLuint list)
{
    std::vector<GLfloat> buffer(1 << 20);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    glCallList(list);
    const GLint used = glRenderMode(GL_RENDER);
    std::vector<FedPrimitive> primitives;
    for (GLint at = 0; at < used;) {
        const auto token = static_cast<GLenum>(buffer[static_cast<std::size_t>(at++)]);
        const bool polygon = token == GL_POLYGON_TOKEN, point = token == GL_POINT_TOKEN;
        if (!polygon && !point && token != GL_LINE_TOKEN && token != GL_LINE_RESET_TOKEN) {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
        FedPrimitive primitive{polygon ? GLenum(GL_POLYGON_TOKEN) : point ? GLenum(GL_POINT_TOKEN) : GLenum(GL_LINE_TOKEN), {}};
        const int count = polygon ? static_cast<int>(buffer[static_cast<std::size_t>(at++)]) : point ? 1 : 2;
        for (int i = 0; i < count; ++i, at += 11) {
            FedVertex v;
            std::copy_n(&buffer[static_cast<std::size_t>(at)], 11, &v.x);
            primitive.vertices.push_back(v);
        }
        primitives.push_back(primitive);
    }
    return primitives;
}

Rgb centrePixel()
{
    unsigned char pixel[4] = {};
    glFinish();
    glReadBuffer(GL_BACK);
    glReadPixels(320, 240, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    return {pixel[0], pixel[1], pixel[2]};
}

void GlTest::SetUp()
{
    glViewport(0, 0, 640, 480);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    const float noEmission[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, noEmission);
}

void GlTest::TearDown()
{
    // What the models' passes leave enabled, switched off as the world drawing does.
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_POLYGON_OFFSET_LINE);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
