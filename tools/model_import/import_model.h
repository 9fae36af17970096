// Making an exported model ready for the game: its geometry in the faces the game draws, its
// materials in the keys it reads, its textures in the format it loads, with names it can use.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct ImportOptions {
    std::string name;     // the base name of the files written; a safe word
    double scale = 1.0;   // multiplies every position
    int maxTexture = 256; // the longest side of a texture written
};

struct ImportedModel {
    std::vector<std::pair<std::string, std::string>> files; // file name and bytes: NAME.obj, NAME.mtl, textures
    std::vector<std::string> changes;                       // one line for each kind of change made
};

// The file names of a model as one safe word each: letters, digits, '.', '-' and '_', no more.
std::string safeWord(const std::string& text);

// Reads the source and makes its files in memory; false with one line in error when the source or
// a file it names cannot be read, or the model does not fit within the game's limits.
bool importModel(const std::filesystem::path& source, const ImportOptions& options, ImportedModel& model,
                 std::string& error);
