// The conversion: faces, elements, materials, textures and names, each change counted for the
// report.
#include "tools/model_import/import_model.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <set>

#include "assets/model.h"
#include "tools/model_import/source_model.h"
#include "tools/model_import/texture_convert.h"
#include "tools/model_import/triangulate.h"

namespace {

namespace fs = std::filesystem;

// MTL shininess runs from 0 to 1000; the game hands it to OpenGL, whose range is 0 to 128.
constexpr double SourceShininessRange = 1000.0;
constexpr double GameShininessRange = 128.0;

std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value + 0.0); // + 0.0: no "-0"
    return text;
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
            suffix += std::to_string(n);
            name = base.substr(0, longest_ - suffix.size()) + suffix;
        }
        return name;
    }

private:
    std::size_t longest_;
    std::set<std::string> taken_;
};

// Maps the indices a kept face uses to the compacted tables, in the order first used.
struct Compacted {
    std::map<int, int> index;
    std::vector<std::array<double, 3>> values;
    int of(int source, const std::vector<std::array<double, 3>>& table)
    {
        const auto [at, added] = index.try_emplace(source, static_cast<int>(values.size()));
        if (added)
            values.push_back(table[static_cast<std::size_t>(source)]);
        return at->second + 1; // OBJ counts from 1
    }
};

struct KeptFace {
    std::vector<SourceCorner> corners;
    bool texCoords, normals;
};

} // namespace

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
    if (!readSourceModel(source, model, error))
        return false;
    std::vector<std::string> changes, textureChanges;

    // Materials in the order faces first use them; faces of no material, or of one no library
    // defines, get a default one, which the game would otherwise leave undrawn.
    std::map<std::string, std::size_t> defined;
    for (std::size_t i = 0; i < model.materials.size(); ++i)
        defined.try_emplace(model.materials[i].name, i);
    std::vector<const SourceMaterial*> used;
    std::map<std::string, std::vector<KeptFace>> facesOf; // by the name of the material they get
    std::map<std::string, const SourceMaterial*> materialOf;
    const SourceMaterial defaultMaterial;
    int undefined = 0, triangulated = 0, triangles = 0, concaveQuads = 0, partialSets = 0;
    std::vector<std::string> order;
    for (const SourcePolygon& polygon : model.polygons) {
        const auto found = defined.find(polygon.material);
        const SourceMaterial* material = found == defined.end() ? &defaultMaterial : &model.materials[found->second];
        undefined += found == defined.end();
        const std::string key = found == defined.end() ? std::string("\n default") : polygon.material;
        if (materialOf.emplace(key, material).second)
            order.push_back(key);
        const bool texCoords = std::all_of(polygon.corners.begin(), polygon.corners.end(), [](auto& c) { return c.texCoord >= 0; });
        const bool normals = std::all_of(polygon.corners.begin(), polygon.corners.end(), [](auto& c) { return c.normal >= 0; });
        partialSets += (!texCoords && std::any_of(polygon.corners.begin(), polygon.corners.end(), [](auto& c) { return c.texCoord >= 0; })) ||
                       (!normals && std::any_of(polygon.corners.begin(), polygon.corners.end(), [](auto& c) { return c.normal >= 0; }));
        std::vector<Point3> points;
        for (const SourceCorner& c : polygon.corners)
            points.push_back(model.positions[static_cast<std::size_t>(c.position)]);
        std::vector<KeptFace>& faces = facesOf[key];
        if (points.size() == 3 || (points.size() == 4 && isConvexQuad(points))) {
            faces.push_back({polygon.corners, texCoords, normals});
            continue;
        }
        (points.size() == 4 ? concaveQuads : triangulated) += 1;
        for (const auto& t : triangulate(points)) {
            faces.push_back({{polygon.corners[t[0]], polygon.corners[t[1]], polygon.corners[t[2]]}, texCoords, normals});
            triangles += points.size() > 4;
        }
    }

    // The elements the faces use, compacted, positions scaled; then the limits.
    Compacted positions, texCoords, normals;
    std::string faceLines;
    Names materialNames(MaterialNameSize - 1);
    std::vector<std::pair<std::string, const SourceMaterial*>> materials;
    int renamed = 0;
    for (const std::string& key : order) {
        const SourceMaterial* material = materialOf[key];
        const std::string wanted = material == &defaultMaterial ? "default" : material->name;
        const std::string name = materialNames.make(wanted);
        renamed += name != wanted;
        materials.emplace_back(name, material);
        faceLines += "usemtl " + name + "\n";
        for (const KeptFace& face : facesOf[key]) {
            faceLines += "f";
            for (const SourceCorner& c : face.corners) {
                faceLines += ' ';
                faceLines += std::to_string(positions.of(c.position, model.positions));
                if (face.texCoords || face.normals)
                    faceLines += '/';
                if (face.texCoords)
                    faceLines += std::to_string(texCoords.of(c.texCoord, model.texCoords));
                if (face.normals) {
                    faceLines += '/';
                    faceLines += std::to_string(normals.of(c.normal, model.normals));
                }
            }
            faceLines += "\n";
        }
    }
    for (const auto& [table, what] : {std::pair{&positions, "positions"}, {&texCoords, "texture coordinates"}, {&normals, "normals"}})
        if (table->values.size() > static_cast<std::size_t>(MaxModelElements)) {
            error = source.string() + " has " + std::to_string(table->values.size()) + " " + what +
                    " in its faces; the game reads at most " + std::to_string(MaxModelElements);
            return false;
        }
    if (materials.size() > static_cast<std::size_t>(MaxMaterials)) {
        error = source.string() + " has " + std::to_string(materials.size()) + " materials in use; the game reads at most " +
                std::to_string(MaxMaterials);
        return false;
    }

    // The textures, each written once however many materials name it.
    Names textureNames(MapNameSize - 16);
    std::map<fs::path, std::string> written; // source file to the name written
    std::string library;
    int shininess = 0, opacities = 0, glowMaps = 0, optionsStripped = 0;
    for (const auto& [name, material] : materials) {
        library += "newmtl " + name + "\n";
        for (const auto& [key, colour] : {std::pair{"Ka", &material->ka}, {"Kd", &material->kd}, {"Ks", &material->ks}})
            library += std::string(key) + " " + number((*colour)[0]) + " " + number((*colour)[1]) + " " + number((*colour)[2]) + "\n";
        if (material->hasNs) {
            library += "Ns " + number(std::clamp(material->ns * GameShininessRange / SourceShininessRange, 0.0, GameShininessRange)) + "\n";
            ++shininess;
        }
        // Opacity: "d", or else the standard's "Tr", which is 1 - d; the game's "Tr" is the opacity.
        if (material->hasD || material->hasTr) {
            library += "Tr " + number(std::clamp(material->hasD ? material->d : 1.0 - material->tr, 0.0, 1.0)) + "\n";
            ++opacities;
        }
        std::map<std::string, std::string> maps; // the game's key to the file
        for (const SourceMap& map : material->maps)
            maps.try_emplace(map.key, map.file);
        if (maps.count("map_Ke") != 0 && maps.try_emplace("map_Ka", maps["map_Ke"]).second)
            ++glowMaps;
        for (const char* key : {"map_Kd", "map_Ks", "map_Ka"}) {
            if (maps.count(key) == 0)
                continue;
            const fs::path file = (material->folder / maps[key]).lexically_normal();
            auto [at, added] = written.try_emplace(file, "");
            if (added) {
                ConvertedTexture texture;
                if (!convertTexture(file, options.maxTexture, texture, error))
                    return false;
                // Named after the model too, so that models sharing the data folder keep theirs.
                at->second = textureNames.make(options.name + "_" + file.stem().string()) + ".tga";
                out.files.emplace_back(at->second, texture.bytes);
                textureChanges.push_back("texture " + maps[key] + " written as " + at->second + ", " + std::to_string(texture.bitsPerPixel) +
                                  "-bit" + (texture.runLength ? " run-length" : "") +
                                  (texture.width != texture.sourceWidth || texture.height != texture.sourceHeight
                                       ? ", scaled from " + std::to_string(texture.sourceWidth) + "x" + std::to_string(texture.sourceHeight) +
                                             " to " + std::to_string(texture.width) + "x" + std::to_string(texture.height)
                                       : ""));
            }
            library += std::string(key) + " " + at->second + "\n";
        }
        for (const SourceMap& map : material->maps)
            optionsStripped += map.hadOptions;
        if (material->smooth != 0)
            library += "Smooth " + std::to_string(material->smooth) + "\n";
        if (material->normal != 0)
            library += "Normal " + std::to_string(material->normal) + "\n";
    }

    std::string obj = "# Made ready for Vantor Sprint by vantor-model-import from " + source.filename().string() + "\n";
    obj += "mtllib " + options.name + ".mtl\n";
    for (const auto& [table, key] : {std::pair{&positions, "v"}, {&texCoords, "vt"}, {&normals, "vn"}})
        for (const auto& value : table->values) {
            const double k = table == &positions ? options.scale : 1.0;
            const bool uv = table == &texCoords && value[2] == 0.0;
            obj += std::string(key) + " " + number(value[0] * k) + " " + number(value[1] * k) + (uv ? "" : " " + number(value[2] * k)) + "\n";
        }
    out.files.insert(out.files.begin(), {{options.name + ".obj", obj + faceLines}, {options.name + ".mtl", library}});

    // What was changed, one line each.
    const auto note = [&changes](int count, const std::string& text) {
        if (count > 0)
            changes.push_back(text);
    };
    note(triangulated, "split " + plural(triangulated, "polygon", "polygons") + " of five or more corners into " +
                           plural(triangles, "triangle", "triangles"));
    note(concaveQuads, "split " + plural(concaveQuads, "concave quad", "concave quads") + " into two triangles each");
    note(model.badFaces, "dropped " + plural(model.badFaces, "face", "faces") + " naming elements that are not there");
    note(model.hugeFaces, "dropped " + plural(model.hugeFaces, "face", "faces") + " of more than " + std::to_string(MaxPolygonCorners) + " corners");
    note(partialSets, plural(partialSets, "face", "faces") + " with texture coordinates or normals at only some corners kept without them");
    note(model.vertexColours, "dropped the colours of " + plural(model.vertexColours, "vertex", "vertices"));
    note(model.linesAndPoints, "dropped " + plural(model.linesAndPoints, "line or point element", "line and point elements"));
    note(model.groupingLines, "dropped " + plural(model.groupingLines, "object, group or smoothing-group line", "object, group and smoothing-group lines"));
    note(model.otherLines, "dropped " + plural(model.otherLines, "line of a kind the game does not read", "lines of kinds the game does not read"));
    const std::size_t unused = model.positions.size() - positions.values.size() + model.texCoords.size() -
                               texCoords.values.size() + model.normals.size() - normals.values.size();
    note(static_cast<int>(unused), "dropped " + std::to_string(unused) + " positions, texture coordinates and normals no face uses");
    note(options.scale != 1.0, "positions scaled by " + number(options.scale));
    note(undefined, plural(undefined, "face", "faces") + " without a material the libraries define given the material default");
    note(renamed, plural(renamed, "material", "materials") + " renamed to one word of at most 31 characters");
    note(shininess, "shininess of " + plural(shininess, "material", "materials") + " mapped from 0-1000 into the game's 0-128");
    note(opacities, "opacity of " + plural(opacities, "material", "materials") + " written as the game's Tr");
    note(glowMaps, "the emission map of " + plural(glowMaps, "material", "materials") + " made its glow map, map_Ka");
    note(optionsStripped, "options taken off " + plural(optionsStripped, "texture map line", "texture map lines"));
    const int unusedMaterials = static_cast<int>(model.materials.size()) - static_cast<int>(materials.size()) + (materialOf.count("\n default") != 0);
    note(unusedMaterials, "dropped " + plural(unusedMaterials, "material", "materials") + " no face uses");
    out.changes = changes;
    out.changes.insert(out.changes.end(), textureChanges.begin(), textureChanges.end());
    return true;
}
