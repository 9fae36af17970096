// vantor-model-check: reads model files the way the game does, without a window, and says what
// the game would make of them: the same progress lines, a summary of each material, and a warning
// for everything the game would drop or ignore, or would draw without a visible pixel (a material
// whose opacity, its "Tr", is too low to show in an 8-bit framebuffer).
// Usage: vantor-model-check FILE.obj..., or --help (-h) for the usage on standard output.
// Exit status: 0 when every file can be used, 1 when one cannot be opened, 2 for a usage error.
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "assets/load_report.h"
#include "assets/obj_reader.h"
#include "assets/tga_decoder.h"
#include "render/edge_lists.h"
#include "render/normals.h"

namespace {

constexpr const char* Usage =
    "usage: vantor-model-check FILE.obj...\n"
    "Reads each model as Vantor Sprint does, from the model's own folder, and prints the game's\n"
    "loading lines, a summary of every material and a \"warning:\" line for everything the game\n"
    "would drop or ignore, or draw fully transparent.\n"
    "Exit status: 0 when every file can be used, 1 when one cannot be opened, 2 for a usage error.\n";

struct Counts {
    int triangles = 0;
    int quads = 0;
};

Counts countFaces(const FaceGroup& group)
{
    Counts counts;
    for (const Face* f = group.triangles; f != nullptr; f = f->next)
        ++counts.triangles;
    for (const Face* f = group.quads; f != nullptr; f = f->next)
        ++counts.quads;
    return counts;
}

class Report {
public:
    void warn(const std::string& text)
    {
        std::printf("warning: %s\n", text.c_str());
        ++warnings_;
    }
    // A count of dropped or ignored things, worded for the one and the many.
    void warnCount(std::int64_t count, const char* one, const char* many, const std::string& what)
    {
        if (count > 0)
            warn(std::to_string(count) + " " + (count == 1 ? one : many) + " " + what);
    }
    int warnings() const { return warnings_; }

private:
    int warnings_ = 0;
};

// The texture maps of one material, in the order the game loads them.
struct MapCheck {
    const char* key;
    const char* fileName;
    bool decodes;
};

// Decodes each map as the game would load it, with the same progress lines, but uploads nothing.
std::vector<MapCheck> checkMaps(const MaterialDef& def)
{
    std::vector<MapCheck> maps;
    const std::pair<const char*, const char*> named[] = {
        {"map_Kd", def.diffuseMap}, {"map_Ks", def.specularMap}, {"map_Ka", def.ambientMap}};
    for (const auto& [key, fileName] : named) {
        if (fileName[0] == '\0')
            continue;
        TextureImage image;
        maps.push_back({key, fileName, decodeTgaFile(fileName, image)});
    }
    return maps;
}

void warnAboutDiagnostics(Report& report, const LoadDiagnostics& d)
{
    const std::string elementLimit = "past the limit of " + std::to_string(MaxModelElements) + " ignored";
    // The material that does not fit, as an ordinal: "th" suits any number past 20 whose last
    // digit is 0 or 4 to 9.
    static_assert(MaxMaterials + 1 > 20 && ((MaxMaterials + 1) % 10 == 0 || (MaxMaterials + 1) % 10 >= 4));
    report.warnCount(d.librariesNotFound, "material library", "material libraries",
                     "could not be read: their materials keep the default look");
    report.warnCount(d.verticesDropped, "vertex", "vertices", elementLimit);
    report.warnCount(d.texCoordsDropped, "texture coordinate", "texture coordinates", elementLimit);
    report.warnCount(d.normalsDropped, "normal", "normals", elementLimit);
    report.warnCount(d.materialsDropped, "material", "materials",
                     "past the limit of " + std::to_string(MaxMaterials) + " ignored");
    report.warnCount(d.namesCut, "material name", "material names",
                     "cut to " + std::to_string(MaterialNameSize - 1) + " characters");
    report.warnCount(d.facesDropped, "face", "faces", "with a position index outside the vertices read dropped");
    report.warnCount(d.texCoordSetsDropped, "face", "faces",
                     "with a texture-coordinate index outside those read drawn without texture coordinates");
    report.warnCount(d.normalSetsDropped, "face", "faces", "with a normal index outside those read drawn without normals");
    report.warnCount(d.facesWithoutGroup, "face", "faces",
                     "that would need a " + std::to_string(MaxMaterials + 1) + "th material dropped");
    report.warnCount(d.facesNotAllocated, "face", "faces", "dropped for lack of memory");
    report.warnCount(d.undrawnFaces, "face", "faces",
                     "in a group that is never drawn (before any \"usemtl\" once materials are known, "
                     "or after a \"usemtl\" no material has)");
    if (d.readError)
        report.warn("reading stopped at a read error; the rest of the file is ignored");
}

// Checks one model file from its own folder, as the game reads it from its working directory.
// Returns false when the file cannot be opened.
bool checkModel(const std::string& path)
{
    const std::filesystem::path file(path);
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
    const std::string name = file.filename().string();
    std::error_code error;
    // The overloads with an error code: a working folder removed meanwhile must not throw.
    const std::filesystem::path previous = std::filesystem::current_path(error);
    std::filesystem::current_path(folder, error);
    if (error) {
        // The line the game prints for a model that is not there, then the verdict.
        reportLoadingModel(name.c_str());
        reportLoadError(LoadError::FileNotFound);
        std::printf("%s: cannot be opened\n\n", path.c_str());
        return false;
    }

    Model model;
    const bool opened = readObjFile(model, name.c_str());
    if (opened) {
        computeNormals(model);
        buildEdgeTrees(model);
        ModelLoadBuffer& buffer = *model.loadBuffer;
        std::vector<std::vector<MapCheck>> maps;
        for (int i = 0; i < model.materialCount; ++i)
            maps.push_back(checkMaps(buffer.materialDefs[i]));
        reportCompletedModel(name.c_str());

        std::printf("Summary of %s:\n", path.c_str());
        Report report;
        for (int i = 0; i < model.materialCount; ++i) {
            const MaterialDef& def = buffer.materialDefs[i];
            const Counts counts = countFaces(buffer.groups[i]);
            const char* materialName = def.name[0] != '\0' ? def.name : "(default)";
            std::printf("  material %s: %d triangles, %d quads", materialName, counts.triangles, counts.quads);
            if (def.smoothEdges != 0)
                std::printf(", %zu distinct edges outlined", buffer.groups[i].edgeCount);
            std::printf("\n");
            for (const MapCheck& map : maps[static_cast<std::size_t>(i)]) {
                std::printf("    %s %s: %s\n", map.key, map.fileName, map.decodes ? "decodes" : "cannot be used");
                if (!map.decodes)
                    report.warn(std::string("texture ") + map.fileName + " cannot be used: material " + materialName +
                                " is drawn without its " + map.key);
            }
            // The game draws such a material all the same, writing depth: it shows nothing, yet hides
            // what is drawn behind it afterwards, a hole the files alone do not explain.
            if (!isVisibleOpacity(def.transparency)) {
                char opacity[64];
                std::snprintf(opacity, sizeof opacity, "(Tr %g, below %.3g)", static_cast<double>(def.transparency),
                              static_cast<double>(MinVisibleOpacity));
                report.warn(std::string("material ") + materialName + " is drawn fully transparent " + opacity +
                            ": write \"Tr 1\" for a solid material");
            }
        }
        warnAboutDiagnostics(report, buffer.diagnostics);
        std::printf("%s: usable, %d warning%s\n\n", path.c_str(), report.warnings(), report.warnings() == 1 ? "" : "s");
        releaseEdgeTrees(model);
        releaseLoadBuffer(model);
    } else {
        // The reader's line names only the file; with several files the verdict says which.
        std::printf("%s: cannot be opened\n\n", path.c_str());
    }
    std::filesystem::current_path(previous, error);
    return opened;
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(Usage, stdout);
            return 0;
        }
    }
    if (argc < 2) {
        std::fputs(Usage, stderr);
        return 2;
    }
    bool allOpened = true;
    for (int i = 1; i < argc; ++i)
        allOpened = checkModel(argv[i]) && allOpened;
    return allOpened ? 0 : 1;
}
