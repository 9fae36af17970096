// The TGA decoder and the loader's failure paths (which make no OpenGL call): both encodings of
// one picture against the picture itself, packet edge cases, and every failure message from a
// file that provokes it.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
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
using Pixels = std::vector<unsigned char>;

Bytes header(int type, int width, int height, int bits, int descriptor = 0)
{
    Bytes bytes(18, '\0');
    for (auto [at, value] : {std::pair{2, type}, {12, width}, {13, width >> 8}, {14, height}, {15, height >> 8}, {16, bits}, {17, descriptor}})
        bytes[static_cast<std::size_t>(at)] = static_cast<char>(value & 0xff);
    return bytes;
}

// One pixel as the file stores it: blue first.
Bytes filePixel(const unsigned char* rgba, int size)
{
    return Bytes{static_cast<char>(rgba[2]), static_cast<char>(rgba[1]), static_cast<char>(rgba[0]),
                 static_cast<char>(rgba[3])}.substr(0, static_cast<std::size_t>(size));
}

// Runs of equal pixels become run packets of up to 128, the rest raw packets, ignoring rows; with
// runLength false, the uncompressed file.
Bytes encode(const Pixels& rgba, int width, int height, int size, bool runLength)
{
    Bytes bytes = header(runLength ? 10 : 2, width, height, size * 8);
    const int count = width * height;
    auto at = [&](int i) { return &rgba[static_cast<std::size_t>(i * size)]; };
    auto same = [&](int a, int b) { return std::equal(at(a), at(a) + size, at(b)); };
    for (int i = 0; i < count;) {
        if (!runLength) {
            bytes += filePixel(at(i++), size);
            continue;
        }
        int run = 1;
        while (i + run < count && run < 128 && same(i, i + run))
            ++run;
        if (run > 1) {
            bytes += static_cast<char>(127 + run) + filePixel(at(i), size);
            i += run;
            continue;
        }
        int raw = 1;
        while (i + raw < count && raw < 128 && !(i + raw + 1 < count && same(i + raw, i + raw + 1)))
            ++raw;
        bytes += static_cast<char>(raw - 1);
        for (int k = 0; k < raw; ++k)
            bytes += filePixel(at(i + k), size);
        i += raw;
    }
    return bytes;
}

struct Decoded {
    bool ok = false;
    TextureImage image;
    Pixels pixels;
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
    // Widths whose 24-bit rows are not a multiple of 4 bytes; runs of every length that cross rows.
    for (int bits : {24, 32}) {
        for (int width : {1, 3, 37, 300}) {
            std::mt19937 random(static_cast<unsigned>(width * bits));
            Pixels picture;
            unsigned char pixel[4] = {};
            for (int i = 0; i < width * 13; ++i) {
                if (random() % 3 == 0)
                    for (unsigned char& byte : pixel)
                        byte = static_cast<unsigned char>(random());
                picture.insert(picture.end(), pixel, pixel + bits / 8);
            }
            for (bool runLength : {false, true}) {
                const Decoded d = decode(encode(picture, width, 13, bits / 8, runLength));
                ASSERT_TRUE(d.ok) << d.output;
                EXPECT_EQ(d.pixels, picture) << bits << " bits, width " << width << ", rle " << runLength;
                EXPECT_EQ(d.output, "") << "the decoder prints only failures";
                EXPECT_EQ((std::vector<int>{d.image.width, d.image.height, d.image.bitsPerPixel, d.encoding == TgaEncoding::RunLength}),
                          (std::vector<int>{width, 13, bits, runLength}));
                if (runLength && bits == 32 && width == 37) {
                    EXPECT_EQ(captureStdout([&] { reportTgaLoaded(d.image, d.encoding); }),
                              "done.\n-> Format of texture:    RLE Compressed.\n-> Width of texture:     37\n"
                              "-> Height of texture:    13\n-> Bitdepth of texture:  32\n");
                }
            }
        }
    }
}

TEST(TgaDecoder, RunPacketsHoldOneTo128PixelsAcrossRows)
{
    // 100 x 3, stored top to bottom: a run of 128 (header 255) across the first row's end, a run of
    // 1 (header 128), a raw packet of 128 pixels and a run that ends exactly at the last pixel.
    const unsigned char a[4] = {10, 20, 30, 40}, b[4] = {50, 60, 70, 80};
    Bytes bytes = header(10, 100, 3, 32, 0x20) + '\xff' + filePixel(a, 4) + '\x80' + filePixel(b, 4) + '\x7f';
    for (int i = 0; i < 128; ++i)
        bytes += filePixel(i % 2 ? a : b, 4);
    bytes += static_cast<char>(127 + 43) + filePixel(a, 4);
    const Decoded result = decode(bytes);
    ASSERT_TRUE(result.ok) << result.output;
    ASSERT_EQ(result.pixels.size(), 300u * 4);
    for (int index = 0; index < 300; ++index) {
        const bool isB = index == 128 || (index >= 129 && index <= 256 && (index - 129) % 2 == 0);
        EXPECT_EQ(Pixels(&result.pixels[index * 4], &result.pixels[index * 4] + 4), Pixels(isB ? b : a, (isB ? b : a) + 4))
            << "pixel " << index;
    }
}

class TgaLoaderFailures : public ::testing::Test {
protected:
    // Loads the file and returns what was printed after "Loading texture PATH: ".
    static std::string loadPath(const std::string& path)
    {
        TextureImage image;
        bool ok = true;
        const std::string out = captureStdout([&] { ok = loadTgaTexture(path.c_str(), image); });
        EXPECT_FALSE(ok) << path;
        EXPECT_EQ(image.textureId, 0u) << path;
        const std::string loading = "Loading texture " + path + ": ";
        EXPECT_EQ(out.substr(0, loading.size()), loading);
        return out.substr(std::min(out.size(), loading.size()));
    }
    std::string load(const std::string& name, const Bytes& bytes) { return loadPath(folder.write(name, bytes)); }

    TempFolder folder;
};

TEST_F(TgaLoaderFailures, EveryFailureHasItsMessage)
{
    const Bytes pixel(3, '\x7f'), good = header(2, 1, 1, 24) + pixel;
    auto with = [&](int at) { Bytes b = good; b[static_cast<std::size_t>(at)] = 1; return b; };
    const char* const invalid = "error, invalid format!\n";
    const struct {
        const char* name;
        Bytes bytes;
        const char* message;
    } cases[] = {
        {"shorter_than_signature.tga", Bytes(11, '\0'), invalid},
        {"image_id_field.tga", with(0), invalid},
        {"colour_map.tga", with(1), invalid},
        {"non_zero_origin.tga", with(8), invalid},
        {"greyscale.tga", header(3, 1, 1, 8) + "x", invalid},
        {"colour_mapped_type.tga", header(1, 1, 1, 24) + pixel, invalid},
        {"header_cut_short.tga", good.substr(0, 17), invalid},
        {"zero_width.tga", header(2, 0, 1, 24) + pixel, invalid},
        {"zero_height.tga", header(10, 1, 0, 24) + pixel, invalid},
        {"sixteen_bits.tga", header(2, 1, 1, 16) + "xx", invalid},
        {"raw_data_cut_short.tga", header(2, 2, 2, 24) + pixel + pixel + pixel, "error, file appears to be damaged!\n"},
        {"rle_header_missing.tga", header(10, 2, 1, 24) + '\x80' + pixel, "error, could not read RLE header.\n"},
        {"rle_raw_pixel_missing.tga", header(10, 2, 1, 24) + '\x01' + pixel + "xx", "error, could not read image data.\n"},
        {"rle_run_pixel_missing.tga", header(10, 2, 1, 24) + '\x81' + "xx", "error, could not read from file.\n"},
        {"rle_run_past_end.tga", header(10, 2, 2, 24) + '\x82' + pixel + '\x81' + pixel, "error, too many pixels read.\n"},
        {"rle_raw_past_end.tga", header(10, 2, 1, 32) + '\x02' + Bytes(12, 'p'), "error, too many pixels read.\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(load(c.name, c.bytes), c.message) << c.name;

    std::filesystem::create_directory(folder.file("folder.tga"));
    for (const char* name : {"missing.tga", "folder.tga"})
        EXPECT_EQ(loadPath(folder.file(name)), "error, file not found!\n");
}

// A 65535 x 65535 x 32-bit header on a few bytes promises 17 GB: it fails at once, with the
// message decoding would end with, and without taking memory for the promise.
TEST_F(TgaLoaderFailures, HugeHeadersOnSmallFilesFailQuickly)
{
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(load("huge_raw.tga", header(2, 65535, 65535, 32) + Bytes(1000, 'x')),
              "error, file appears to be damaged!\n");
    Bytes rle = header(10, 65535, 65535, 32);
    for (int i = 0; i < 1000; ++i)
        rle += '\xff' + Bytes(4, 'x'); // 128 pixels per packet: far too few packets
    EXPECT_EQ(load("huge_rle_1.tga", rle), "error, could not read RLE header.\n");
    EXPECT_EQ(load("huge_rle_2.tga", rle + '\x7f' + Bytes(9, 'x')), "error, could not read image data.\n");
    EXPECT_EQ(load("huge_rle_3.tga", rle + '\x80' + "x"), "error, could not read from file.\n");
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 2.0);
}

#if defined(__SANITIZE_ADDRESS__)
#define VANTOR_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VANTOR_UNDER_ASAN 1
#endif
#endif

// When the size of what is left cannot be told (a pipe), the promise is taken at its word; a
// failed allocation then reports the memory message. Provoked in a child process with a small
// address-space limit, which the address sanitizer's own reservations do not fit in.
TEST(TgaDecoder, AFailedAllocationReportsTheMemoryMessage)
{
#ifdef VANTOR_UNDER_ASAN
    GTEST_SKIP() << "address-space limits do not work under the address sanitizer";
#endif
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit limit{512u << 20, 512u << 20};
        setrlimit(RLIMIT_AS, &limit);
        int ends[2];
        const Bytes bytes = header(2, 65535, 65535, 32);
        if (pipe(ends) != 0 || write(ends[1], bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            _exit(2);
        close(ends[1]);
        std::FILE* file = fdopen(ends[0], "rb");
        TextureImage image;
        TgaPixels pixels;
        _exit(captureStdout([&] { decodeTga(file, image, pixels); }) == "error, unable to allocate memory!\n" ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
