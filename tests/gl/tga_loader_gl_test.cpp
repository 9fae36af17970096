// The TGA loader's upload on a real OpenGL context: tightly packed rows arrive unskewed, the unpack
// alignment is put back, the filters are set and 32-bit images keep no alpha.
#include <GL/gl.h>

#include <string>
#include <vector>

#include "../unit/reader_test_support.h"
#include "assets/tga_loader.h"
#include "gl_fixture.h"

namespace {

// A 2 x 2 image, blue first as the file stores it; its 24-bit rows are 6 bytes, not a multiple of 4.
std::string twoByTwo(int bits, const std::vector<unsigned char>& rgba)
{
    std::string bytes = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, static_cast<char>(bits), 0};
    for (int i = 0; i < 4; ++i) {
        const unsigned char* p = &rgba[static_cast<std::size_t>(i) * 4];
        bytes += {static_cast<char>(p[2]), static_cast<char>(p[1]), static_cast<char>(p[0])};
        if (bits == 32)
            bytes += static_cast<char>(p[3]);
    }
    return bytes;
}

class TgaUpload : public GlTest {
protected:
    TempFolder folder;
};

TEST_F(TgaUpload, RowsArriveUnskewedWithoutAlphaAndTheAlignmentIsPutBack)
{
    const std::vector<unsigned char> rgba = {255, 0, 0, 10, 0, 255, 0, 20, 0, 0, 255, 30, 200, 100, 50, 40};
    for (int bits : {24, 32}) {
        const std::string path = folder.write("square" + std::to_string(bits) + ".tga", twoByTwo(bits, rgba));
        glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
        TextureImage image;
        bool loaded = false;
        const std::string out = captureStdout([&] { loaded = loadTgaTexture(path.c_str(), image); });
        ASSERT_TRUE(loaded) << out;
        EXPECT_EQ(out, "Loading texture " + path + ": done.\n-> Format of texture:    Uncompressed.\n"
                       "-> Width of texture:     2\n-> Height of texture:    2\n"
                       "-> Bitdepth of texture:  " + std::to_string(bits) + "\n");

        GLint alignment = 0, bound = 0, filters[2] = {};
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filters[0]);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filters[1]);
        EXPECT_EQ(alignment, 8) << "the unpack alignment is put back";
        EXPECT_TRUE(image.textureId != 0 && static_cast<GLuint>(bound) == image.textureId);
        EXPECT_TRUE(filters[0] == GL_LINEAR_MIPMAP_LINEAR && filters[1] == GL_LINEAR);

        unsigned char texels[16] = {};
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
        for (int i = 0; i < 4; ++i) {
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(texels[i * 4 + c], rgba[static_cast<std::size_t>(i * 4 + c)]) << bits << " bits, texel " << i;
            EXPECT_EQ(texels[i * 4 + 3], 255) << "three components: no alpha is kept";
        }
        GLuint name = image.textureId;
        glDeleteTextures(1, &name);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
    }
}

} // namespace
