// Mipmap levels from an 8-bit picture, without OpenGL.
#include "web/mipmap_levels.h"

#include <cmath>
#include <cstddef>
#include <memory>
#include <new>

namespace {

using Texels = std::unique_ptr<unsigned char[]>;

Texels allocate(std::size_t count) { return Texels(new (std::nothrow) unsigned char[count]); }

// Each texel the average of the source area it covers, weighted by how much of each source texel
// lies in it; a picture scaled up repeats its texels.
void scaleByArea(const unsigned char* from, int width, int height, unsigned char* to, int w, int h, int channels)
{
    const double sx = static_cast<double>(width) / w, sy = static_cast<double>(height) / h;
    for (int y = 0; y < h; ++y) {
        const double y0 = y * sy, y1 = (y + 1) * sy;
        for (int x = 0; x < w; ++x) {
            const double x0 = x * sx, x1 = (x + 1) * sx;
            for (int c = 0; c < channels; ++c) {
                double sum = 0.0;
                for (int yy = static_cast<int>(y0); yy < height && yy < y1; ++yy) {
                    const double wy = std::fmin(y1, yy + 1.0) - std::fmax(y0, static_cast<double>(yy));
                    for (int xx = static_cast<int>(x0); xx < width && xx < x1; ++xx) {
                        const double wx = std::fmin(x1, xx + 1.0) - std::fmax(x0, static_cast<double>(xx));
                        sum += wx * wy * from[(static_cast<std::size_t>(yy) * width + xx) * channels + c];
                    }
                }
                to[(static_cast<std::size_t>(y) * w + x) * channels + c] =
                    static_cast<unsigned char>(sum / (sx * sy) + 0.5);
            }
        }
    }
}

// The next level in place: each side halves down to 1, each texel the average of the two or four
// it covers.
void halve(unsigned char* texels, int w, int h, int channels)
{
    const int nw = w > 1 ? w / 2 : 1, nh = h > 1 ? h / 2 : 1;
    const int stepX = w > 1 ? 1 : 0, stepY = h > 1 ? 1 : 0;
    const int count = (1 + stepX) * (1 + stepY);
    // A texel is written no later than its sources are read: its index is never above theirs.
    for (int y = 0; y < nh; ++y)
        for (int x = 0; x < nw; ++x)
            for (int c = 0; c < channels; ++c) {
                const auto at = [&](int dx, int dy) {
                    const std::size_t row = static_cast<std::size_t>(y) * (1 + stepY) + dy;
                    return static_cast<int>(texels[(row * w + static_cast<std::size_t>(x) * (1 + stepX) + dx) *
                                                       channels + c]);
                };
                int sum = at(0, 0);
                if (stepX != 0)
                    sum += at(1, 0);
                if (stepY != 0)
                    sum += at(0, 1);
                if (stepX != 0 && stepY != 0)
                    sum += at(1, 1);
                // Four round to the nearest; two, along a side already 1, round down, as GLU's do.
                texels[(static_cast<std::size_t>(y) * nw + x) * channels + c] =
                    static_cast<unsigned char>(count == 4 ? (sum + 2) / 4 : sum / 2);
            }
}

} // namespace

int nearestPowerOfTwo(int size)
{
    // The leading two bits decide: "11" rounds up, "10" down.
    int power = 1;
    for (unsigned int value = static_cast<unsigned int>(size); value > 1; value >>= 1) {
        if (value == 3)
            return power * 4;
        power *= 2;
    }
    return power;
}

void mipmapBaseSize(int width, int height, int largestSide, int& baseWidth, int& baseHeight)
{
    baseWidth = nearestPowerOfTwo(width);
    baseHeight = nearestPowerOfTwo(height);
    while ((baseWidth > largestSide || baseHeight > largestSide) && (baseWidth > 1 || baseHeight > 1)) {
        baseWidth = baseWidth > 1 ? baseWidth / 2 : 1;
        baseHeight = baseHeight > 1 ? baseHeight / 2 : 1;
    }
}

bool buildMipmapLevels(const MipmapSource& source, int channels, int largestSide,
                       const std::function<void(int, int, int, const unsigned char*)>& level)
{
    const std::size_t inRow =
        (static_cast<std::size_t>(source.width) * source.channels + source.rowAlignment - 1) / source.rowAlignment *
        source.rowAlignment;
    Texels image = allocate(static_cast<std::size_t>(source.width) * source.height * channels);
    if (!image)
        return false;
    for (int y = 0; y < source.height; ++y)
        for (int x = 0; x < source.width; ++x) {
            const unsigned char* s = source.pixels + y * inRow + static_cast<std::size_t>(x) * source.channels;
            unsigned char* d = image.get() + (static_cast<std::size_t>(y) * source.width + x) * channels;
            const unsigned char alpha = source.channels == 4 ? s[3] : 255;
            d[0] = s[0];
            if (channels == 2)
                d[1] = alpha;
            if (channels >= 3) {
                d[1] = s[1];
                d[2] = s[2];
            }
            if (channels == 4)
                d[3] = alpha;
        }

    int w = 1, h = 1;
    mipmapBaseSize(source.width, source.height, largestSide, w, h);
    if (w != source.width || h != source.height) {
        Texels scaled = allocate(static_cast<std::size_t>(w) * h * channels);
        if (!scaled)
            return false;
        scaleByArea(image.get(), source.width, source.height, scaled.get(), w, h, channels);
        image = std::move(scaled);
    }
    for (int number = 0;; ++number) {
        level(number, w, h, image.get());
        if (w == 1 && h == 1)
            return true;
        halve(image.get(), w, h, channels);
        w = w > 1 ? w / 2 : 1;
        h = h > 1 ? h / 2 : 1;
    }
}
