// The browser build's matrices and mipmaps against what the real OpenGL and GLU make of the same
// calls: the browser's pictures can only match the native game's if these do.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "gl_fixture.h"
#include "web/matrix_math.h"
#include "web/mipmap_levels.h"

namespace {

Mat4 current(GLenum which)
{
    Mat4 m;
    glGetFloatv(which, m.m);
    return m;
}

// Equal to a few units in the last place of the larger element, or near zero alike.
void expectClose(const Mat4& got, const Mat4& want, const char* what)
{
    for (int i = 0; i < 16; ++i) {
        const float scale = std::fmax(1.0f, std::fabs(want.m[i]));
        EXPECT_NEAR(got.m[i], want.m[i], 4e-7f * scale) << what << ", element " << i;
    }
}

TEST_F(GlTest, BrowserRotationsTranslationsAndProductsAreOpenGLs)
{
    struct Turn {
        float angle, x, y, z;
    };
    // About each axis both ways, about slanted and unnormalised axes, and about no axis at all.
    const Turn turns[] = {{30, 1, 0, 0}, {-75, -1, 0, 0}, {90, 0, 1, 0}, {12.5f, 0, -3, 0}, {180, 0, 0, 1},
                          {-33, 0, 0, -2}, {45, 1, 1, 0}, {200, 0.3f, -0.7f, 2}, {60, 0, 0, 0}, {17, 1, 2, 3}};
    for (const Turn& t : turns) {
        glLoadIdentity();
        glRotatef(t.angle, t.x, t.y, t.z);
        expectClose(rotationMatrix(t.angle, t.x, t.y, t.z), current(GL_MODELVIEW_MATRIX), "one rotation");
    }
    // Long chains of turns and moves, as the game's drawing makes them, stay with OpenGL's.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> value(-400.0f, 400.0f);
    for (int chain = 0; chain < 20; ++chain) {
        glLoadIdentity();
        Mat4 mine = IdentityMatrix;
        for (int step = 0; step < 12; ++step) {
            const Turn& t = turns[random() % std::size(turns)];
            const float x = value(random), y = value(random), z = value(random);
            glRotatef(t.angle, t.x, t.y, t.z);
            glTranslatef(x, y, z);
            mine = multiply(mine, rotationMatrix(t.angle, t.x, t.y, t.z));
            translate(mine, x, y, z);
        }
        const Mat4 theirs = current(GL_MODELVIEW_MATRIX);
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(mine.m[i], theirs.m[i], 1e-4f * std::fmax(1.0f, std::fabs(theirs.m[i]))) << chain << ' ' << i;
    }
}

TEST_F(GlTest, BrowserLookAtPerspectiveAndOrthoAreGlus)
{
    struct Eye {
        double eye[3], center[3], up[3];
    };
    // The chase camera as it follows the car, a view from below, and one along the up direction.
    for (const Eye& e : {Eye{{-2, 10, -36}, {-2, 1, 4}, {0, 1, 0}}, Eye{{150.5, 309, 21000}, {9.5, 300, 21040}, {0, 1, 0}},
                         Eye{{3, -5, 2}, {0, 0, 0}, {0.2, 0.1, 1}}}) {
        glLoadIdentity();
        gluLookAt(e.eye[0], e.eye[1], e.eye[2], e.center[0], e.center[1], e.center[2], e.up[0], e.up[1], e.up[2]);
        Mat4 mine = lookAtRotation(e.eye[0], e.eye[1], e.eye[2], e.center[0], e.center[1], e.center[2], e.up[0],
                                   e.up[1], e.up[2]);
        translate(mine, static_cast<float>(-e.eye[0]), static_cast<float>(-e.eye[1]), static_cast<float>(-e.eye[2]));
        expectClose(mine, current(GL_MODELVIEW_MATRIX), "look-at");
    }
    glMatrixMode(GL_PROJECTION);
    struct Frustum {
        double fovy, aspect, zNear, zFar;
    };
    // The game's, others, and ones with no size, which leave the matrix as it was.
    for (const Frustum& f : {Frustum{45, 4.0 / 3.0, 1, 10000}, Frustum{90, 1, 0.5, 20}, Frustum{30, 2, 5, 5},
                             Frustum{0, 1, 1, 2}, Frustum{60, 0, 1, 2}}) {
        glLoadIdentity();
        gluPerspective(f.fovy, f.aspect, f.zNear, f.zFar);
        expectClose(perspectiveMatrix(f.fovy, f.aspect, f.zNear, f.zFar), current(GL_PROJECTION_MATRIX), "perspective");
    }
    struct Box {
        double left, right, bottom, top;
    };
    for (const Box& b : {Box{0, 2800, 0, 2100}, Box{-3, 5, 10, -2}, Box{1, 1, 0, 3}}) {
        glLoadIdentity();
        gluOrtho2D(b.left, b.right, b.bottom, b.top);
        // A box with no width is an error OpenGL refuses, leaving the matrix as it was.
        EXPECT_EQ(glGetError(), b.left == b.right ? static_cast<GLenum>(GL_INVALID_VALUE) : GL_NO_ERROR);
        expectClose(ortho2DMatrix(b.left, b.right, b.bottom, b.top), current(GL_PROJECTION_MATRIX), "ortho");
    }
    glMatrixMode(GL_MODELVIEW);
}

TEST(BrowserNormalMatrix, UndoesTheModelviewsTurnAndStretch)
{
    // Transposed, the normal matrix times the modelview's upper 3x3 is the identity, for turns,
    // stretches and shears alike; a flat matrix has none.
    std::mt19937 random(11);
    std::uniform_real_distribution<float> value(-3.0f, 3.0f);
    for (int n = 0; n < 200; ++n) {
        Mat4 m = IdentityMatrix;
        for (int column = 0; column < 3; ++column)
            for (int row = 0; row < 3; ++row)
                m.m[column * 4 + row] = value(random);
        float normal[9];
        normalMatrixOf(m, normal);
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) {
                float sum = 0.0f;
                for (int k = 0; k < 3; ++k)
                    sum += normal[i * 3 + k] * m.m[j * 4 + k];
                const float determinantScale = std::fabs(m.m[0]) + std::fabs(m.m[5]) + std::fabs(m.m[10]);
                EXPECT_NEAR(sum, i == j ? 1.0f : 0.0f, 2e-3f * (1.0f + determinantScale)) << n;
            }
    }
    Mat4 flat = IdentityMatrix;
    flat.m[10] = 0.0f;
    float normal[9];
    normalMatrixOf(flat, normal);
    for (float f : normal)
        EXPECT_EQ(f, 0.0f);
}

TEST_F(GlTest, BrowserMipmapLevelsAreGlus)
{
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    std::mt19937 random(5);
    struct Case {
        int width, height, inChannels, channels, alignment;
    };
    // Square and long, 1 wide, sides not powers of two rounded either way, and each kind of texture
    // the builder makes. RGB rows come tightly packed, as the game gives them: with any other
    // alignment GLU's own halving reads them skewed.
    for (const Case& c : {Case{8, 8, 3, 3, 1}, Case{16, 4, 4, 3, 4}, Case{1, 8, 3, 3, 1}, Case{3, 5, 3, 3, 1},
                          Case{24, 10, 4, 4, 8}, Case{6, 7, 3, 1, 1}, Case{5, 12, 4, 2, 4}, Case{1, 1, 4, 4, 1},
                          Case{5, 3, 3, 4, 1}, Case{16, 16, 3, 3, 1}}) {
        const std::size_t row = (static_cast<std::size_t>(c.width) * c.inChannels + c.alignment - 1) / c.alignment *
                                c.alignment;
        std::vector<unsigned char> picture(row * c.height);
        for (unsigned char& byte : picture)
            byte = static_cast<unsigned char>(random());
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glPixelStorei(GL_UNPACK_ALIGNMENT, c.alignment);
        ASSERT_EQ(gluBuild2DMipmaps(GL_TEXTURE_2D, c.channels, c.width, c.height, c.inChannels == 3 ? GL_RGB : GL_RGBA,
                                    GL_UNSIGNED_BYTE, picture.data()),
                  0);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        int levels = 0;
        const MipmapSource source = {picture.data(), c.width, c.height, c.inChannels, c.alignment};
        const bool built = buildMipmapLevels(source, c.channels, largest, [&](int level, int w, int h,
                                                                              const unsigned char* texels) {
            ++levels;
            GLint theirWidth = 0, theirHeight = 0;
            glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &theirWidth);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &theirHeight);
            ASSERT_EQ(w, theirWidth) << c.width << 'x' << c.height << " level " << level;
            ASSERT_EQ(h, theirHeight) << c.width << 'x' << c.height << " level " << level;
            // Read back as RGBA: luminance comes back in red alone; no alpha as 255.
            std::vector<unsigned char> theirs(static_cast<std::size_t>(w) * h * 4);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, theirs.data());
            // Halving a power of two is exact; scaling to one may round the other way.
            const int tolerance = (c.width == nearestPowerOfTwo(c.width) && c.height == nearestPowerOfTwo(c.height)) ? 0 : 1;
            for (int i = 0; i < w * h; ++i) {
                const unsigned char* t = &texels[static_cast<std::size_t>(i) * c.channels];
                const int mine[4] = {t[0], c.channels >= 3 ? t[1] : 0, c.channels >= 3 ? t[2] : 0,
                                     c.channels == 2 ? t[1] : c.channels == 4 ? t[3] : 255};
                for (int k = 0; k < 4; ++k)
                    ASSERT_NEAR(mine[k], theirs[static_cast<std::size_t>(i) * 4 + k], tolerance)
                        << c.width << 'x' << c.height << " level " << level << " texel " << i << " channel " << k;
            }
        });
        EXPECT_TRUE(built);
        GLint levelsBeyond = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, levels, GL_TEXTURE_WIDTH, &levelsBeyond);
        EXPECT_EQ(levelsBeyond, 0) << "GLU made more levels than " << levels;
        glDeleteTextures(1, &texture);
    }
    // Padded rows give the same levels as the same picture tightly packed.
    for (const Case& c : {Case{5, 3, 3, 3, 4}, Case{3, 6, 3, 4, 8}, Case{4, 4, 3, 3, 8}, Case{7, 2, 4, 3, 8}}) {
        const std::size_t tight = static_cast<std::size_t>(c.width) * c.inChannels;
        const std::size_t row = (tight + c.alignment - 1) / c.alignment * c.alignment;
        std::vector<unsigned char> packed(tight * c.height), padded(row * c.height, 0xAB);
        for (std::size_t y = 0; y < static_cast<std::size_t>(c.height); ++y)
            for (std::size_t x = 0; x < tight; ++x)
                padded[y * row + x] = packed[y * tight + x] = static_cast<unsigned char>(random());
        const auto levelsOf = [&](const std::vector<unsigned char>& picture, int alignment) {
            std::vector<std::vector<unsigned char>> levels;
            EXPECT_TRUE(buildMipmapLevels({picture.data(), c.width, c.height, c.inChannels, alignment}, c.channels,
                                          largest, [&](int, int w, int h, const unsigned char* texels) {
                                              levels.emplace_back(texels, texels + w * h * c.channels);
                                          }));
            return levels;
        };
        EXPECT_EQ(levelsOf(padded, c.alignment), levelsOf(packed, 1)) << c.width << 'x' << c.height;
    }
    // Sides past the renderer's largest are halved together until both fit.
    int w = 0, h = 0;
    mipmapBaseSize(3000, 700, 1024, w, h);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 256);
    mipmapBaseSize(5000, 1, 1024, w, h);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 1);
}

} // namespace
