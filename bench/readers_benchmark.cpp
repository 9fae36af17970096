// Times the model readers, and the modders' importer, on files at the sizes the game must handle,
// each next to a plain reference measured in the same run: the OBJ file read with fread and its
// lines counted, the literal reader (getc into the line buffer, then the line patterns with
// sscanf in order), and the TGA file read with fread.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "assets/load_report.h"
#include "assets/model_loader.h"
#include "assets/obj_reader.h"
#include "assets/tga_decoder.h"
#include "render/edge_lists.h"
#include "render/normals.h"
#include "tools/model_import/import_model.h"

namespace {

std::filesystem::path benchFolder()
{
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "vantor-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        return std::filesystem::path(pattern);
    }();
    return folder;
}

// A model at the reader's capacity: 75,000 positions, two-number texture coordinates and
// normals, and 150,000 faces of which one in ten is a quad; their corners "a/b/c", or plain "a"
// when plainIndices is set.
const std::string& capacityObjFile(bool plainIndices)
{
    static const auto write = [](bool plain) {
        const std::string file = (benchFolder() / (plain ? "capacity_plain.obj" : "capacity.obj")).string();
        std::FILE* out = std::fopen(file.c_str(), "w");
        std::mt19937 random(1);
        std::uniform_real_distribution<float> coordinate(-100.0f, 100.0f);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        for (int i = 0; i < MaxModelElements; ++i)
            std::fprintf(out, "v %f %f %f\n", coordinate(random), coordinate(random), coordinate(random));
        for (int i = 0; i < MaxModelElements; ++i)
            std::fprintf(out, "vt %f %f\n", unit(random), unit(random));
        for (int i = 0; i < MaxModelElements; ++i)
            std::fprintf(out, "vn %f %f %f\n", unit(random), unit(random), unit(random));
        auto index = [&] { return 1 + static_cast<int>(random() % MaxModelElements); };
        for (int i = 0; i < 2 * MaxModelElements; ++i) {
            const int corners = i % 10 == 0 ? 4 : 3;
            std::fputc('f', out);
            for (int k = 0; k < corners; ++k) {
                if (plain)
                    std::fprintf(out, " %d", index());
                else
                    std::fprintf(out, " %d/%d/%d", index(), index(), index());
            }
            std::fputc('\n', out);
        }
        std::fclose(out);
        return file;
    };
    static const std::string slashed = write(false), plain = write(true);
    return plainIndices ? plain : slashed;
}

// The capacity model with one material that asks for outlines and smoothed normals, as a modder's
// big model may: the whole load then builds the edge trees and their lists too.
const std::string& outlinedCapacityObjFile()
{
    static const std::string path = [] {
        const std::string mtl = (benchFolder() / "capacity_outlined.mtl").string();
        std::FILE* out = std::fopen(mtl.c_str(), "w");
        std::fputs("newmtl outlined\nKa 0.2 0.2 0.2\nKd 0.8 0.8 0.8\nKs 0 0 0\nNs 10\nTr 1\nSmooth 1\nNormal 1\n", out);
        std::fclose(out);
        const std::string file = (benchFolder() / "capacity_outlined.obj").string();
        out = std::fopen(file.c_str(), "w");
        // The game looks for the library in the working folder; a full path finds it from anywhere.
        std::fprintf(out, "mtllib %s\nusemtl outlined\n", mtl.c_str());
        std::FILE* in = std::fopen(capacityObjFile(false).c_str(), "r");
        std::vector<char> block(1 << 16);
        for (std::size_t got; (got = std::fread(block.data(), 1, block.size(), in)) > 0;)
            std::fwrite(block.data(), 1, got, out);
        std::fclose(in);
        std::fclose(out);
        return file;
    }();
    return path;
}

enum class CapacityFile { Slashed, Plain, Outlined };

const std::string& capacityPath(CapacityFile which)
{
    return which == CapacityFile::Outlined ? outlinedCapacityObjFile() : capacityObjFile(which == CapacityFile::Plain);
}

// 1024 x 1024 pictures: stretches of one colour of 1 to 12 pixels, as painted textures have.
std::vector<unsigned char> texturePicture(int bytesPerPixel)
{
    std::mt19937 random(2);
    std::vector<unsigned char> pixels;
    pixels.reserve(1024 * 1024 * 4);
    unsigned char pixel[4] = {};
    int left = 0;
    for (int i = 0; i < 1024 * 1024; ++i) {
        if (left-- == 0) {
            left = static_cast<int>(random() % 12);
            for (unsigned char& byte : pixel)
                byte = static_cast<unsigned char>(random());
        }
        pixels.insert(pixels.end(), pixel, pixel + bytesPerPixel);
    }
    return pixels;
}

void writeTgaHeader(std::FILE* out, int type, int bits)
{
    const unsigned char header[18] = {0, 0, static_cast<unsigned char>(type), 0, 0, 0, 0, 0, 0, 0,
                                      0, 0, 0, 4, 0, 4, static_cast<unsigned char>(bits), 0};
    std::fwrite(header, 1, sizeof header, out);
}

const std::string& rle32TgaFile()
{
    static const std::string path = [] {
        const std::string file = (benchFolder() / "rle32.tga").string();
        const std::vector<unsigned char> pixels = texturePicture(4);
        std::FILE* out = std::fopen(file.c_str(), "wb");
        writeTgaHeader(out, 10, 32);
        const int count = 1024 * 1024;
        auto same = [&](int a, int b) { return std::memcmp(&pixels[a * 4], &pixels[b * 4], 4) == 0; };
        for (int i = 0; i < count;) {
            int run = 1;
            while (i + run < count && run < 128 && same(i, i + run))
                ++run;
            if (run == 1) {
                int raw = 1;
                while (i + raw < count && raw < 128 && !(i + raw + 1 < count && same(i + raw, i + raw + 1)))
                    ++raw;
                std::fputc(raw - 1, out);
                std::fwrite(&pixels[i * 4], 4, raw, out);
                i += raw;
            } else {
                std::fputc(127 + run, out);
                std::fwrite(&pixels[i * 4], 4, 1, out);
                i += run;
            }
        }
        std::fclose(out);
        return file;
    }();
    return path;
}

const std::string& raw24TgaFile()
{
    static const std::string path = [] {
        const std::string file = (benchFolder() / "raw24.tga").string();
        const std::vector<unsigned char> pixels = texturePicture(3);
        std::FILE* out = std::fopen(file.c_str(), "wb");
        writeTgaHeader(out, 2, 24);
        std::fwrite(pixels.data(), 1, pixels.size(), out);
        std::fclose(out);
        return file;
    }();
    return path;
}

std::FILE* nullOutput()
{
    static std::FILE* sink = std::fopen("/dev/null", "w");
    return sink;
}

void ReadObjFile(benchmark::State& state, CapacityFile which)
{
    const std::string& path = capacityPath(which);
    setLoadReportStream(nullOutput());
    for (auto _ : state) {
        Model model;
        readObjFile(model, path.c_str());
        benchmark::DoNotOptimize(model.loadBuffer->triangleCount);
        releaseLoadBuffer(model);
        model.materialCount = 0; // no Material was created for the unload to delete
    }
    setLoadReportStream(nullptr);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(path)));
}

// The modders' importer on the same file: read leniently, faces kept, every table written again
// as text; in memory, nothing written to disk.
void ImportObjFile(benchmark::State& state, bool plainIndices)
{
    const std::string& path = capacityObjFile(plainIndices);
    ImportOptions options;
    options.name = "capacity";
    for (auto _ : state) {
        ImportedModel model;
        std::string error;
        if (!importModel(path, options, model, error))
            state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(model.files.front().second.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(path)));
}

// The game's whole load of the outlined capacity model, with no OpenGL context: every OpenGL call
// goes to the library's stand-in that does nothing, so this is the load's own work. Next to it,
// the bare read of the same file and each later step alone.
void LoadModelWithoutGl(benchmark::State& state)
{
    const std::string& path = outlinedCapacityObjFile();
    setLoadReportStream(nullOutput());
    for (auto _ : state) {
        Model model;
        if (!loadModel(model, path.c_str(), 1.0f))
            state.SkipWithError("the model did not load");
        benchmark::DoNotOptimize(model.materials);
    }
    setLoadReportStream(nullptr);
}

enum class LoadStep { Normals, EdgeTreesBuiltAndFreed, EdgeLists };

void OneLoadStep(benchmark::State& state, LoadStep step)
{
    const std::string& path = outlinedCapacityObjFile();
    setLoadReportStream(nullOutput());
    for (auto _ : state) {
        state.PauseTiming();
        Model model;
        readObjFile(model, path.c_str());
        model.materials = new Material[model.materialCount]();
        if (step != LoadStep::Normals)
            computeNormals(model);
        if (step == LoadStep::EdgeLists)
            buildEdgeTrees(model);
        state.ResumeTiming();
        switch (step) {
        case LoadStep::Normals: computeNormals(model); break;
        case LoadStep::EdgeTreesBuiltAndFreed:
            buildEdgeTrees(model);
            releaseEdgeTrees(model);
            break;
        case LoadStep::EdgeLists: buildEdgeLists(model); break;
        }
        state.PauseTiming();
        state.counters["edges"] = static_cast<double>(model.loadBuffer->groups[0].edgeCount);
        releaseEdgeTrees(model);
        releaseLoadBuffer(model);
        state.ResumeTiming();
    }
    setLoadReportStream(nullptr);
}

void FreadAndCountLines(benchmark::State& state, CapacityFile which)
{
    const std::string& path = capacityPath(which);
    std::vector<char> block(64 * 1024);
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "r");
        long lines = 0;
        for (std::size_t got; (got = std::fread(block.data(), 1, block.size(), file)) > 0;)
            for (const char* p = block.data(); (p = static_cast<const char*>(std::memchr(p, '\n', block.data() + got - p)));
                 ++p)
                ++lines;
        std::fclose(file);
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(path)));
}

// The reader written literally: getc per character, then each pattern with sscanf until one
// yields its count. Only the counts are kept; no face is allocated.
void LiteralGetcAndSscanf(benchmark::State& state, bool plainIndices)
{
    const std::string& path = capacityObjFile(plainIndices);
    const char* const patterns[] = {
        "v %f %f %f", "vt %f %f %f", "vt %f %f", "vn %f %f %f",
        "f %d/%d/%d %d/%d/%d %d/%d/%d %d/%d/%d", "f %d/%d/%d %d/%d/%d %d/%d/%d",
        "f %d//%d %d//%d %d//%d %d//%d", "f %d/%d %d/%d %d/%d %d/%d", "f %d//%d %d//%d %d//%d",
        "f %d/%d %d/%d %d/%d", "f %d %d %d %d", "f %d %d %d"};
    const int required[] = {3, 3, 2, 3, 12, 9, 8, 8, 6, 6, 4, 3};
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "r");
        char line[255];
        long counts[12] = {};
        while (!std::feof(file)) {
            int stored = 0;
            for (int c; stored < 254 && (c = std::getc(file)) != EOF;) {
                line[stored++] = static_cast<char>(c);
                if (c == '\n' || c == '\r')
                    break;
            }
            if (stored == 0)
                break;
            line[stored] = '\0';
            union {
                int i;
                float f;
            } v[12];
            for (int row = 0; row < 12; ++row) {
                if (std::sscanf(line, patterns[row], &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6],
                                &v[7], &v[8], &v[9], &v[10], &v[11]) == required[row]) {
                    ++counts[row];
                    break;
                }
            }
        }
        std::fclose(file);
        benchmark::DoNotOptimize(counts);
    }
}

void decodeFile(benchmark::State& state, const std::string& path)
{
    setLoadReportStream(nullOutput());
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        TextureImage image;
        TgaPixels pixels;
        if (!decodeTga(file, image, pixels))
            state.SkipWithError("decoding failed");
        benchmark::DoNotOptimize(pixels.data.get());
        std::fclose(file);
    }
    setLoadReportStream(nullptr);
}

void freadFile(benchmark::State& state, const std::string& path)
{
    std::vector<unsigned char> bytes(std::filesystem::file_size(path));
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        benchmark::DoNotOptimize(std::fread(bytes.data(), 1, bytes.size(), file));
        std::fclose(file);
    }
}

void DecodeTgaRle32(benchmark::State& state) { decodeFile(state, rle32TgaFile()); }
void FreadTgaRle32(benchmark::State& state) { freadFile(state, rle32TgaFile()); }
void DecodeTgaRaw24(benchmark::State& state) { decodeFile(state, raw24TgaFile()); }
void FreadTgaRaw24(benchmark::State& state) { freadFile(state, raw24TgaFile()); }

BENCHMARK(LoadModelWithoutGl)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadObjFile, outlined, CapacityFile::Outlined)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FreadAndCountLines, outlined, CapacityFile::Outlined)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OneLoadStep, normals, LoadStep::Normals)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(OneLoadStep, edge_trees_built_and_freed, LoadStep::EdgeTreesBuiltAndFreed)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK_CAPTURE(OneLoadStep, edge_lists, LoadStep::EdgeLists)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(ReadObjFile, slashed, CapacityFile::Slashed)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ImportObjFile, slashed, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FreadAndCountLines, slashed, CapacityFile::Slashed)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LiteralGetcAndSscanf, slashed, false)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(ReadObjFile, plain, CapacityFile::Plain)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FreadAndCountLines, plain, CapacityFile::Plain)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LiteralGetcAndSscanf, plain, true)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(DecodeTgaRle32)->Unit(benchmark::kMillisecond);
BENCHMARK(FreadTgaRle32)->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeTgaRaw24)->Unit(benchmark::kMillisecond);
BENCHMARK(FreadTgaRaw24)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(benchFolder(), ignored);
    return 0;
}
