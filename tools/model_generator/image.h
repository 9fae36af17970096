// Pictures painted in code for the model textures: colours as floats from 0 to 1, with a few
// painting helpers and a repeatable pseudo-random source.
#pragma once

#include <cstdint>
#include <vector>

struct Color {
    float r, g, b;
};

inline Color operator+(Color a, Color b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Color operator*(Color a, float k) { return {a.r * k, a.g * k, a.b * k}; }
inline Color operator*(Color a, Color b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }

// a where t is 0, b where t is 1.
Color mix(Color a, Color b, float t);

// 0 below edge0, 1 above edge1, a smooth S-curve between.
float smoothstep(float edge0, float edge1, float x);

// The same number for the same arguments on every machine and every run: the textures must come
// out byte for byte the same each time the generator runs.
std::uint32_t hashCell(int x, int y, std::uint32_t seed);
float random01(int x, int y, std::uint32_t seed); // from 0 up to, not including, 1

class Image {
public:
    Image(int width, int height, Color fill);

    int width() const { return width_; }
    int height() const { return height_; }

    // Row 0 is the bottom row, the one at texture coordinate v = 0.
    Color& at(int x, int y) { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
    const Color& at(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }

    // Pixels x0 <= x < x1, y0 <= y < y1, clipped to the picture.
    void fillRect(int x0, int y0, int x1, int y1, Color color);

private:
    int width_;
    int height_;
    std::vector<Color> pixels_;
};

// A colour channel as a byte, rounded to the nearest step.
std::uint8_t toByte(float channel);
