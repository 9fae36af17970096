// A clean OpenGL state for each test, feedback-mode and picture reading, and the hooks.
#include "gl_fixture.h"

#include <GL/glu.h>
#include <GL/glut.h>

#include <algorithm>
#include <cstdlib>
#include <new>

#include "render/draw_model.h"

bool recordListCalls = false;
std::vector<ListCall> listCalls;
bool mipmapBuildFails = false;
GLuint textureOfFailedBuild = 0;
int texturesWhileBuildsFail[2] = {};
long allocationsBeforeFailure = -1;
long liveAllocations = 0;

extern "C" void __real_glCallList(GLuint list);
extern "C" void __wrap_glCallList(GLuint list)
{
    if (recordListCalls) {
        ListCall& c = listCalls.emplace_back();
        c.list = list;
        glGetFloatv(GL_MODELVIEW_MATRIX, c.m);
        glGetBooleanv(GL_DEPTH_WRITEMASK, &c.depthWrite);
        c.lighting = glIsEnabled(GL_LIGHTING);
        c.texturing = glIsEnabled(GL_TEXTURE_2D);
        GLint modes[2] = {};
        glGetIntegerv(GL_POLYGON_MODE, modes);
        c.polygonMode = modes[0];
        glGetIntegerv(GL_BLEND_DST, &c.blendDestination);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &c.texture);
        glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &c.offsetFactor);
        glGetFloatv(GL_POLYGON_OFFSET_UNITS, &c.offsetUnits);
        glGetMaterialfv(GL_FRONT, GL_SPECULAR, c.specular);
        glGetMaterialfv(GL_FRONT, GL_AMBIENT, c.ambient);
    }
    __real_glCallList(list);
}

extern "C" void __wrap_glutSwapBuffers() {}

extern "C" GLint __real_gluBuild2DMipmaps(GLenum, GLint, GLsizei, GLsizei, GLenum, GLenum, const void*);
extern "C" GLint __wrap_gluBuild2DMipmaps(GLenum target, GLint components, GLsizei width, GLsizei height,
                                          GLenum format, GLenum type, const void* data)
{
    if (!mipmapBuildFails)
        return __real_gluBuild2DMipmaps(target, components, width, height, format, type, data);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, reinterpret_cast<GLint*>(&textureOfFailedBuild));
    return GLU_OUT_OF_MEMORY;
}

extern "C" void __real_glGenTextures(GLsizei, GLuint*);
extern "C" void __wrap_glGenTextures(GLsizei count, GLuint* names)
{
    if (mipmapBuildFails)
        texturesWhileBuildsFail[0] += count;
    __real_glGenTextures(count, names);
}

extern "C" void __real_glDeleteTextures(GLsizei, const GLuint*);
extern "C" void __wrap_glDeleteTextures(GLsizei count, const GLuint* names)
{
    if (mipmapBuildFails)
        texturesWhileBuildsFail[1] += count;
    __real_glDeleteTextures(count, names);
}

namespace {
void* allocate(std::size_t size)
{
    if (allocationsBeforeFailure >= 0 && allocationsBeforeFailure-- == 0)
        return nullptr;
    ++liveAllocations;
    return std::malloc(size == 0 ? 1 : size);
}
} // namespace

void* operator new(std::size_t size)
{
    if (void* p = allocate(size))
        return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
// The array forms too: a sanitizer's runtime would otherwise take them without passing through
// the ones above.
void* operator new[](std::size_t size)
{
    if (void* p = allocate(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
// Kept out of line, where the compiler would otherwise see a new paired with a free.
[[gnu::noinline]] void operator delete(void* p) noexcept { liveAllocations -= p != nullptr, std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { liveAllocations -= p != nullptr, std::free(p); }
[[gnu::noinline]] void operator delete[](void* p) noexcept { liveAllocations -= p != nullptr, std::free(p); }
[[gnu::noinline]] void operator delete[](void* p, std::size_t) noexcept { liveAllocations -= p != nullptr, std::free(p); }

std::vector<FedPrimitive> feedbackOf(GLuint list)
{
    std::vector<GLfloat> buffer(1 << 20);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    glCallList(list);
    const GLint used = glRenderMode(GL_RENDER);
    std::vector<FedPrimitive> primitives;
    for (std::size_t at = 0; at < static_cast<std::size_t>(used);) {
        const auto token = static_cast<GLenum>(buffer[at++]);
        const std::size_t count = token == GL_POLYGON_TOKEN ? static_cast<std::size_t>(buffer[at++]) : token == GL_POINT_TOKEN ? 1 : 2;
        FedPrimitive& primitive = primitives.emplace_back(FedPrimitive{token == GL_LINE_RESET_TOKEN ? GLenum(GL_LINE_TOKEN) : token, {}});
        for (std::size_t i = 0; i < count; ++i, at += 11)
            std::copy_n(&buffer[at], 11, &primitive.vertices.emplace_back().x);
    }
    return primitives;
}

std::vector<unsigned char> pixelsOf(int x, int y, int width, int height)
{
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width * height) * 3);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

int countNear(Rgb colour, int tolerance, int x, int y, int width, int height)
{
    const std::vector<unsigned char> pixels = pixelsOf(x, y, width, height);
    int count = 0;
    for (std::size_t i = 0; i < pixels.size(); i += 3)
        count += std::abs(pixels[i] - colour.r) <= tolerance && std::abs(pixels[i + 1] - colour.g) <= tolerance &&
                 std::abs(pixels[i + 2] - colour.b) <= tolerance;
    return count;
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
    endModelDrawing();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
