// The TGA texture loader: opening and reporting around the decoder, and the upload.
#include "assets/tga_loader.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>

#include "assets/load_report.h"
#include "assets/tga_decoder.h"

namespace {

void uploadTexture(TextureImage& image, const TgaPixels& pixels)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    image.textureId = name;
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    // The decoded rows are tightly packed; with the default alignment of 4 a 24-bit row that is
    // not a multiple of 4 bytes would be read skewed and past the end of the buffer.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, image.width, image.height,
                      image.bitsPerPixel == 24 ? GL_RGB : GL_RGBA, GL_UNSIGNED_BYTE, pixels.data);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

} // namespace

bool loadTgaTexture(const char* fileName, TextureImage& image)
{
    TgaPixels pixels;
    if (!readTgaFile(fileName, image, pixels))
        return false;
    uploadTexture(image, pixels);
    const TgaEncoding encoding = pixels.encoding;
    releaseTgaPixels(pixels);
    reportTgaLoaded(image, encoding);
    return true;
}
