// A model as the programs modders use export it: an OBJ file read leniently (polygons of any size,
// indented lines, names with spaces, several libraries) with the materials of its MTL libraries,
// before anything is changed to suit the game.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

// One corner of a polygon: indices from 0 into the positions, texture coordinates and normals
// read before it; -1 for none.
struct SourceCorner {
    int position = -1;
    int texCoord = -1;
    int normal = -1;
};

struct SourcePolygon {
    std::vector<SourceCorner> corners;
    std::string material; // the name of the last "usemtl"; empty before the first
};

// The most corners of a polygon that is kept: splitting one into triangles takes time that grows
// with the cube of its corners.
constexpr std::size_t MaxPolygonCorners = 1000;

// A texture map line: the file named after its options, as written.
struct SourceMap {
    std::string key;         // map_Kd, map_Ks, map_Ka or map_Ke
    std::string file;        // may hold spaces and folders; relative to the library's folder
    bool hadOptions = false; // options came before the file name
};

struct SourceMaterial {
    std::string name;
    std::array<double, 3> ka = {1, 1, 1}, kd = {1, 1, 1}, ks = {1, 1, 1};
    bool hasNs = false, hasD = false, hasTr = false;
    double ns = 0, d = 1, tr = 0;
    std::vector<SourceMap> maps;
    int smooth = 0, normal = 0; // the game's own keys, passed through
    std::filesystem::path folder; // where the library lies: its map names are relative to it
};

struct SourceModel {
    std::vector<std::array<double, 3>> positions, texCoords, normals;
    std::vector<SourcePolygon> polygons;
    std::vector<SourceMaterial> materials; // in the order the libraries define them
    // What was read and is not kept: vertex colours; line and point elements; object, group and
    // smoothing-group lines; lines of other kinds; faces naming elements not read so far, and
    // faces of more than MaxPolygonCorners corners.
    int vertexColours = 0, linesAndPoints = 0, groupingLines = 0, otherLines = 0, badFaces = 0, hugeFaces = 0;
};

// Reads the OBJ file and the libraries it names, relative to its folder. False with a message in
// error when the file or a library it names cannot be read.
bool readSourceModel(const std::filesystem::path& objPath, SourceModel& model, std::string& error);
