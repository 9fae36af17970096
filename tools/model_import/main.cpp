// vantor-model-import: makes a model exported from a 3D program ready for the game. Writes NAME.obj,
// NAME.mtl and every texture as a TGA into the target folder, and says what it changed.
// Usage: vantor-model-import SOURCE.obj TARGET_FOLDER [--name NAME] [--scale S] [--max-texture N] [--force]
// Exit status: 0 when written; 1 when nothing was written because the source or a file it names
// cannot be read, the model does not fit within the game's limits, or a file would be overwritten
// without --force; 2 for a usage error.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/model_import/import_model.h"

namespace {

namespace fs = std::filesystem;

int usage()
{
    std::fprintf(stderr, "usage: vantor-model-import SOURCE.obj TARGET_FOLDER [--name NAME] [--scale S] "
                         "[--max-texture N] [--force]\n");
    return 2;
}

// A whole positive number, or a finite non-zero one for the scale; false for anything else.
bool parse(const char* text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && value == value && value != 0.0 && value > -1e30 && value < 1e30;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> places;
    ImportOptions options;
    bool force = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        double value = 0;
        if (argument == "--force") {
            force = true;
        } else if ((argument == "--name" || argument == "--scale" || argument == "--max-texture") && i + 1 < argc) {
            const char* next = argv[++i];
            if (argument == "--name") {
                options.name = next;
                if (options.name.empty() || safeWord(options.name) != options.name)
                    return std::fprintf(stderr, "vantor-model-import: a name is one word of letters, digits, '.', '-' or '_'\n"), 2;
            } else if (!parse(next, value) || (argument == "--max-texture" && (value < 1 || value > 4096 || value != static_cast<int>(value)))) {
                return usage();
            } else if (argument == "--scale") {
                options.scale = value;
            } else {
                options.maxTexture = static_cast<int>(value);
            }
        } else if (argument.rfind("--", 0) != 0 && places.size() < 2) {
            places.push_back(argument);
        } else {
            return usage();
        }
    }
    if (places.size() != 2)
        return usage();
    const fs::path source = places[0], target = places[1];
    if (options.name.empty())
        options.name = safeWord(source.stem().string());

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
        if (!(file << bytes)) {
            std::fprintf(stderr, "vantor-model-import: cannot write %s\n", (target / name).c_str());
            return 1;
        }
    }
    for (const std::string& change : model.changes)
        std::printf("%s\n", change.c_str());
    std::printf("%s written to %s: %zu files\n", (options.name + ".obj").c_str(), target.c_str(), model.files.size());
    return 0;
}
