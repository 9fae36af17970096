// Reading binary PPM screenshots and probing their pixels.
#include "picture.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

// The largest picture accepted, far beyond any screen the tests use, so that a corrupt header
// cannot ask for an absurd allocation.
constexpr long MaxSide = 16384;

// Reads one header number, skipping white space and '#' comments; -1 when there is none.
long readHeaderNumber(const std::string& bytes, std::size_t& at)
{
    for (;;) {
        while (at < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[at])))
            ++at;
        if (at < bytes.size() && bytes[at] == '#') {
            while (at < bytes.size() && bytes[at] != '\n')
                ++at;
            continue;
        }
        break;
    }
    long value = 0;
    const std::size_t start = at;
    while (at < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[at])) && value <= MaxSide) {
        value = value * 10 + (bytes[at] - '0');
        ++at;
    }
    return at == start ? -1 : value;
}

} // namespace

bool nearColour(Rgb colour, Rgb wanted, int tolerance)
{
    return std::abs(colour.r - wanted.r) <= tolerance && std::abs(colour.g - wanted.g) <= tolerance &&
           std::abs(colour.b - wanted.b) <= tolerance;
}

std::optional<Picture> Picture::fromPpm(const std::string& bytes)
{
    if (bytes.compare(0, 2, "P6") != 0)
        return std::nullopt;
    std::size_t at = 2;
    const long width = readHeaderNumber(bytes, at);
    const long height = readHeaderNumber(bytes, at);
    const long maxValue = readHeaderNumber(bytes, at);
    if (width <= 0 || height <= 0 || width > MaxSide || height > MaxSide || maxValue != 255)
        return std::nullopt;
    // Exactly one white-space byte separates the header from the samples.
    if (at >= bytes.size() || !std::isspace(static_cast<unsigned char>(bytes[at])))
        return std::nullopt;
    ++at;
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (bytes.size() - at < count * 3)
        return std::nullopt;

    Picture picture;
    picture.width_ = static_cast<int>(width);
    picture.height_ = static_cast<int>(height);
    picture.pixels_.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t p = at + 3 * i;
        picture.pixels_[i] = {static_cast<std::uint8_t>(bytes[p]), static_cast<std::uint8_t>(bytes[p + 1]),
                              static_cast<std::uint8_t>(bytes[p + 2])};
    }
    return picture;
}

void Picture::setOrigin(int x, int y)
{
    originX_ = x;
    originY_ = y;
}

std::optional<Rgb> Picture::colourAt(int x, int y) const
{
    const int sx = x + originX_;
    const int sy = y + originY_;
    if (sx < 0 || sy < 0 || sx >= width_ || sy >= height_)
        return std::nullopt;
    return pixels_[static_cast<std::size_t>(sy) * width_ + sx];
}

template <typename Visit>
void Picture::forEachIn(Rect area, Rgb colour, int tolerance, Visit visit) const
{
    const int left = std::max(area.x + originX_, 0);
    const int top = std::max(area.y + originY_, 0);
    const int right = std::min(area.x + originX_ + area.width, width_);
    const int bottom = std::min(area.y + originY_ + area.height, height_);
    for (int sy = top; sy < bottom; ++sy)
        for (int sx = left; sx < right; ++sx)
            visit(sx, sy, nearColour(pixels_[static_cast<std::size_t>(sy) * width_ + sx], colour, tolerance));
}

int Picture::countNear(Rgb colour, int tolerance, Rect area) const
{
    int count = 0;
    forEachIn(area, colour, tolerance, [&](int, int, bool matches) { count += matches ? 1 : 0; });
    return count;
}

int Picture::widestRunNear(Rgb colour, int tolerance, Rect area) const
{
    int widest = 0;
    int run = 0;
    int lastRow = -1;
    forEachIn(area, colour, tolerance, [&](int, int sy, bool matches) {
        if (sy != lastRow)
            run = 0; // a run never continues onto the next row
        lastRow = sy;
        run = matches ? run + 1 : 0;
        widest = std::max(widest, run);
    });
    return widest;
}

std::string Picture::toPpm() const
{
    std::string bytes = "P6\n" + std::to_string(width_) + " " + std::to_string(height_) + "\n255\n";
    for (const Rgb& p : pixels_) {
        bytes.push_back(static_cast<char>(p.r));
        bytes.push_back(static_cast<char>(p.g));
        bytes.push_back(static_cast<char>(p.b));
    }
    return bytes;
}
