// Writing a picture as a true-colour TGA file, as the game's texture loader reads it.
#pragma once

#include <string>

#include "image.h"

enum class TgaPacking {
    Uncompressed, // image type 2
    RunLength,    // image type 10
};

// The file's bytes: an 18-byte header without image ID or colour map and with origin (0, 0), then
// the pixels bottom row first, blue-green-red (and alpha, fully opaque, at 32 bits per pixel).
// bitsPerPixel is 24 or 32.
std::string encodeTga(const Image& image, int bitsPerPixel, TgaPacking packing);
