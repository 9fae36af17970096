// Turning a picture of any common format (PNG, JPEG, BMP, any TGA) into a texture the game reads:
// a true-colour TGA whose sides are powers of two, the bottom row first.
#pragma once

#include <filesystem>
#include <string>

struct ConvertedTexture {
    std::string bytes;                   // the TGA file
    int sourceWidth = 0, sourceHeight = 0;
    int width = 0, height = 0;           // after scaling
    int bitsPerPixel = 24;               // 32 where some pixel is not fully opaque
    bool runLength = false;              // when that is the smaller file
};

// The most pixels a picture may have: 8192 x 8192, 256 MB decoded.
constexpr long long MaxSourcePixels = 8192LL * 8192;

// The power of two nearest to a side of the given length, at most maxSide.
int powerOfTwoSide(int length, int maxSide);

// Decodes the picture, scales it to powers of two of at most maxSide with a filter fit for
// colours, and encodes it. False with the decoder's reason in error when it cannot be read.
bool convertTexture(const std::filesystem::path& file, int maxSide, ConvertedTexture& texture, std::string& error);
