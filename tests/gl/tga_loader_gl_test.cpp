// The TGA loader's upload on a real OpenGL context: tightly packed rows arrive unskewed, sizes that
// are not powers of two are scaled to ones, the unpack alignment is put back, the filters are set
// and 32-bit images keep no alpha.
#include <GL/gl.h>

#include <string>
#include <tuple>
#include <vector>

#include "../unit/reader_test_support.h"
#include "assets/tga_loader.h"
#include "gl_fixture.h"

namespace {

TEST_F(GlTest, TexturesArriveUnskewedInPowerOfTwoSizesWithoutAlpha)
{
    TempFolder folder;
    // 2 x 2 of four colours (24-bit rows of 6 bytes, not a multiple of 4), and 3 x 5 of one.
    const std::vector<unsigned char> four = {255, 0, 0, 10, 0, 255, 0, 20, 0, 0, 255, 30, 200, 100, 50, 40};
    for (auto [width, height, texturedWidth, texturedHeight] : {std::tuple{2, 2, 2, 2}, {3, 5, 4, 4}}) {
        for (int bits : {24, 32}) {
            std::string bytes = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, static_cast<char>(width), 0,
                                 static_cast<char>(height), 0, static_cast<char>(bits), 0};
            for (int i = 0; i < width * height; ++i) {
                const unsigned char* p = &four[static_cast<std::size_t>(width == 2 ? i * 4 : 12)];
                bytes += {static_cast<char>(p[2]), static_cast<char>(p[1]), static_cast<char>(p[0]), static_cast<char>(p[3])};
                if (bits == 24)
                    bytes.pop_back();
            }
            const std::string path = folder.write("picture.tga", bytes);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
            TextureImage image;
            ASSERT_TRUE(loadTgaTexture(path.c_str(), image));
            GLint alignment = 0, bound = 0, filters[2] = {}, stored[2] = {};
            glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
            glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
            glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filters[0]);
            glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filters[1]);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &stored[0]);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &stored[1]);
            EXPECT_EQ(alignment, 8) << "the unpack alignment is put back";
            EXPECT_TRUE(image.textureId != 0 && static_cast<GLuint>(bound) == image.textureId &&
                        filters[0] == GL_LINEAR_MIPMAP_LINEAR && filters[1] == GL_LINEAR);
            EXPECT_TRUE(stored[0] == texturedWidth && stored[1] == texturedHeight) << stored[0] << "x" << stored[1];
            std::vector<unsigned char> texels(static_cast<std::size_t>(stored[0] * stored[1] * 4));
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
            for (std::size_t i = 0; i < texels.size(); ++i) {
                const unsigned char expected = i % 4 == 3 ? 255 : four[width == 2 ? i : 12 + i % 4];
                EXPECT_EQ(texels[i], expected) << bits << " bits, " << width << " wide, byte " << i;
            }
            glDeleteTextures(1, &image.textureId);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
            glPixelStorei(GL_PACK_ALIGNMENT, 4);
        }
    }
    // A file that cannot be read makes no texture.
    TextureImage missing;
    captureStdout([&] { EXPECT_FALSE(loadTgaTexture(folder.file("missing.tga").c_str(), missing)); });
    EXPECT_EQ(missing.textureId, 0u);
}

} // namespace
