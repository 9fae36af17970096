// GLU's matrices, sphere and mipmaps for the browser build, computed as GLU computes them so that
// the browser's pictures match the native game's.
#include "web/glu_compat.h"

#include <GLES2/gl2.h>

#include <cmath>
#include <memory>
#include <new>

#include "web/fixed_function.h"
#include "web/matrix_math.h"
#include "web/mipmap_levels.h"

struct GLUquadric {
    int unused;
};

void compatLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY, GLdouble centerZ,
                  GLdouble upX, GLdouble upY, GLdouble upZ)
{
    ffMultMatrixf(lookAtRotation(eyeX, eyeY, eyeZ, centerX, centerY, centerZ, upX, upY, upZ).m);
    ffTranslated(-eyeX, -eyeY, -eyeZ);
}

void compatPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar)
{
    ffMultMatrixf(perspectiveMatrix(fovy, aspect, zNear, zFar).m);
}

void compatOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top)
{
    ffMultMatrixf(ortho2DMatrix(left, right, bottom, top).m);
}

GLUquadric* compatNewQuadric() { return new (std::nothrow) GLUquadric{}; }

namespace {

// The sphere's faces, to be recorded once.
void emitSphere(GLdouble radius, GLint slices, GLint stacks)
{
    // Around z by slice, from the +z pole down by stack; the poles are exact.
    std::unique_ptr<float[]> sinSlice(new (std::nothrow) float[slices + 1]);
    std::unique_ptr<float[]> cosSlice(new (std::nothrow) float[slices + 1]);
    std::unique_ptr<float[]> sinStack(new (std::nothrow) float[stacks + 1]);
    std::unique_ptr<float[]> cosStack(new (std::nothrow) float[stacks + 1]);
    if (!sinSlice || !cosSlice || !sinStack || !cosStack)
        return;
    for (int i = 0; i < slices; ++i) {
        const float angle = static_cast<float>(2.0 * M_PI * i / slices);
        sinSlice[i] = static_cast<float>(std::sin(angle));
        cosSlice[i] = static_cast<float>(std::cos(angle));
    }
    sinSlice[slices] = sinSlice[0];
    cosSlice[slices] = cosSlice[0];
    for (int j = 0; j <= stacks; ++j) {
        const float angle = static_cast<float>(M_PI * j / stacks);
        sinStack[j] = static_cast<float>(std::sin(angle));
        cosStack[j] = static_cast<float>(std::cos(angle));
    }
    sinStack[0] = 0.0f;
    sinStack[stacks] = 0.0f;
    const float r = static_cast<float>(radius);
    const auto corner = [&](int j, int i) {
        ffNormal3f(sinSlice[i] * sinStack[j], cosSlice[i] * sinStack[j], cosStack[j]);
        ffVertex3f(r * sinStack[j] * sinSlice[i], r * sinStack[j] * cosSlice[i], r * cosStack[j]);
    };
    ffBegin(GL_QUADS);
    for (int j = 0; j < stacks; ++j)
        for (int i = 0; i < slices; ++i) {
            corner(j + 1, i);
            corner(j, i);
            corner(j, i + 1);
            corner(j + 1, i + 1);
        }
    ffEnd();
}

} // namespace

void compatSphere(GLUquadric* quadric, GLdouble radius, GLint slices, GLint stacks)
{
    if (quadric == nullptr || slices < 2 || stacks < 1 || slices > 1024 || stacks > 1024)
        return;
    // The sky is the same sphere every frame: its faces are built and uploaded once, as a display
    // list, and drawn from it while the size and the divisions stay the same.
    static struct {
        GLdouble radius = 0.0;
        GLint slices = 0, stacks = 0;
        GLuint list = 0;
    } recorded;
    if (recorded.list == 0 || recorded.radius != radius || recorded.slices != slices || recorded.stacks != stacks) {
        if (recorded.list != 0)
            ffDeleteLists(recorded.list, 1);
        recorded = {radius, slices, stacks, ffGenLists(1)};
        ffNewList(recorded.list, GL_COMPILE);
        emitSphere(radius, slices, stacks);
        ffEndList();
    }
    ffCallList(recorded.list);
}

GLint compatBuild2DMipmaps(GLenum target, GLint components, GLint width, GLint height, GLenum format, GLenum type,
                           const void* data)
{
    if (width < 1 || height < 1)
        return GLU_INVALID_VALUE;
    if (target != GL_TEXTURE_2D || type != GL_UNSIGNED_BYTE || (format != GL_RGB && format != GL_RGBA))
        return GLU_INVALID_ENUM;
    int channels = components;
    if (components == GL_RGB)
        channels = 3;
    else if (components == GL_RGBA)
        channels = 4;
    if (channels < 1 || channels > 4)
        return GLU_INVALID_VALUE;
    static constexpr GLenum Formats[] = {GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB, GL_RGBA};
    const GLenum textureFormat = Formats[channels - 1];

    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    GLint largest = 64;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    const MipmapSource source = {static_cast<const unsigned char*>(data), width, height, format == GL_RGB ? 3 : 4,
                                 alignment};
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const bool built = buildMipmapLevels(source, channels, largest, [textureFormat](int level, int w, int h,
                                                                                     const unsigned char* texels) {
        glTexImage2D(GL_TEXTURE_2D, level, static_cast<GLint>(textureFormat), w, h, 0, textureFormat,
                     GL_UNSIGNED_BYTE, texels);
    });
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    if (!built)
        return GLU_OUT_OF_MEMORY;
    ffMarkBoundTextureComplete();
    return 0;
}
