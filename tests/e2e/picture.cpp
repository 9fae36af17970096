// Reading binary PPM screenshots and probing their pixels.
#include "picture.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

bool nearColour(Rgb colour, Rgb wanted, int tolerance)
{
    return std::abs(colour.r - wanted.r) <= tolerance && std::abs(colour.g - wanted.g) <= tolerance &&
           std::abs(colour.b - wanted.b) <= tolerance;
}

std::optional<Picture> Picture::fromPpm(const std::string& bytes)
{
    std::istringstream in(bytes);
    std::string magic;
    long width = 0, height = 0, maxValue = 0;
    in >> magic >> width >> height >> maxValue; // the screenshot tool writes no header comments
    if (!in || magic != "P6" || width <= 0 || height <= 0 || width > 16384 || height > 16384 || maxValue != 255)
        return std::nullopt;
    const std::size_t at = static_cast<std::size_t>(in.tellg()) + 1; // one white-space byte, then samples
    const std::size_t count = static_cast<std::size_t>(width * height);
    if (bytes.size() < at + count * 3)
        return std::nullopt;
    Picture picture;
    picture.width_ = static_cast<int>(width);
    picture.height_ = static_cast<int>(height);
    for (std::size_t p = at; p < at + count * 3; p += 3)
        picture.pixels_.push_back({static_cast<std::uint8_t>(bytes[p]), static_cast<std::uint8_t>(bytes[p + 1]),
                                   static_cast<std::uint8_t>(bytes[p + 2])});
    return picture;
}

std::optional<Rgb> Picture::colourAt(int x, int y) const
{
    const int sx = x + originX_, sy = y + originY_;
    if (sx < 0 || sy < 0 || sx >= width_ || sy >= height_)
        return std::nullopt;
    return pixels_[static_cast<std::size_t>(sy) * width_ + sx];
}

int Picture::countNear(Rgb colour, int tolerance, Rect area) const
{
    int count = 0;
    for (int y = area.y; y < area.y + area.height; ++y)
        for (int x = area.x; x < area.x + area.width; ++x)
            count += colourAt(x, y) && nearColour(*colourAt(x, y), colour, tolerance) ? 1 : 0;
    return count;
}

int Picture::widestRunNear(Rgb colour, int tolerance, Rect area) const
{
    int widest = 0;
    for (int y = area.y; y < area.y + area.height; ++y)
        for (int x = area.x, run = 0; x < area.x + area.width; ++x) {
            run = colourAt(x, y) && nearColour(*colourAt(x, y), colour, tolerance) ? run + 1 : 0;
            widest = std::max(widest, run);
        }
    return widest;
}

std::string Picture::toPpm() const
{
    std::string bytes = "P6\n" + std::to_string(width_) + " " + std::to_string(height_) + "\n255\n";
    for (const Rgb& p : pixels_)
        bytes += {static_cast<char>(p.r), static_cast<char>(p.g), static_cast<char>(p.b)};
    return bytes;
}
