// The TGA decoder and the loader's failure paths (which make no OpenGL call): both encodings of
// one picture against the picture itself, packet edge cases, and every failure message from a
// file that provokes it.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "assets/load_report.h"
#include "assets/tga_decoder.h"
#include "assets/tga_loader.h"
#include "reader_test_support.h"

namespace {

using Bytes = std::string;

// A picture as the game wants it: red first, rows in order.
struct Picture {
    int width;
    int height;
    int bytesPerPixel;
    std::vector<unsigned char> rgba;
};

Picture makePicture(int width, int height, int bitsPerPixel, unsigned seed)
{
    std::mt19937 random(seed);
    Picture picture{width, height, bitsPerPixel / 8, {}};
    // Stretches of one colour, so the run-length encoding has runs of every length.
    unsigned char pixel[4] = {};
    for (int i = 0; i < width * height; ++i) {
        if (random() % 3 == 0)
            for (unsigned char& byte : pixel)
                byte = static_cast<unsigned char>(random());
        picture.rgba.insert(picture.rgba.end(), pixel, pixel + picture.bytesPerPixel);
    }
    return picture;
}

Bytes header(int type, int width, int height, int bits, unsigned char descriptor = 0)
{
    Bytes bytes(18, '\0');
    bytes[2] = static_cast<char>(type);
    bytes[12] = static_cast<char>(width & 0xff);
    bytes[13] = static_cast<char>(width >> 8);
    bytes[14] = static_cast<char>(height & 0xff);
    bytes[15] = static_cast<char>(height >> 8);
    bytes[16] = static_cast<char>(bits);
    bytes[17] = static_cast<char>(descriptor);
    return bytes;
}

// One pixel as the file stores it: blue first.
Bytes filePixel(const unsigned char* rgba, int bytesPerPixel)
{
    Bytes out{static_cast<char>(rgba[2]), static_cast<char>(rgba[1]), static_cast<char>(rgba[0])};
    if (bytesPerPixel == 4)
        out += static_cast<char>(rgba[3]);
    return out;
}

Bytes encodeRaw(const Picture& picture)
{
    Bytes bytes = header(2, picture.width, picture.height, picture.bytesPerPixel * 8);
    for (std::size_t i = 0; i < picture.rgba.size(); i += picture.bytesPerPixel)
        bytes += filePixel(&picture.rgba[i], picture.bytesPerPixel);
    return bytes;
}

// Runs of equal pixels become run packets, the rest raw packets; packets ignore row boundaries.
Bytes encodeRunLength(const Picture& picture)
{
    Bytes bytes = header(10, picture.width, picture.height, picture.bytesPerPixel * 8);
    const int size = picture.bytesPerPixel;
    const int count = picture.width * picture.height;
    auto same = [&](int a, int b) {
        return std::equal(&picture.rgba[a * size], &picture.rgba[a * size] + size, &picture.rgba[b * size]);
    };
    for (int i = 0; i < count;) {
        int run = 1;
        while (i + run < count && run < 128 && same(i, i + run))
            ++run;
        if (run > 1) {
            bytes += static_cast<char>(127 + run);
            bytes += filePixel(&picture.rgba[i * size], size);
            i += run;
            continue;
        }
        int raw = 1;
        while (i + raw < count && raw < 128 && !(i + raw + 1 < count && same(i + raw, i + raw + 1)))
            ++raw;
        bytes += static_cast<char>(raw - 1);
        for (int k = 0; k < raw; ++k)
            bytes += filePixel(&picture.rgba[(i + k) * size], size);
        i += raw;
    }
    return bytes;
}

struct Decoded {
    bool ok = false;
    TextureImage image;
    std::vector<unsigned char> pixels;
    TgaEncoding encoding = TgaEncoding::Uncompressed;
    std::string output;
};

Decoded decode(Bytes bytes)
{
    Decoded result;
    std::FILE* file = fmemopen(bytes.data(), bytes.size(), "rb");
    result.output = captureStdout([&] {
        TgaPixels pixels;
        result.ok = decodeTga(file, result.image, pixels);
        if (result.ok) {
            result.pixels.assign(pixels.data, pixels.data + pixels.size);
            result.encoding = pixels.encoding;
            for (std::size_t i = 0; i < TgaPixelSlack; ++i)
                EXPECT_EQ(pixels.data[pixels.size + i], 0) << "slack after the pixels";
        }
        releaseTgaPixels(pixels);
    });
    std::fclose(file);
    return result;
}

TEST(TgaDecoder, BothEncodingsOfAPictureGiveThePictureRedFirst)
{
    // Widths whose 24-bit rows are not a multiple of 4 bytes, runs that cross rows.
    for (int bits : {24, 32}) {
        for (int width : {1, 3, 37, 300}) {
            const Picture picture = makePicture(width, 13, bits, static_cast<unsigned>(width * bits));
            const Decoded raw = decode(encodeRaw(picture));
            const Decoded rle = decode(encodeRunLength(picture));
            ASSERT_TRUE(raw.ok) << raw.output;
            ASSERT_TRUE(rle.ok) << rle.output;
            EXPECT_EQ(raw.pixels, picture.rgba) << bits << " bits, width " << width;
            EXPECT_EQ(rle.pixels, picture.rgba) << bits << " bits, width " << width;
            EXPECT_EQ(raw.output, "") << "the decoder prints only failures";
            EXPECT_EQ(rle.image.width, width);
            EXPECT_EQ(rle.image.height, 13);
            EXPECT_EQ(rle.image.bitsPerPixel, bits);
            EXPECT_EQ(rle.encoding, TgaEncoding::RunLength);
            EXPECT_EQ(raw.encoding, TgaEncoding::Uncompressed);
        }
    }
}

TEST(TgaDecoder, RunPacketsHoldOneTo128PixelsAcrossRows)
{
    // 100 x 3: a run of 128 (header 255) that crosses the first row's end, a run of 1 (header
    // 128), a raw packet of 128 pixels and a run that ends exactly at the last pixel.
    const unsigned char a[4] = {10, 20, 30, 40};
    const unsigned char b[4] = {50, 60, 70, 80};
    // Stored top to bottom (descriptor 0x20): decoded in file order all the same.
    Bytes bytes = header(10, 100, 3, 32, 0x20);
    bytes += static_cast<char>(255) + filePixel(a, 4);
    bytes += static_cast<char>(128) + filePixel(b, 4);
    bytes += static_cast<char>(127);
    for (int i = 0; i < 128; ++i)
        bytes += filePixel(i % 2 ? a : b, 4);
    bytes += static_cast<char>(127 + 43) + filePixel(a, 4);
    const Decoded result = decode(bytes);
    ASSERT_TRUE(result.ok) << result.output;
    ASSERT_EQ(result.pixels.size(), 300u * 4);
    const std::vector<unsigned char> pixelA(a, a + 4), pixelB(b, b + 4);
    for (int index = 0; index < 300; ++index) {
        const std::vector<unsigned char> pixel(&result.pixels[index * 4], &result.pixels[index * 4] + 4);
        const bool isB = index == 128 || (index >= 129 && index <= 256 && (index - 129) % 2 == 0);
        EXPECT_EQ(pixel, isB ? pixelB : pixelA) << "pixel " << index;
    }
}

class TgaLoaderFailures : public ::testing::Test {
protected:
    // Loads the bytes from a file named after the case and returns what was printed.
    std::string load(const std::string& name, const Bytes& bytes)
    {
        path = folder.write(name, bytes);
        TextureImage image;
        bool ok = true;
        const std::string out = captureStdout([&] { ok = loadTgaTexture(path.c_str(), image); });
        EXPECT_FALSE(ok) << name;
        EXPECT_EQ(image.textureId, 0u) << name;
        return out;
    }
    std::string loading() const { return "Loading texture " + path + ": "; }

    TempFolder folder;
    std::string path;
};

TEST_F(TgaLoaderFailures, EveryFailureHasItsMessage)
{
    const Bytes pixel(3, '\x7f');
    struct Case {
        const char* name;
        Bytes bytes;
        const char* message;
    };
    Bytes withId = header(2, 1, 1, 24) + pixel;
    withId[0] = 1;
    Bytes colourMapped = header(2, 1, 1, 24) + pixel;
    colourMapped[1] = 1;
    Bytes withOrigin = header(2, 1, 1, 24) + pixel;
    withOrigin[8] = 1;
    const Case cases[] = {
        {"shorter_than_signature.tga", Bytes(11, '\0'), "error, invalid format!\n"},
        {"image_id_field.tga", withId, "error, invalid format!\n"},
        {"colour_map.tga", colourMapped, "error, invalid format!\n"},
        {"non_zero_origin.tga", withOrigin, "error, invalid format!\n"},
        {"greyscale.tga", header(3, 1, 1, 8) + "x", "error, invalid format!\n"},
        {"colour_mapped_type.tga", header(1, 1, 1, 24) + pixel, "error, invalid format!\n"},
        {"header_cut_short.tga", header(2, 1, 1, 24).substr(0, 17), "error, invalid format!\n"},
        {"zero_width.tga", header(2, 0, 1, 24) + pixel, "error, invalid format!\n"},
        {"zero_height.tga", header(10, 1, 0, 24) + pixel, "error, invalid format!\n"},
        {"sixteen_bits.tga", header(2, 1, 1, 16) + "xx", "error, invalid format!\n"},
        {"raw_data_cut_short.tga", header(2, 2, 2, 24) + pixel + pixel + pixel,
         "error, file appears to be damaged!\n"},
        {"rle_header_missing.tga", header(10, 2, 1, 24) + '\x80' + pixel,
         "error, could not read RLE header.\n"},
        {"rle_raw_pixel_missing.tga", header(10, 2, 1, 24) + '\x01' + pixel + "xx",
         "error, could not read image data.\n"},
        {"rle_run_pixel_missing.tga", header(10, 2, 1, 24) + '\x81' + "xx",
         "error, could not read from file.\n"},
        {"rle_run_past_end.tga", header(10, 2, 2, 24) + '\x82' + pixel + '\x81' + pixel,
         "error, too many pixels read.\n"},
        {"rle_raw_past_end.tga", header(10, 2, 1, 32) + '\x02' + Bytes(12, 'p'),
         "error, too many pixels read.\n"},
    };
    for (const Case& c : cases) {
        const std::string out = load(c.name, c.bytes);
        EXPECT_EQ(out, loading() + c.message) << c.name;
    }
}

TEST_F(TgaLoaderFailures, MissingFilesAndFoldersAreNotFound)
{
    path = folder.file("missing.tga");
    TextureImage image;
    std::string out = captureStdout([&] { EXPECT_FALSE(loadTgaTexture(path.c_str(), image)); });
    EXPECT_EQ(out, loading() + "error, file not found!\n");

    std::filesystem::create_directory(folder.file("folder.tga"));
    path = folder.file("folder.tga");
    out = captureStdout([&] { EXPECT_FALSE(loadTgaTexture(path.c_str(), image)); });
    EXPECT_EQ(out, loading() + "error, file not found!\n");
}

// A 65535 x 65535 x 32-bit header on a few bytes promises 17 GB: it fails at once, with the
// message decoding would end with, and without taking memory for the promise.
TEST_F(TgaLoaderFailures, HugeHeadersOnSmallFilesFailQuickly)
{
    const auto start = std::chrono::steady_clock::now();
    std::string out = load("huge_raw.tga", header(2, 65535, 65535, 32) + Bytes(1000, 'x'));
    EXPECT_EQ(out, loading() + "error, file appears to be damaged!\n");

    Bytes rle = header(10, 65535, 65535, 32);
    for (int i = 0; i < 1000; ++i)
        rle += '\xff' + Bytes(4, 'x'); // 128 pixels per packet: far too few packets
    out = load("huge_rle_ends_after_packets.tga", rle);
    EXPECT_EQ(out, loading() + "error, could not read RLE header.\n");
    out = load("huge_rle_ends_in_raw_packet.tga", rle + '\x7f' + Bytes(9, 'x'));
    EXPECT_EQ(out, loading() + "error, could not read image data.\n");
    out = load("huge_rle_ends_in_run_packet.tga", rle + '\x80' + "x");
    EXPECT_EQ(out, loading() + "error, could not read from file.\n");

    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 2.0);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool UnderAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool UnderAddressSanitizer = true;
#else
constexpr bool UnderAddressSanitizer = false;
#endif
#else
constexpr bool UnderAddressSanitizer = false;
#endif

// When the size of what is left cannot be told (a pipe), the promise is taken at its word; a
// failed allocation then reports the memory message. Provoked in a child process with a small
// address-space limit, which the address sanitizer's own reservations do not fit in.
TEST(TgaDecoder, AFailedAllocationReportsTheMemoryMessage)
{
    if (UnderAddressSanitizer)
        GTEST_SKIP() << "address-space limits do not work under the address sanitizer";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit limit{512u << 20, 512u << 20};
        setrlimit(RLIMIT_AS, &limit);
        int ends[2];
        if (pipe(ends) != 0)
            _exit(2);
        const Bytes bytes = header(2, 65535, 65535, 32);
        if (write(ends[1], bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            _exit(2);
        close(ends[1]);
        std::FILE* file = fdopen(ends[0], "rb");
        TextureImage image;
        TgaPixels pixels;
        const std::string out = captureStdout([&] { decodeTga(file, image, pixels); });
        _exit(out == "error, unable to allocate memory!\n" ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(TgaDecoder, TheLoadReportGivesTheDecodedValues)
{
    const Picture picture = makePicture(5, 7, 32, 3);
    const Decoded result = decode(encodeRunLength(picture));
    ASSERT_TRUE(result.ok);
    const std::string out = captureStdout([&] { reportTgaLoaded(result.image, result.encoding); });
    EXPECT_EQ(out, "done.\n-> Format of texture:    RLE Compressed.\n-> Width of texture:     5\n"
                   "-> Height of texture:    7\n-> Bitdepth of texture:  32\n");
}

} // namespace
