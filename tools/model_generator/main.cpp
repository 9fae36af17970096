// vantor-model-generator: writes the game's model files (OBJ, MTL and TGA) into a folder, the same
// bytes on every run, so the files in data/ can always be made again from this source.
// Usage: vantor-model-generator OUTPUT_DIR
#include <cstdio>
#include <exception>
#include <filesystem>

#include "models.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vantor-model-generator OUTPUT_DIR\n");
        return 2;
    }
    try {
        const std::filesystem::path folderPath = argv[1];
        std::filesystem::create_directories(folderPath);
        OutputFolder folder(folderPath);
        writeCarModel(folder);
        writeGroundModel(folder);
        writeBuildingsModel(folder);
        writeGrapplePointModel(folder);
        std::printf("%zu files written to %s\n", folder.written().size(), folderPath.string().c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vantor-model-generator: %s\n", error.what());
        return 1;
    }
    return 0;
}
