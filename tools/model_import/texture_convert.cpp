// Decoding with stb_image, scaling with its resizer, encoding with the model generator's writer.
#include "tools/model_import/texture_convert.h"

#include <stb_image.h>
#include <stb_image_resize.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "tools/model_generator/tga_writer.h"

int powerOfTwoSide(int length, int maxSide)
{
    int side = 1;
    while (side * 2 <= maxSide && side * 2 <= length)
        side *= 2;
    // The next power up when the length lies nearer to it (halfway counts as nearer: detail kept).
    if (side * 2 <= maxSide && side * 2 - length <= length - side)
        side *= 2;
    return side;
}

bool convertTexture(const std::filesystem::path& file, int maxSide, ConvertedTexture& texture, std::string& error)
{
    int width = 0, height = 0, channels = 0;
    // A picture is looked at before it is decoded: a huge one would take gigabytes to scale down.
    if (stbi_info(file.c_str(), &width, &height, &channels) && static_cast<long long>(width) * height > MaxSourcePixels) {
        error = "the texture " + file.string() + " is " + std::to_string(width) + "x" + std::to_string(height) +
                " pixels; at most " + std::to_string(MaxSourcePixels) + " are read";
        return false;
    }
    const std::unique_ptr<stbi_uc, void (*)(void*)> pixels(stbi_load(file.c_str(), &width, &height, &channels, 4),
                                                           stbi_image_free);
    if (!pixels) {
        error = "cannot read the texture " + file.string() + ": " + stbi_failure_reason();
        return false;
    }
    texture.sourceWidth = width;
    texture.sourceHeight = height;
    texture.width = powerOfTwoSide(width, maxSide);
    texture.height = powerOfTwoSide(height, maxSide);
    const std::size_t count = static_cast<std::size_t>(texture.width) * static_cast<std::size_t>(texture.height);
    std::vector<std::uint8_t> scaled(count * 4);
    if (texture.width == width && texture.height == height) {
        scaled.assign(pixels.get(), pixels.get() + scaled.size());
    } else if (!stbir_resize_uint8_srgb(pixels.get(), width, height, 0, scaled.data(), texture.width, texture.height, 0, 4,
                                        3, 0)) {
        error = "cannot scale the texture " + file.string();
        return false;
    }
    // The decoder gives the top row first; the game takes the bottom row first.
    std::vector<std::uint8_t> rows(scaled.size());
    const std::size_t rowBytes = static_cast<std::size_t>(texture.width) * 4;
    for (int y = 0; y < texture.height; ++y)
        std::copy_n(&scaled[static_cast<std::size_t>(y) * rowBytes], rowBytes,
                    &rows[static_cast<std::size_t>(texture.height - 1 - y) * rowBytes]);
    texture.bitsPerPixel = 24;
    for (std::size_t i = 3; i < rows.size(); i += 4)
        if (rows[i] != 255)
            texture.bitsPerPixel = 32;
    const std::string plain = encodeTga(rows, texture.width, texture.height, texture.bitsPerPixel, TgaPacking::Uncompressed);
    const std::string packed = encodeTga(rows, texture.width, texture.height, texture.bitsPerPixel, TgaPacking::RunLength);
    texture.runLength = packed.size() < plain.size();
    texture.bytes = texture.runLength ? packed : plain;
    return true;
}
