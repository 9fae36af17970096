// A screenshot in memory, probed relative to the game window's top-left corner.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct Rgb {
    std::uint8_t r, g, b;
};

// Every channel within tolerance of the wanted one.
bool nearColour(Rgb colour, Rgb wanted, int tolerance);

// Left, top, width and height in pixels; y grows downward.
struct Rect {
    int x, y, width, height;
};

class Picture {
public:
    // A binary 8-bit PPM (P6); anything else, or a truncated image, gives nothing.
    static std::optional<Picture> fromPpm(const std::string& bytes);
    void setOrigin(int x, int y) { originX_ = x, originY_ = y; }
    std::optional<Rgb> colourAt(int x, int y) const; // nothing outside the picture
    // The pixels of the rectangle (clipped) near the colour, and the longest run of them in a row.
    int countNear(Rgb colour, int tolerance, Rect area) const;
    int widestRunNear(Rgb colour, int tolerance, Rect area) const;
    std::string toPpm() const;

private:
    int width_ = 0, height_ = 0, originX_ = 0, originY_ = 0;
    std::vector<Rgb> pixels_;
};
