// The TGA decoder (which makes no OpenGL call) and the model generator's writer: the writer's
// pictures read back in both encodings, and every failure message from the fixture that provokes it.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "assets/tga_decoder.h"
#include "reader_test_support.h"
#include "tools/model_generator/tga_writer.h"

namespace {

using Bytes = std::string;
using Pixels = std::vector<unsigned char>;

Bytes header(int type, int width, int height, int bits)
{
    Bytes bytes(18, '\0');
    for (auto [at, value] : {std::pair{2, type}, {12, width}, {13, width >> 8}, {14, height}, {15, height >> 8}, {16, bits}})
        bytes[static_cast<std::size_t>(at)] = static_cast<char>(value & 0xff);
    return bytes;
}

// Decodes the bytes; the pixels, with the image's fields and its encoding in front as four ints.
Pixels decode(Bytes bytes)
{
    std::FILE* file = fmemopen(bytes.data(), bytes.size(), "rb");
    TextureImage image;
    TgaPixels pixels;
    Pixels out;
    EXPECT_EQ(captureStdout([&] { EXPECT_TRUE(decodeTga(file, image, pixels)); }), "") << "the decoder prints only failures";
    for (int field : {image.width, image.height, image.bitsPerPixel, pixels.encoding == TgaEncoding::RunLength ? 10 : 2})
        out.push_back(static_cast<unsigned char>(field));
    if (const unsigned char* p = pixels.data.get()) {
        out.insert(out.end(), p, p + pixels.size);
        EXPECT_EQ(Pixels(p + pixels.size, p + pixels.size + TgaPixelSlack), Pixels(TgaPixelSlack)) << "zeroed slack after the pixels";
    }
    std::fclose(file);
    return out;
}

// The generator's pictures, changing at every pixel, now and then or among two colours, in rows of
// 1 to 300 stored either way up, at both depths and packings, come back as written, red first. Its
// run-length rows take the fewest packets: none crosses a row (a fixture has that), no raw packet
// holds a pixel equal to the next, and a run packet under 128 ends where its run does.
TEST(TgaDecoder, BothEncodingsOfTheWritersPicturesReadBackInTheFewestPackets)
{
    constexpr int height = 9;
    for (int bits : {24, 32}) {
        for (int width : {1, 2, 3, 5, 37, 200, 300}) {
            std::mt19937 random(static_cast<unsigned>(width + bits));
            const unsigned changeOneIn = width == 300 ? 100 : width == 37 || width == 200 ? 1 : 2, levels = width < 10 ? 2 : 256;
            std::vector<std::uint8_t> rgba;
            std::uint8_t pixel[4] = {};
            for (int i = 0; i < width * height; ++i) {
                if (random() % changeOneIn == 0)
                    pixel[random() % 4] = static_cast<std::uint8_t>(random() % levels);
                rgba.insert(rgba.end(), pixel, pixel + 4);
            }
            const int size = bits / 8;
            const auto at = [&](int y, int x) { return &rgba[static_cast<std::size_t>(y * width + x) * 4]; };
            const auto same = [&](int y, int a, int b) { return std::equal(at(y, a), at(y, a) + size, at(y, b)); };
            Pixels expected = {static_cast<unsigned char>(width), height, static_cast<unsigned char>(bits), 0};
            for (int i = 0; i < width * height; ++i)
                expected.insert(expected.end(), at(0, i), at(0, i) + size);
            for (TgaPacking packing : {TgaPacking::Uncompressed, TgaPacking::RunLength}) {
                const bool runLength = packing == TgaPacking::RunLength;
                Bytes file = encodeTga(rgba, width, height, bits, packing);
                file[17] = static_cast<char>(file[17] | (width == 3 ? 0x20 : 0));
                expected[3] = runLength ? 10 : 2;
                EXPECT_EQ(decode(file), expected) << bits << " bits, width " << width << ", type " << int{expected[3]};
                if (!runLength)
                    continue;
                std::size_t next = 18;
                for (int y = 0; y < height; ++y) {
                    for (int x = 0, count = 0; x < width && next < file.size(); x += count) {
                        const auto head = static_cast<unsigned char>(file[next]);
                        const bool run = head & 0x80;
                        count = (head & 0x7f) + 1;
                        next += 1 + static_cast<std::size_t>(run ? size : count * size);
                        ASSERT_LE(x + count, width) << "a packet crosses row " << y << ", width " << width;
                        if (run) {
                            EXPECT_TRUE(count >= 2 && (count == 128 || x + count == width || !same(y, x, x + count))) << y << ", " << x;
                        }
                        for (int k = x; !run && k < x + count; ++k)
                            EXPECT_FALSE(k + 1 < width && same(y, k, k + 1)) << "row " << y << ", pixel " << k << " of a raw packet";
                    }
                }
                EXPECT_EQ(next, file.size()) << bits << " bits, width " << width;
            }
        }
    }
}

// Each fixture is named for what loading it prints: the "decodes." ones load with the report, the
// others fail with one message after "Loading texture PATH: ".
TEST(TgaDecoder, EachFixtureLoadsOrFailsWithTheMessageItIsNamedFor)
{
    const std::map<std::string, std::string> messages = {
        {"invalid", "error, invalid format!\n"},        {"damaged", "error, file appears to be damaged!\n"},
        {"no_rle_header", "error, could not read RLE header.\n"}, {"no_raw_pixel", "error, could not read image data.\n"},
        {"no_run_pixel", "error, could not read from file.\n"}, {"too_many_pixels", "error, too many pixels read.\n"},
        {"missing", "error, file not found!\n"},        {"folder", "error, file not found!\n"}};
    TempFolder folder;
    std::filesystem::create_directory(folder.file("folder.tga"));
    std::vector<std::string> paths = {folder.file("missing.tga"), folder.file("folder.tga")};
    for (const auto& entry : std::filesystem::directory_iterator(VANTOR_TGA_FIXTURES))
        paths.push_back(entry.path().string());
    ASSERT_GT(paths.size(), 20u) << "no fixtures in " VANTOR_TGA_FIXTURES;
    const auto openFiles = [] { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); };
    const auto filesBefore = openFiles();
    for (const std::string& path : paths) {
        const std::string name = std::filesystem::path(path).filename().string(), kind = name.substr(0, name.find('.'));
        TextureImage image;
        bool ok = false;
        const std::string out = captureStdout([&] { ok = decodeTgaFile(path.c_str(), image); });
        char report[256];
        std::snprintf(report, sizeof report, "done.\n-> Format of texture:    %s.\n-> Width of texture:     %d\n"
                      "-> Height of texture:    %d\n-> Bitdepth of texture:  %d\n", name.find("rle") != name.npos ?
                      "RLE Compressed" : "Uncompressed", image.width, image.height, image.bitsPerPixel);
        EXPECT_EQ(ok, kind == "decodes") << name;
        EXPECT_EQ(out, "Loading texture " + path + ": " + (ok ? std::string(report) : messages.at(kind)));
    }
    EXPECT_EQ(openFiles(), filesBefore) << "a file left open";
}

// A header's promise is checked against what a file holds before anything is allocated for it;
// when that size cannot be told (a pipe), the promise is taken at its word, and a failed
// allocation reports the memory message. Run in a child process with a small address-space
// limit, which the address sanitizer's own reservations do not fit in.
TEST(TgaDecoder, AHugeHeaderFailsOnAFileAndRunsOutOfMemoryOnAPipe)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "address-space limits do not work under the address sanitizer";
#endif
    const Bytes bytes = header(2, 65535, 65535, 32);
    const pid_t child = fork();
    if (child == 0) {
        const rlimit limit{512u << 20, 512u << 20};
        setrlimit(RLIMIT_AS, &limit);
        int ends[2];
        if (pipe(ends) != 0 || write(ends[1], bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            _exit(2);
        close(ends[1]);
        TextureImage image;
        TgaPixels pixels;
        const bool fromPipe = captureStdout([&] { decodeTga(fdopen(ends[0], "rb"), image, pixels); }) ==
                              "error, unable to allocate memory!\n";
        const std::string file = VANTOR_TGA_FIXTURES "/damaged.huge_header_on_a_small_file.tga";
        const bool fromFile = captureStdout([&] { decodeTgaFile(file.c_str(), image); }) ==
                              "Loading texture " + file + ": error, file appears to be damaged!\n";
        _exit(fromPipe && fromFile ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(child > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

} // namespace
