// Making an exported model ready for the game: its geometry in the faces the game draws, turned to
// the game's axes, its materials in the keys it reads and the look their author meant, its textures
// in the format it loads, with names it can use.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A direction along one of the coordinate axes: x, y or z (0, 1, 2), towards plus or minus.
struct Axis {
    int index = 1;
    int sign = 1;
    bool operator==(const Axis&) const = default;
};

// "x", "+x" or "-x", and the same for y and z; nullopt for anything else.
std::optional<Axis> parseAxis(std::string_view text);

// The front a model has when only its up is given: +z, as the game's models face, unless up lies
// along z, where 3D programs that put z up have the front looking toward -y (z up) or +y (z down).
Axis defaultForward(Axis up);

// The longest model name: the game reads "mtllib NAME.mtl" within one line, and a texture's name
// starts with it, so a shorter name leaves the textures room for names of their own.
constexpr std::size_t MaxModelNameLength = 64;

struct ImportOptions {
    std::string name;        // the base name of the files written; a safe word of MaxModelNameLength at most
    double scale = 1.0;      // multiplies every position; positive, since a mirror would turn faces inside out
    int maxTexture = 256;    // the longest side of a texture written
    Axis up{1, 1};           // the source's up and the way its front faces, turned into the game's
    Axis forward{2, 1};      // +y and +z; they must lie along different axes
};

struct ImportedModel {
    std::vector<std::pair<std::string, std::string>> files; // file name and bytes: NAME.obj, NAME.mtl, textures
    std::vector<std::string> warnings;                      // what is lost: each starts with "warning: "
    std::vector<std::string> changes;                       // one line for each kind of change made
};

// The file names of a model as one safe word each: letters, digits, '.', '-' and '_', no more.
std::string safeWord(const std::string& text);

// Reads the source and makes its files in memory. A picture or a material library that cannot be
// found or read costs the model that map or those materials, with a warning. False with one line in
// error when the OBJ file cannot be read or the model does not fit within the game's limits.
bool importModel(const std::filesystem::path& source, const ImportOptions& options, ImportedModel& model,
                 std::string& error);
