// A screenshot held in memory, probed in coordinates relative to the game window's top-left
// corner: the colour of a pixel, and how many pixels of a rectangle match a colour.
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

// Left, top, width and height in pixels; y grows downward, as on the screen.
struct Rect {
    int x, y, width, height;
};

class Picture {
public:
    // Reads a binary 8-bit PPM (P6). Anything else, or a truncated image, gives nothing.
    static std::optional<Picture> fromPpm(const std::string& bytes);

    // Probes from here on are relative to this point of the screen (the window's corner).
    void setOrigin(int x, int y);

    // The colour at (x, y), or nothing outside the picture.
    std::optional<Rgb> colourAt(int x, int y) const;

    // The pixels of the rectangle (clipped to the picture) within tolerance of the colour.
    int countNear(Rgb colour, int tolerance, Rect area) const;

    // The longest horizontal run of such pixels in any one row of the rectangle.
    int widestRunNear(Rgb colour, int tolerance, Rect area) const;

    // The picture as a binary PPM, for saving.
    std::string toPpm() const;

private:
    int width_ = 0;
    int height_ = 0;
    int originX_ = 0;
    int originY_ = 0;
    std::vector<Rgb> pixels_;

    // Calls visit(x, y, matches) for every pixel of the rectangle inside the picture, row by row.
    template <typename Visit>
    void forEachIn(Rect area, Rgb colour, int tolerance, Visit visit) const;
};
