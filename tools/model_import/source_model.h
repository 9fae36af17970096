// A model as the programs modders use export it: an OBJ file read leniently (polygons of any size,
// indented lines, names with spaces or '#', several libraries, a byte-order mark) with the materials
// of its MTL libraries, before anything is changed to suit the game. Reading stops as soon as the
// model is past what the game can hold, so a huge file is refused without being read to its end.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "assets/model.h"

// One corner of a polygon: indices from 0 into the positions, texture coordinates and normals
// read before it; -1 for none.
struct SourceCorner {
    int position = -1;
    int texCoord = -1;
    int normal = -1;
};

struct SourcePolygon {
    std::uint32_t firstCorner = 0; // into SourceModel::corners
    std::uint32_t cornerCount = 0;
    int material = -1;             // into SourceModel::materialNames: the last "usemtl"; -1 before the first
    bool texCoords = false;        // every corner has one; a face with them at only some corners is
    bool normals = false;          // kept without them
};

// The most corners of a polygon that is kept: splitting one into triangles takes time that grows
// with the cube of its corners.
constexpr std::size_t MaxPolygonCorners = 1000;
// The longest line kept; a face of MaxPolygonCorners corners of three 7-digit indices fits easily.
constexpr std::size_t MaxSourceLineLength = 1 << 16;

// A texture map line: the file named after its options.
struct SourceMap {
    std::string key;         // as written: map_Kd, map_Ke, bump, ...
    std::string file;        // as written, folders and spaces and all, relative to the library's folder
    bool hadOptions = false; // options came before the file name
};

struct SourceMaterial {
    std::string name;
    std::optional<std::array<double, 3>> ka; // none when the library gives none
    bool kaIsMetallic = false;               // Blender writes its metallic value as Ka, or white
    std::array<double, 3> kd = {1, 1, 1}, ks = {1, 1, 1}, ke = {0, 0, 0};
    std::optional<double> ns, d, tr;
    std::vector<SourceMap> maps;
    std::vector<std::string> otherKeys; // keys the game has no use for, each once, in order met
    int smooth = 0, normal = 0;          // the game's own keys, passed through
    std::filesystem::path folder;        // where the library lies: its map names are relative to it
};

// The values of one kind (positions, texture coordinates or normals), and which of them faces use.
struct SourceTable {
    std::vector<std::array<double, 3>> values; // in file order; numbers a line lacks are 0
    std::vector<int> useOrder;                 // per value: its place among the used ones, or -1
    std::vector<int> used;                     // the values faces use, in the order first used
    int malformed = 0;                         // lines with missing or unreadable numbers
};

struct SourceModel {
    SourceTable positions, texCoords, normals;
    std::vector<SourceCorner> corners;
    std::vector<SourcePolygon> polygons;
    std::vector<std::string> materialNames; // as "usemtl" names them, each once
    std::vector<SourceMaterial> materials;  // in the order the libraries define them
    // What was read and is not kept: vertex colours; line and point elements; object, group and
    // smoothing-group lines; lines of other kinds, by keyword; faces naming elements not read so
    // far, faces of more than MaxPolygonCorners corners, and lines longer than MaxSourceLineLength.
    int vertexColours = 0, linesAndPoints = 0, groupingLines = 0, badFaces = 0, hugeFaces = 0, longLines = 0;
    int partialFaces = 0; // kept without the texture coordinates or normals only some corners have
    std::map<std::string, int> otherLines;
    // Lines for the report: where a file the model names was found, and what could not be found.
    std::vector<std::string> found, warnings;
};

// What reading stops at: the game's limits on what the faces use, and a bound on what the file may
// hold beyond that (values no face uses are dropped, but are read first).
struct SourceLimits {
    std::size_t elements = MaxModelElements;         // positions, texture coordinates, normals used, each
    std::size_t materials = MaxMaterials;            // defined materials used
    std::size_t elementsRead = 4 * MaxModelElements; // positions, texture coordinates, normals, each
};

// Reads a material library from an open file (which the caller closes) into model.materials;
// folder is where its maps are looked for. False when reading failed.
bool parseSourceMtl(std::FILE* file, const std::filesystem::path& folder, SourceModel& model);

// Reads an OBJ file from an open file (which the caller closes) into the model; each "mtllib"
// line calls readLibrary with the line's value. False with a message in error (naming the file as
// source) when the model is past a limit or reading failed.
bool parseSourceObj(std::FILE* file, const std::string& source, const SourceLimits& limits, SourceModel& model,
                    const std::function<void(std::string_view)>& readLibrary, std::string& error);

// Reads the OBJ file and the libraries it names, each looked for as the exporter wrote it and then
// by its name beside the model (see file_lookup.h). A library that cannot be found or read adds a
// warning. False with a message in error when the OBJ file cannot be read or is past a limit.
bool readSourceModel(const std::filesystem::path& objPath, const SourceLimits& limits, SourceModel& model,
                     std::string& error);
