// The TGA texture loader: opening and reporting around the decoder, and the upload.
#include "assets/tga_loader.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>

#include "assets/load_report.h"
#include "assets/tga_decoder.h"

namespace {

// Creates the texture and its mipmaps; false when GLU could not build them (its scaled copies
// come from the heap), with the texture name deleted again and textureId 0.
bool uploadTexture(TextureImage& image, const TgaPixels& pixels)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    // The decoded rows are tightly packed; with the default alignment of 4 a 24-bit row that is
    // not a multiple of 4 bytes would be read skewed and past the end of the buffer.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const GLint built = gluBuild2DMipmaps(GL_TEXTURE_2D, 3, image.width, image.height,
                                          image.bitsPerPixel == 24 ? GL_RGB : GL_RGBA, GL_UNSIGNED_BYTE,
                                          pixels.data.get());
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    if (built != 0) {
        glDeleteTextures(1, &name);
        image.textureId = 0;
        return false;
    }
    image.textureId = name;
    return true;
}

} // namespace

bool loadTgaTexture(const char* fileName, TextureImage& image)
{
    TgaPixels pixels;
    if (!readTgaFile(fileName, image, pixels))
        return false;
    // The closest of the loader's own messages: GLU fails this way when its copies find no memory.
    if (!uploadTexture(image, pixels)) {
        reportLoadError(LoadError::OutOfMemory);
        return false;
    }
    reportTgaLoaded(image, pixels.encoding);
    return true;
}
