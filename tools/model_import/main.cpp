// vantor-model-import: makes a model exported from a 3D program ready for the game. Writes NAME.obj,
// NAME.mtl and every texture as a TGA into the target folder, and says what it changed, with a
// line starting "warning:" for each picture or material library it could not use.
// Usage: see usageText below.
// Exit status: 0 when written; 1 when nothing was written because the OBJ file cannot be read, the
// model does not fit within the game's limits, or a file cannot be written or would be overwritten
// without --force; 2 for a usage error.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/model_import/import_model.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* usageText =
    "usage: vantor-model-import SOURCE.obj TARGET_FOLDER [--name NAME] [--scale S] [--up AXIS [--forward AXIS]]\n"
    "                           [--max-texture N] [--force]\n"
    "  --name NAME       base name of the files written (default: the source's name)\n"
    "  --scale S         multiplies every position; S > 0\n"
    "  --up AXIS         the source's up: x, y, z, -x, -y or -z (default y; z for most CAD and 3ds Max)\n"
    "  --forward AXIS    the way the source's front faces (default z, or -y when up is z)\n"
    "  --max-texture N   the longest side of a texture written, 1 to 4096 (default 256)\n"
    "  --force           replace files that are there already\n";

int usage()
{
    std::fputs(usageText, stderr);
    return 2;
}

int refuse(const std::string& why)
{
    std::fprintf(stderr, "vantor-model-import: %s\n", why.c_str());
    return 2;
}

// A finite number written whole, nothing after it; false for anything else.
bool parse(const char* text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(value);
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> places;
    ImportOptions options;
    bool force = false, forwardGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::fputs(usageText, stdout);
            return 0;
        }
        if (argument == "--force") {
            force = true;
            continue;
        }
        const bool takesValue = argument == "--name" || argument == "--scale" || argument == "--max-texture" ||
                                argument == "--up" || argument == "--forward";
        if (takesValue && i + 1 < argc) {
            const std::string next = argv[++i];
            double value = 0;
            if (argument == "--name") {
                options.name = next;
                if (options.name.empty() || safeWord(options.name) != options.name || options.name.size() > MaxModelNameLength)
                    return refuse("a name is one word of at most " + std::to_string(MaxModelNameLength) +
                                  " letters, digits, '.', '-' or '_'");
            } else if (argument == "--scale") {
                // A negative scale would mirror the model, turning every face inside out.
                if (!parse(next.c_str(), value) || !(value > 0))
                    return refuse("--scale takes a number greater than 0");
                options.scale = value;
            } else if (argument == "--max-texture") {
                if (!parse(next.c_str(), value) || value < 1 || value > 4096 || value != static_cast<int>(value))
                    return refuse("--max-texture takes a whole number from 1 to 4096");
                options.maxTexture = static_cast<int>(value);
            } else {
                const auto axis = parseAxis(next);
                if (!axis)
                    return refuse(argument + " takes x, y, z, -x, -y or -z");
                (argument == "--up" ? options.up : options.forward) = *axis;
                forwardGiven = forwardGiven || argument == "--forward";
            }
        } else if (argument.rfind("--", 0) != 0) {
            places.push_back(argument);
        } else {
            return usage();
        }
    }
    if (places.size() != 2)
        return usage();
    if (!forwardGiven)
        options.forward = defaultForward(options.up);
    if (options.forward.index == options.up.index)
        return refuse("--up and --forward must lie along different axes");
    const fs::path source = places[0], target = places[1];
    if (options.name.empty())
        options.name = safeWord(source.stem().string()).substr(0, MaxModelNameLength);
    if (options.name.empty())
        options.name = "model";

    ImportedModel model;
    std::string error;
    if (!importModel(source, options, model, error)) {
        std::fprintf(stderr, "vantor-model-import: %s; nothing written\n", error.c_str());
        return 1;
    }
    // Nothing is written until every file is known not to be there already, or may be replaced.
    std::error_code failed;
    fs::create_directories(target, failed);
    for (const auto& [name, bytes] : model.files) {
        if (!force && fs::exists(target / name)) {
            std::fprintf(stderr, "vantor-model-import: %s is there already (--force replaces it); nothing written\n",
                         (target / name).c_str());
            return 1;
        }
    }
    for (const auto& [name, bytes] : model.files) {
        std::ofstream file(target / name, std::ios::binary | std::ios::trunc);
        if (!(file << bytes) || !file.flush()) {
            std::fprintf(stderr, "vantor-model-import: cannot write %s\n", (target / name).c_str());
            return 1;
        }
    }
    for (const std::string& warning : model.warnings)
        std::printf("%s\n", warning.c_str());
    for (const std::string& change : model.changes)
        std::printf("%s\n", change.c_str());
    std::printf("%s written to %s: %zu files\n", (options.name + ".obj").c_str(), target.c_str(), model.files.size());
    return 0;
}
