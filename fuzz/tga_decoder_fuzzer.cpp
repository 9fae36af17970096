// Fuzzes the TGA decoding, everything up to the texture upload, on in-memory files.
#include "assets/tga_decoder.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::FILE* file = openBytes(data, size);
    TextureImage image;
    TgaPixels pixels;
    if (decodeTga(file, image, pixels)) {
        require(image.width > 0 && image.height > 0 && (image.bitsPerPixel == 24 || image.bitsPerPixel == 32));
        require(pixels.size == static_cast<std::size_t>(image.width) * image.height * (image.bitsPerPixel / 8));
        // Reads every byte handed to the upload, slack included: the sanitizer sees any overrun.
        volatile unsigned sum = 0;
        for (std::size_t i = 0; i < pixels.size + TgaPixelSlack; ++i)
            sum = sum + pixels.data.get()[i];
    }
    require((pixels.data != nullptr) == (pixels.size > 0));
    std::fclose(file);
    return 0;
}
