// Decoding a true-colour TGA image (24 or 32 bits, uncompressed or run-length encoded) into
// tightly packed RGB or RGBA bytes. Makes no OpenGL call, so tools and tests can decode without a
// context.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "assets/model.h"

enum class TgaEncoding { Uncompressed, RunLength };

// Zeroed bytes after the pixels: GLU's rescaling of odd sizes has been seen to read one pixel
// past the end of the image it is given.
constexpr std::size_t TgaPixelSlack = 16;

// Bytes from malloc, freed by their owner.
struct FreeBytes {
    void operator()(unsigned char* bytes) const { std::free(bytes); }
};
using OwnedBytes = std::unique_ptr<unsigned char[], FreeBytes>;

// Decoded pixels, width x height of them, red first, rows in the file's own order; freed with the
// record.
struct TgaPixels {
    OwnedBytes data;
    std::size_t size = 0; // bytes of pixels, the slack not counted
    TgaEncoding encoding = TgaEncoding::Uncompressed;
};

// Reads the image at the file's current position into image's size fields and pixels. On failure
// prints exactly one error line, leaves pixels empty and returns false; the size fields may then
// hold the header's values. A header that promises more pixel data than the rest of the file can
// hold fails before anything is allocated for it. The caller closes the file.
bool decodeTga(std::FILE* file, TextureImage& image, TgaPixels& pixels);

// The report after a successful load: "done." and the format, width, height and bit depth lines.
void reportTgaLoaded(const TextureImage& image, TgaEncoding encoding);

// The two pixel decoders, for a file positioned after the header and image's size fields set;
// pixels holds width x height pixels. Each prints its own error line and returns false on failure.
// readTgaRlePixels with null pixels only walks the packets, to find how the data ends.
bool readTgaRawPixels(const TextureImage& image, unsigned char* pixels, std::FILE* file);
bool readTgaRlePixels(const TextureImage& image, unsigned char* pixels, std::FILE* file);

// Prints "Loading texture %s: ", opens the file and decodes it; on failure prints one error line
// and returns false with pixels empty. The file is closed either way.
bool readTgaFile(const char* fileName, TextureImage& image, TgaPixels& pixels);

// Reads, decodes and reports the image as loading a texture does, but creates no texture: for
// tools that check model files without a window.
bool decodeTgaFile(const char* fileName, TextureImage& image);
