// The conversion: faces, elements, axes, materials, textures and names, each change counted for
// the report.
#include "tools/model_import/import_model.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <map>
#include <set>

#include "assets/model.h"
#include "tools/model_import/file_lookup.h"
#include "tools/model_import/source_model.h"
#include "tools/model_import/texture_convert.h"
#include "tools/model_import/triangulate.h"

namespace {

namespace fs = std::filesystem;

// MTL shininess runs from 0 to 1000; the game hands it to OpenGL, whose range is 0 to 128.
constexpr double SourceShininessRange = 1000.0;
constexpr double GameShininessRange = 128.0;
// Faces without a material, or whose library is lost, look as a new object does in a 3D program.
constexpr double DefaultGrey = 0.8;

// A number as the game will hold it, a float, in the fewest digits that read back as that float.
void appendNumber(std::string& out, double value)
{
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, static_cast<float>(value));
    out.append(text, written.ptr);
}

std::string number(double value)
{
    std::string text;
    appendNumber(text, value);
    return text;
}

void appendIndex(std::string& out, int value)
{
    char text[16];
    out.append(text, std::to_chars(text, text + sizeof text, value).ptr);
}

std::string plural(int count, const std::string& one, const std::string& many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Names that stay distinct, each cut to what the game keeps.
class Names {
public:
    explicit Names(std::size_t longest) : longest_(longest) {}
    std::string make(const std::string& wanted)
    {
        std::string base = safeWord(wanted).substr(0, longest_);
        if (base.empty())
            base = "unnamed";
        std::string name = base;
        for (int n = 2; !taken_.insert(name).second; ++n) {
            std::string suffix = "_";
            suffix += std::to_string(n); // appended, as "_" + ... draws a false warning from GCC 12 at -O3
            name = base.substr(0, longest_ - suffix.size()) + suffix;
        }
        return name;
    }

private:
    std::size_t longest_;
    std::set<std::string> taken_;
};

// Counts of one kind of thing per key, in the order the keys were first met.
class KeyCounts {
public:
    void add(const std::string& key)
    {
        const auto at = std::find_if(counts_.begin(), counts_.end(), [&](const auto& entry) { return equalIgnoringCase(entry.first, key); });
        if (at == counts_.end())
            counts_.emplace_back(key, 1);
        else
            ++at->second;
    }
    const std::vector<std::pair<std::string, int>>& counts() const { return counts_; }

private:
    std::vector<std::pair<std::string, int>> counts_;
};

// The rotation that takes the source's up to +y and its front to +z: its rows are the source
// directions that become x, y and z. With x = y cross z it is a turn, never a mirror.
using Turn = std::array<std::array<double, 3>, 3>;

Turn turnFor(Axis up, Axis forward)
{
    Turn rows{};
    rows[1][static_cast<std::size_t>(up.index)] = up.sign;
    rows[2][static_cast<std::size_t>(forward.index)] = forward.sign;
    const auto &y = rows[1], &z = rows[2];
    rows[0] = {y[1] * z[2] - y[2] * z[1], y[2] * z[0] - y[0] * z[2], y[0] * z[1] - y[1] * z[0]};
    return rows;
}

std::array<double, 3> turned(const Turn& turn, const std::array<double, 3>& p)
{
    std::array<double, 3> out{};
    for (std::size_t i = 0; i < 3; ++i)
        out[i] = turn[i][0] * p[0] + turn[i][1] * p[1] + turn[i][2] * p[2];
    return out;
}

std::string axisName(Axis axis) { return std::string(axis.sign < 0 ? "-" : "+") + "xyz"[axis.index]; }

// A face the game draws: three or four corners, numbers into SourceModel::corners.
struct KeptFace {
    std::array<std::uint32_t, 4> corners;
    std::uint32_t count;
    std::uint32_t polygon;
};

// The faces of one material, as the game groups them.
struct Group {
    const SourceMaterial* material;
    std::vector<KeptFace> faces;
};

// The maps the game draws, each from the source key it comes from, and the name of each for a
// modder: an ambient map (map_Ka) is not among them, for exporters put a copy of the colour map
// or a reflection there; only an emission map glows.
struct GameMap {
    const char* sourceKey;
    const char* gameKey;
    const char* role;
};
constexpr GameMap GameMaps[] = {{"map_Kd", "map_Kd", "colour map"},
                                {"map_Ks", "map_Ks", "highlight map"},
                                {"map_Ke", "map_Ka", "glow map"}};

bool isWhite(const std::array<double, 3>& colour)
{
    return std::all_of(colour.begin(), colour.end(), [](double c) { return std::abs(c - 1.0) < 1e-6; });
}

// The textures of a model, each converted once however many materials name it.
class Textures {
public:
    Textures(const fs::path& objFolder, const ImportOptions& options, ImportedModel& out)
        : objFolder_(objFolder), options_(options), out_(out)
    {
    }

    // The name written for the map, or empty with a warning when its picture cannot be used.
    std::string convert(const SourceMaterial& material, const std::string& materialName, const SourceMap& map, const char* role)
    {
        const auto found = findModelFile(map.file, {material.folder, objFolder_});
        const std::string lost = ": material " + materialName + " is drawn without its " + role;
        if (!found) {
            out_.warnings.push_back("warning: texture " + inQuotes(map.file) + " not found" + lost);
            return {};
        }
        const fs::path file = found->path.lexically_normal();
        auto [at, added] = written_.try_emplace(file);
        if (added) {
            if (found->by != FoundBy::AsWritten)
                found_.push_back("texture " + inQuotes(map.file) + " found as " + file.string());
            ConvertedTexture texture;
            std::string error;
            if (!convertTexture(file, options_.maxTexture, texture, error)) {
                at->second.error = error;
            } else {
                // Named after the model too, so that models sharing the data folder keep theirs.
                at->second.name = names_.make(options_.name + "_" + file.stem().string()) + ".tga";
                out_.files.emplace_back(at->second.name, texture.bytes);
                writtenLines_.push_back(
                    "texture " + inQuotes(map.file) + " written as " + at->second.name + ", " + std::to_string(texture.bitsPerPixel) +
                    "-bit" + (texture.runLength ? " run-length" : "") +
                    (texture.width != texture.sourceWidth || texture.height != texture.sourceHeight
                         ? ", scaled from " + std::to_string(texture.sourceWidth) + "x" + std::to_string(texture.sourceHeight) +
                               " to " + std::to_string(texture.width) + "x" + std::to_string(texture.height)
                         : ""));
            }
        }
        if (at->second.name.empty())
            out_.warnings.push_back("warning: " + at->second.error + lost);
        return at->second.name;
    }

    // Where pictures were found, then what was written of each.
    std::vector<std::string> lines() const
    {
        std::vector<std::string> all = found_;
        all.insert(all.end(), writtenLines_.begin(), writtenLines_.end());
        return all;
    }

private:
    struct Written {
        std::string name; // empty when the picture could not be used
        std::string error;
    };
    fs::path objFolder_;
    const ImportOptions& options_;
    ImportedModel& out_;
    Names names_{MapNameSize - 16}; // "map_Kd " and ".tga" fit a line with room to spare
    std::map<fs::path, Written> written_;
    std::vector<std::string> found_, writtenLines_;
};

} // namespace

std::optional<Axis> parseAxis(std::string_view text)
{
    int sign = 1;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        sign = text[0] == '-' ? -1 : 1;
        text.remove_prefix(1);
    }
    if (text.size() != 1 || text[0] < 'x' || text[0] > 'z')
        return std::nullopt;
    return Axis{text[0] - 'x', sign};
}

Axis defaultForward(Axis up)
{
    return up.index == 2 ? Axis{1, -up.sign} : Axis{2, 1};
}

std::string safeWord(const std::string& text)
{
    std::string word;
    for (char c : text)
        word += std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_' ? c : '_';
    // Never a name that climbs out of the folder or hides in it.
    while (!word.empty() && word[0] == '.')
        word[0] = '_';
    return word;
}

bool importModel(const fs::path& source, const ImportOptions& options, ImportedModel& out, std::string& error)
{
    SourceModel model;
    if (!readSourceModel(source, SourceLimits{}, model, error))
        return false;
    out.warnings = model.warnings;

    // Materials in the order faces first use them; faces of no material, or of one no library
    // defines, share a plain one, which the game would otherwise leave undrawn.
    std::map<std::string, std::size_t> defined; // the first definition of a name wins
    for (std::size_t i = 0; i < model.materials.size(); ++i)
        defined.try_emplace(model.materials[i].name, i);
    SourceMaterial plain;
    plain.name = "default";
    plain.kd = {DefaultGrey, DefaultGrey, DefaultGrey};
    plain.ka = plain.kd;
    plain.ks = {0, 0, 0};
    std::vector<int> groupOfName(model.materialNames.size(), -1);
    int plainGroup = -1;
    std::vector<Group> groups;
    int undefined = 0, triangulated = 0, triangles = 0, concaveQuads = 0;
    std::vector<Point3> points;
    for (std::uint32_t p = 0; p < model.polygons.size(); ++p) {
        const SourcePolygon& polygon = model.polygons[p];
        const auto found = polygon.material < 0 ? defined.end() : defined.find(model.materialNames[static_cast<std::size_t>(polygon.material)]);
        int& group = found == defined.end() ? plainGroup : groupOfName[static_cast<std::size_t>(polygon.material)];
        undefined += found == defined.end();
        if (group < 0) {
            group = static_cast<int>(groups.size());
            groups.push_back({found == defined.end() ? &plain : &model.materials[found->second], {}});
        }
        std::vector<KeptFace>& faces = groups[static_cast<std::size_t>(group)].faces;
        points.clear();
        for (std::uint32_t k = 0; k < polygon.cornerCount; ++k)
            points.push_back(model.positions.values[static_cast<std::size_t>(model.corners[polygon.firstCorner + k].position)]);
        if (points.size() == 3 || (points.size() == 4 && isConvexQuad(points))) {
            const std::uint32_t f = polygon.firstCorner;
            faces.push_back({{f, f + 1, f + 2, f + 3}, polygon.cornerCount, p});
            continue;
        }
        (points.size() == 4 ? concaveQuads : triangulated) += 1;
        for (const auto& t : triangulate(points)) {
            const std::uint32_t f = polygon.firstCorner;
            faces.push_back({{f + static_cast<std::uint32_t>(t[0]), f + static_cast<std::uint32_t>(t[1]),
                              f + static_cast<std::uint32_t>(t[2]), 0}, 3, p});
            triangles += points.size() > 4;
        }
    }
    if (groups.size() > static_cast<std::size_t>(MaxMaterials)) {
        error = source.string() + " has " + std::to_string(groups.size()) + " materials in use; the game reads at most " +
                std::to_string(MaxMaterials);
        return false;
    }

    // The materials, in the keys the game reads and the look their author meant.
    Textures textures(source.parent_path(), options, out);
    Names materialNames(MaterialNameSize - 1);
    std::vector<std::string> names;
    std::string library;
    int renamed = 0, shininess = 0, opacities = 0, madeOpaque = 0, ambients = 0, glowMaps = 0, optionsStripped = 0, emissions = 0;
    KeyCounts droppedMaps, droppedKeys;
    for (const Group& group : groups) {
        const SourceMaterial& m = *group.material;
        const std::string name = materialNames.make(m.name);
        renamed += name != m.name;
        names.push_back(name);
        library += "newmtl " + name + "\n";
        // The game lights a face with a fifth of its ambient colour besides its diffuse colour: a
        // white one, which exporters write for want of any other (and Blender its metallic value),
        // lays grey over every colour (black shows grey, red pink). The diffuse colour as ambient
        // keeps each face in its own hue, brighter or darker with its angle to the light.
        std::array<double, 3> ka = m.ka.value_or(std::array<double, 3>{1, 1, 1});
        if ((isWhite(ka) || m.kaIsMetallic) && ka != m.kd) {
            ka = m.kd;
            ++ambients;
        }
        for (const auto& [key, colour] : {std::pair<const char*, const std::array<double, 3>*>{"Ka", &ka}, {"Kd", &m.kd}, {"Ks", &m.ks}}) {
            library += key;
            for (double c : *colour)
                library += ' ', appendNumber(library, c);
            library += '\n';
        }
        if (m.ns) {
            library += "Ns " + number(std::clamp(*m.ns * GameShininessRange / SourceShininessRange, 0.0, GameShininessRange)) + "\n";
            ++shininess;
        }
        // Opacity is "d", or else "Tr", which is 1 - d, for all that some exporters write it as d;
        // the game's "Tr" is the opacity. A material that would not show at all is never what its
        // author meant, and is made solid.
        if (m.d || m.tr) {
            double opacity = std::clamp(m.d ? *m.d : 1.0 - *m.tr, 0.0, 1.0);
            if (!isVisibleOpacity(static_cast<float>(opacity))) {
                opacity = 1.0;
                ++madeOpaque;
            }
            library += "Tr " + number(opacity) + "\n";
            ++opacities;
        }
        for (const GameMap& gameMap : GameMaps) {
            const auto map = std::find_if(m.maps.begin(), m.maps.end(), [&](const SourceMap& s) { return equalIgnoringCase(s.key, gameMap.sourceKey); });
            if (map == m.maps.end())
                continue;
            const std::string file = textures.convert(m, name, *map, gameMap.role);
            if (!file.empty())
                library += std::string(gameMap.gameKey) + " " + file + "\n";
            glowMaps += !file.empty() && gameMap.gameKey != gameMap.sourceKey;
            optionsStripped += map->hadOptions;
        }
        // Every other map, and a second map of a key already used, goes without the game drawing it.
        std::vector<const SourceMap*> first;
        for (const SourceMap& map : m.maps) {
            const bool drawn = std::any_of(std::begin(GameMaps), std::end(GameMaps), [&](const GameMap& g) { return equalIgnoringCase(map.key, g.sourceKey); });
            const bool again = std::any_of(first.begin(), first.end(), [&](const SourceMap* f) { return equalIgnoringCase(f->key, map.key); });
            if (!drawn || again)
                droppedMaps.add(map.key);
            if (!again)
                first.push_back(&map);
        }
        for (const std::string& key : m.otherKeys)
            droppedKeys.add(key);
        // An emission colour scales an emission map; without one it would light the whole material.
        const bool glowMap = std::any_of(m.maps.begin(), m.maps.end(), [](const SourceMap& s) { return equalIgnoringCase(s.key, "map_Ke"); });
        emissions += !glowMap && m.ke != std::array<double, 3>{0, 0, 0};
        if (m.smooth != 0)
            library += "Smooth " + std::to_string(m.smooth) + "\n";
        if (m.normal != 0)
            library += "Normal " + std::to_string(m.normal) + "\n";
    }

    // The elements the faces use, in the order first used, turned to the game's axes and scaled.
    const Turn turn = turnFor(options.up, options.forward);
    std::string obj = "# Made ready for Vantor Sprint by vantor-model-import from " + source.filename().string() + "\n";
    obj += "mtllib " + options.name + ".mtl\n";
    for (const auto& [table, key] : {std::pair{&model.positions, "v"}, {&model.texCoords, "vt"}, {&model.normals, "vn"}}) {
        for (const int index : table->used) {
            std::array<double, 3> value = table->values[static_cast<std::size_t>(index)];
            if (table != &model.texCoords)
                value = turned(turn, value);
            const double k = table == &model.positions ? options.scale : 1.0;
            if (table == &model.positions && !std::all_of(value.begin(), value.end(), [&](double c) { return std::isfinite(static_cast<float>(c * k)); })) {
                error = source.string() + ": positions scaled by " + number(options.scale) + " are too large for the game";
                return false;
            }
            obj += key;
            // A texture coordinate's third number is written only where it says something.
            const std::size_t count = table == &model.texCoords && value[2] == 0.0 ? 2 : 3;
            for (std::size_t i = 0; i < count; ++i)
                obj += ' ', appendNumber(obj, value[i] * k);
            obj += '\n';
        }
    }
    for (std::size_t g = 0; g < groups.size(); ++g) {
        obj += "usemtl " + names[g] + "\n";
        for (const KeptFace& face : groups[g].faces) {
            const SourcePolygon& polygon = model.polygons[face.polygon];
            obj += 'f';
            for (std::uint32_t k = 0; k < face.count; ++k) {
                const SourceCorner& c = model.corners[face.corners[k]];
                obj += ' ';
                appendIndex(obj, model.positions.useOrder[static_cast<std::size_t>(c.position)] + 1); // OBJ counts from 1
                if (polygon.texCoords || polygon.normals)
                    obj += '/';
                if (polygon.texCoords)
                    appendIndex(obj, model.texCoords.useOrder[static_cast<std::size_t>(c.texCoord)] + 1);
                if (polygon.normals) {
                    obj += '/';
                    appendIndex(obj, model.normals.useOrder[static_cast<std::size_t>(c.normal)] + 1);
                }
            }
            obj += '\n';
        }
    }
    out.files.insert(out.files.begin(), {{options.name + ".obj", std::move(obj)}, {options.name + ".mtl", std::move(library)}});

    // What was changed, one line each.
    std::vector<std::string>& changes = out.changes;
    const auto note = [&changes](int count, const std::string& text) {
        if (count > 0)
            changes.push_back(text);
    };
    changes.insert(changes.end(), model.found.begin(), model.found.end());
    note(triangulated, "split " + plural(triangulated, "polygon", "polygons") + " of five or more corners into " +
                           plural(triangles, "triangle", "triangles"));
    note(concaveQuads, "split " + plural(concaveQuads, "concave quad", "concave quads") + " into two triangles each");
    note(model.badFaces, "dropped " + plural(model.badFaces, "face", "faces") + " naming elements that are not there");
    note(model.hugeFaces, "dropped " + plural(model.hugeFaces, "face", "faces") + " of more than " + std::to_string(MaxPolygonCorners) + " corners");
    note(model.longLines, "dropped " + plural(model.longLines, "line", "lines") + " longer than " + std::to_string(MaxSourceLineLength) + " characters");
    note(model.partialFaces, plural(model.partialFaces, "face", "faces") + " with texture coordinates or normals at only some corners kept without them");
    for (const auto& [table, what] : {std::pair{&model.positions, "position"}, {&model.texCoords, "texture coordinate"}, {&model.normals, "normal"}})
        note(table->malformed, plural(table->malformed, std::string(what) + " line", std::string(what) + " lines") +
                                   " with missing or unreadable numbers read with 0 for them");
    note(model.vertexColours, "dropped the colours of " + plural(model.vertexColours, "vertex", "vertices"));
    note(model.linesAndPoints, "dropped " + plural(model.linesAndPoints, "line or point element", "line and point elements"));
    note(model.groupingLines, "dropped " + plural(model.groupingLines, "object, group or smoothing-group line", "object, group and smoothing-group lines"));
    for (const auto& [key, count] : model.otherLines)
        note(count, "dropped " + plural(count, key + " line", key + " lines") + ": the game reads no such line");
    const std::size_t unused = model.positions.values.size() - model.positions.used.size() + model.texCoords.values.size() -
                               model.texCoords.used.size() + model.normals.values.size() - model.normals.used.size();
    note(static_cast<int>(unused), "dropped " + std::to_string(unused) + " positions, texture coordinates and normals no face uses");
    note(options.up != Axis{1, 1} || options.forward != Axis{2, 1},
         "turned from " + axisName(options.up) + " up and " + axisName(options.forward) + " forward to the game's +y up and +z forward");
    note(options.scale != 1.0, "positions scaled by " + number(options.scale));
    note(undefined, plural(undefined, "face", "faces") + " without a material the libraries define given the plain material default");
    note(renamed, plural(renamed, "material", "materials") + " renamed to one word of at most " + std::to_string(MaterialNameSize - 1) + " characters");
    note(ambients, "ambient colour of " + plural(ambients, "material", "materials") +
                       " made its diffuse colour: a white one, or the metallic value Blender writes there, would wash its colours out under the game's light");
    note(shininess, "shininess of " + plural(shininess, "material", "materials") + " mapped from 0-1000 into the game's 0-128");
    note(opacities, "opacity of " + plural(opacities, "material", "materials") + " written as the game's Tr");
    note(madeOpaque, plural(madeOpaque, "material", "materials") +
                         " that would not show at all (d 0, or Tr 1 as some exporters write for solid ones) made opaque");
    note(glowMaps, "the emission map of " + plural(glowMaps, "material", "materials") + " made its glow map, map_Ka");
    note(optionsStripped, "options taken off " + plural(optionsStripped, "texture map line", "texture map lines"));
    for (const auto& [key, count] : droppedMaps.counts())
        note(count, "dropped " + key + " of " + plural(count, "material", "materials") + ": the game draws no such map" +
                        (equalIgnoringCase(key, "map_Ka") ? " (only an emission map, map_Ke, glows)" : ""));
    note(emissions, "dropped the emission colour Ke of " + plural(emissions, "material", "materials") +
                        ": only an emission map, map_Ke, glows in the game");
    for (const auto& [key, count] : droppedKeys.counts())
        note(count, "dropped " + key + " of " + plural(count, "material", "materials") + ": the game does not read it");
    const int unusedMaterials = static_cast<int>(model.materials.size()) - static_cast<int>(groups.size()) + (plainGroup >= 0);
    note(unusedMaterials, "dropped " + plural(unusedMaterials, "material", "materials") + " no face uses");
    const std::vector<std::string> textureLines = textures.lines();
    changes.insert(changes.end(), textureLines.begin(), textureLines.end());
    return true;
}
