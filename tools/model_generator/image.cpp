// Pictures painted in code.
#include "image.h"

#include <algorithm>
#include <cmath>

Color mix(Color a, Color b, float t) { return a * (1.0f - t) + b * t; }

float smoothstep(float edge0, float edge1, float x)
{
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

std::uint32_t hashCell(int x, int y, std::uint32_t seed)
{
    // Integer mixing only: no library random engine, whose distributions may differ between
    // standard libraries.
    std::uint32_t h = seed * 0x9E3779B9u;
    h ^= static_cast<std::uint32_t>(x) * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<std::uint32_t>(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

float random01(int x, int y, std::uint32_t seed)
{
    return static_cast<float>(hashCell(x, y, seed) >> 8) / 16777216.0f;
}

Image::Image(int width, int height, Color fill)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height, fill)
{
}

void Image::fillRect(int x0, int y0, int x1, int y1, Color color)
{
    for (int y = std::max(y0, 0); y < std::min(y1, height_); ++y)
        for (int x = std::max(x0, 0); x < std::min(x1, width_); ++x)
            at(x, y) = color;
}

std::uint8_t toByte(float channel)
{
    return static_cast<std::uint8_t>(std::lround(std::clamp(channel, 0.0f, 1.0f) * 255.0f));
}
