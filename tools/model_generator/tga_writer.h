// Writing a picture as a true-colour TGA file, as the game's texture loader reads it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image.h"

enum class TgaPacking {
    Uncompressed, // image type 2
    RunLength,    // image type 10
};

// The file's bytes: an 18-byte header without image ID or colour map and with origin (0, 0), then
// the pixels bottom row first, blue-green-red and, at 32 bits per pixel, alpha. bitsPerPixel is
// 24 or 32; rgba holds width x height pixels of four bytes, red first, the bottom row first.
std::string encodeTga(const std::vector<std::uint8_t>& rgba, int width, int height, int bitsPerPixel, TgaPacking packing);

// The same for a painted picture, fully opaque.
std::string encodeTga(const Image& image, int bitsPerPixel, TgaPacking packing);
