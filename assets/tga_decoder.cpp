// TGA decoding: the 18-byte header, then the pixels, blue first in the file and red first in the
// buffer handed to OpenGL.
#include "assets/tga_decoder.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>

#include "assets/load_report.h"
#include "assets/readable_file.h"

namespace {

// The first 12 header bytes: no image ID, no colour map, origin 0, and the image type.
constexpr unsigned char UncompressedSignature[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
constexpr unsigned char RunLengthSignature[12] = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0};

constexpr int MaxRunLengthPacketPixels = 128;

// Bytes left in the file after its current position; nothing when that cannot be told (a pipe).
std::optional<std::uint64_t> remainingBytes(std::FILE* file)
{
    const long position = std::ftell(file);
    if (position < 0 || std::fseek(file, 0, SEEK_END) != 0)
        return std::nullopt;
    const long end = std::ftell(file);
    if (std::fseek(file, position, SEEK_SET) != 0 || end < position)
        return std::nullopt;
    return static_cast<std::uint64_t>(end - position);
}

// The file read a block at a time, for the many small reads of run-length packets.
struct ByteSource {
    std::FILE* file = nullptr;
    std::size_t position = 0;
    std::size_t end = 0;
    unsigned char block[16 * 1024];
};

// The next count bytes (at most 4), or null when the file ends first.
const unsigned char* takeSlow(ByteSource& source, std::size_t count)
{
    const std::size_t left = source.end - source.position;
    std::memmove(source.block, source.block + source.position, left);
    const std::span<unsigned char> room = std::span(source.block).subspan(left);
    source.end = left + std::fread(room.data(), 1, room.size(), source.file);
    if (source.end < count) {
        source.position = source.end;
        return nullptr;
    }
    source.position = count;
    return source.block;
}

inline const unsigned char* take(ByteSource& source, std::size_t count)
{
    if (source.end - source.position >= count) {
        const unsigned char* bytes = source.block + source.position;
        source.position += count;
        return bytes;
    }
    return takeSlow(source, count);
}

// TGA stores blue, green, red (and alpha); the buffer wants red first.
inline void storePixel(unsigned char* out, const unsigned char* in, int bytesPerPixel)
{
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
    if (bytesPerPixel == 4)
        out[3] = in[3];
}

bool failWith(LoadError error)
{
    reportLoadError(error);
    return false;
}

} // namespace

bool readTgaRawPixels(const TextureImage& image, unsigned char* pixels, std::FILE* file)
{
    const int bytesPerPixel = image.bitsPerPixel / 8;
    const std::size_t pixelCount =
        static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
    const std::size_t byteCount = pixelCount * static_cast<std::size_t>(bytesPerPixel);
    if (std::fread(pixels, 1, byteCount, file) != byteCount)
        return failWith(LoadError::FileDamaged);
    for (unsigned char* pixel = pixels; pixel != pixels + byteCount; pixel += bytesPerPixel) {
        const unsigned char blue = pixel[0];
        pixel[0] = pixel[2];
        pixel[2] = blue;
    }
    return true;
}

bool readTgaRlePixels(const TextureImage& image, unsigned char* pixels, std::FILE* file)
{
    const int bytesPerPixel = image.bitsPerPixel / 8;
    const std::uint64_t pixelCount =
        static_cast<std::uint64_t>(image.width) * static_cast<std::uint64_t>(image.height);
    ByteSource source;
    source.file = file;
    // The one-pixel buffer of a run is the four bytes of a pixel; it cannot fail to exist.
    unsigned char runPixel[4];
    std::uint64_t stored = 0;
    unsigned char* out = pixels;
    while (stored < pixelCount) {
        const unsigned char* header = take(source, 1);
        if (!header)
            return failWith(LoadError::NoRleHeader);
        const bool run = *header >= 128;
        const int packetPixels = run ? *header - 127 : *header + 1;
        // A packet is checked against what is left of the image before its data is read, so no
        // pixel is ever stored past the end, and one that runs past it fails with this message
        // even when its data is cut short too.
        if (static_cast<std::uint64_t>(packetPixels) > pixelCount - stored)
            return failWith(LoadError::TooManyPixels);
        if (run) {
            const unsigned char* in = take(source, static_cast<std::size_t>(bytesPerPixel));
            if (!in)
                return failWith(LoadError::NoRunPixel);
            std::memcpy(runPixel, in, static_cast<std::size_t>(bytesPerPixel));
            if (out)
                for (int i = 0; i < packetPixels; ++i, out += bytesPerPixel)
                    storePixel(out, runPixel, bytesPerPixel);
        } else {
            for (int i = 0; i < packetPixels; ++i) {
                const unsigned char* in = take(source, static_cast<std::size_t>(bytesPerPixel));
                if (!in)
                    return failWith(LoadError::NoRawPixel);
                if (out) {
                    storePixel(out, in, bytesPerPixel);
                    out += bytesPerPixel;
                }
            }
        }
        stored += static_cast<std::uint64_t>(packetPixels);
    }
    return true;
}

bool decodeTga(std::FILE* file, TextureImage& image, TgaPixels& pixels)
{
    pixels = TgaPixels{};
    unsigned char signature[12];
    if (std::fread(signature, 1, sizeof signature, file) != sizeof signature)
        return failWith(LoadError::InvalidFormat);
    TgaEncoding encoding;
    if (std::memcmp(signature, UncompressedSignature, sizeof signature) == 0)
        encoding = TgaEncoding::Uncompressed;
    else if (std::memcmp(signature, RunLengthSignature, sizeof signature) == 0)
        encoding = TgaEncoding::RunLength;
    else
        return failWith(LoadError::InvalidFormat);

    // Width, height (low byte first), bits per pixel; the image descriptor is not used, so an
    // image stored top to bottom is uploaded in file order all the same.
    unsigned char header[6];
    if (std::fread(header, 1, sizeof header, file) != sizeof header)
        return failWith(LoadError::InvalidFormat);
    image.width = header[0] | (header[1] << 8);
    image.height = header[2] | (header[3] << 8);
    image.bitsPerPixel = header[4];
    if (image.width == 0 || image.height == 0 || (image.bitsPerPixel != 24 && image.bitsPerPixel != 32))
        return failWith(LoadError::InvalidFormat);

    // At most 65535 x 65535 x 4 bytes: 64-bit arithmetic cannot overflow.
    const std::uint64_t bytesPerPixel = static_cast<std::uint64_t>(image.bitsPerPixel / 8);
    const std::uint64_t pixelCount =
        static_cast<std::uint64_t>(image.width) * static_cast<std::uint64_t>(image.height);
    const std::uint64_t byteCount = pixelCount * bytesPerPixel;

    // A header may promise gigabytes that the file cannot hold. Such a file fails here with the
    // message its decoding would end with, before memory is taken in proportion to the promise.
    if (const std::optional<std::uint64_t> remaining = remainingBytes(file)) {
        const std::uint64_t available = *remaining;
        if (encoding == TgaEncoding::Uncompressed && available < byteCount)
            return failWith(LoadError::FileDamaged);
        // Every packet holds at most 128 pixels and takes a header byte and at least one pixel.
        const std::uint64_t fewestPackets =
            (pixelCount + MaxRunLengthPacketPixels - 1) / MaxRunLengthPacketPixels;
        if (encoding == TgaEncoding::RunLength && available < fewestPackets * (1 + bytesPerPixel)) {
            // Too short for the image whatever its packets: walking them without storing finds
            // where they end and prints that message. The walk cannot reach the end of the
            // image; if it ever did, the file would still be too short.
            return readTgaRlePixels(image, nullptr, file) && failWith(LoadError::FileDamaged);
        }
    }

    if (byteCount > SIZE_MAX - TgaPixelSlack)
        return failWith(LoadError::OutOfMemory);
    const std::size_t size = static_cast<std::size_t>(byteCount);
    OwnedBytes data(static_cast<unsigned char*>(std::malloc(size + TgaPixelSlack)));
    if (!data)
        return failWith(LoadError::OutOfMemory);
    std::memset(data.get() + size, 0, TgaPixelSlack);
    const bool decoded = encoding == TgaEncoding::Uncompressed ? readTgaRawPixels(image, data.get(), file)
                                                                : readTgaRlePixels(image, data.get(), file);
    if (!decoded)
        return false;
    pixels = TgaPixels{std::move(data), size, encoding};
    return true;
}

void reportTgaLoaded(const TextureImage& image, TgaEncoding encoding)
{
    std::FILE* out = loadReportStream();
    reportDone();
    std::fputs(encoding == TgaEncoding::RunLength ? "-> Format of texture:    RLE Compressed.\n"
                                                  : "-> Format of texture:    Uncompressed.\n",
               out);
    std::fprintf(out, "-> Width of texture:     %d\n", image.width);
    std::fprintf(out, "-> Height of texture:    %d\n", image.height);
    std::fprintf(out, "-> Bitdepth of texture:  %d\n", image.bitsPerPixel);
}

bool readTgaFile(const char* fileName, TextureImage& image, TgaPixels& pixels)
{
    // Binary: no text-mode translation of the pixel bytes.
    std::FILE* file = openReadableFile(fileName, "rb");
    reportLoadingTexture(fileName);
    if (!file) {
        reportLoadError(LoadError::FileNotFound);
        return false;
    }
    const bool decoded = decodeTga(file, image, pixels);
    std::fclose(file);
    return decoded;
}

bool decodeTgaFile(const char* fileName, TextureImage& image)
{
    TgaPixels pixels;
    if (!readTgaFile(fileName, image, pixels))
        return false;
    reportTgaLoaded(image, pixels.encoding);
    return true;
}
