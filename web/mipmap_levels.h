// The levels of a mipmapped texture as GLU's builder makes them from an 8-bit RGB or RGBA picture:
// converted to the texture's channels, scaled to sides that are powers of two, then halved level
// by level to 1 x 1. No OpenGL here: the browser build uploads the levels, and the native
// tests hold them against the ones GLU gives OpenGL.
#pragma once

#include <functional>

// The power of two a side of size (1 or more) becomes: the next one up when the side is at least
// one and a half times the one below, else the one below; so 3 becomes 4, 5 becomes 4, 6 becomes 8.
int nearestPowerOfTwo(int size);

// The base level's sides for a picture of width x height: each side's nearest power of two, both
// halved (each down to 1 at least) while either is above the largest side the renderer takes.
void mipmapBaseSize(int width, int height, int largestSide, int& baseWidth, int& baseHeight);

struct MipmapSource {
    const unsigned char* pixels; // rows from the first, each padded to a multiple of rowAlignment
    int width, height;           // 1 or more
    int channels;                // 3 (RGB) or 4 (RGBA)
    int rowAlignment;            // 1, 2, 4 or 8
};

// Calls level(number, width, height, texels) for each level from 0 down to the 1 x 1 one, the
// texels tightly packed with channels (1 luminance, 2 luminance and alpha, 3 RGB, 4 RGBA) each;
// luminance is the red, and a picture without alpha is opaque. False when memory ran out.
bool buildMipmapLevels(const MipmapSource& source, int channels, int largestSide,
                       const std::function<void(int, int, int, const unsigned char*)>& level);
