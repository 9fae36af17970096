// Writing a picture as a true-colour TGA file.
#include "tga_writer.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace {

constexpr int HeaderSize = 18;
constexpr unsigned char UncompressedType = 2;
constexpr unsigned char RunLengthType = 10;
constexpr int MaxPacketPixels = 128;
constexpr unsigned char AlphaBits = 8; // descriptor bits 0-3 of a 32-bit image; origin bottom left

using Pixel = std::array<unsigned char, 4>;

void appendPixel(std::string& out, const Pixel& p, int bytesPerPixel)
{
    out.append(reinterpret_cast<const char*>(p.data()), static_cast<std::size_t>(bytesPerPixel));
}

// One row as run-length packets: a run packet for two or more equal pixels in a row, raw packets
// for the rest. Packets stay within the row, as most readers expect.
void appendRunLengthRow(std::string& out, const std::vector<Pixel>& row, int bytesPerPixel)
{
    std::size_t i = 0;
    while (i < row.size()) {
        std::size_t run = 1;
        while (i + run < row.size() && run < MaxPacketPixels && row[i + run] == row[i])
            ++run;
        if (run >= 2) {
            out += static_cast<char>(0x80 | (run - 1));
            appendPixel(out, row[i], bytesPerPixel);
            i += run;
            continue;
        }
        std::size_t raw = 1;
        while (i + raw < row.size() && raw < MaxPacketPixels &&
               !(i + raw + 1 < row.size() && row[i + raw] == row[i + raw + 1]))
            ++raw;
        out += static_cast<char>(raw - 1);
        for (std::size_t k = 0; k < raw; ++k)
            appendPixel(out, row[i + k], bytesPerPixel);
        i += raw;
    }
}

} // namespace

std::string encodeTga(const std::vector<std::uint8_t>& rgba, int width, int height, int bitsPerPixel, TgaPacking packing)
{
    if (bitsPerPixel != 24 && bitsPerPixel != 32)
        throw std::invalid_argument("a TGA texture has 24 or 32 bits per pixel");
    if (width < 1 || width > 65535 || height < 1 || height > 65535 ||
        rgba.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4)
        throw std::invalid_argument("a TGA picture is 1 to 65535 pixels on each side");
    const int bytesPerPixel = bitsPerPixel / 8;

    std::string out(HeaderSize, '\0');
    out[2] = static_cast<char>(packing == TgaPacking::RunLength ? RunLengthType : UncompressedType);
    out[12] = static_cast<char>(width & 0xFF);
    out[13] = static_cast<char>(width >> 8);
    out[14] = static_cast<char>(height & 0xFF);
    out[15] = static_cast<char>(height >> 8);
    out[16] = static_cast<char>(bitsPerPixel);
    out[17] = static_cast<char>(bitsPerPixel == 32 ? AlphaBits : 0);

    std::vector<Pixel> row(static_cast<std::size_t>(width));
    for (int y = 0; y < height; ++y) {
        // TGA stores blue first. A 24-bit file has no alpha, so alpha must not split its runs.
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
            row[static_cast<std::size_t>(x)] = {p[2], p[1], p[0], bytesPerPixel == 4 ? p[3] : std::uint8_t{0}};
        }
        if (packing == TgaPacking::RunLength) {
            appendRunLengthRow(out, row, bytesPerPixel);
        } else {
            for (const Pixel& p : row)
                appendPixel(out, p, bytesPerPixel);
        }
    }
    return out;
}

std::string encodeTga(const Image& image, int bitsPerPixel, TgaPacking packing)
{
    std::vector<std::uint8_t> rgba;
    rgba.reserve(static_cast<std::size_t>(image.width()) * static_cast<std::size_t>(image.height()) * 4);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const Color& c = image.at(x, y);
            rgba.insert(rgba.end(), {toByte(c.r), toByte(c.g), toByte(c.b), 255});
        }
    }
    return encodeTga(rgba, image.width(), image.height(), bitsPerPixel, packing);
}
