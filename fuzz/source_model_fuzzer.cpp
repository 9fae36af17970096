// Fuzzes the importer's lenient reader of exported models: the OBJ parser with the MTL parser it
// calls for every "mtllib" line. The input is an OBJ file, optionally followed by a line
// "%%mtl%%" and a material library that every "mtllib" line reads. Small limits make the
// refusals reachable.
#include <string_view>

#include "fuzz_support.h"
#include "tools/model_import/source_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size), separator = "\n%%mtl%%\n";
    const std::size_t split = std::min(input.find(separator), size);
    const std::size_t mtl = std::min(split + separator.size(), size);
    const SourceLimits limits{.elements = 40, .materials = 3, .elementsRead = 60};
    SourceModel model;
    std::string error;
    std::FILE* obj = openBytes(data, split);
    const bool read = parseSourceObj(obj, "fuzz.obj", limits, model, [&](std::string_view) {
        std::FILE* library = openBytes(data + mtl, size - mtl);
        parseSourceMtl(library, ".", model);
        std::fclose(library);
    }, error);
    std::fclose(obj);
    require(read == error.empty());

    // Every kept polygon names only elements that were read, with whole sets; what a kept face
    // uses is counted once, in the order first used, within the limits.
    for (const SourcePolygon& polygon : model.polygons) {
        require(polygon.cornerCount >= 3 && polygon.cornerCount <= MaxPolygonCorners &&
                polygon.firstCorner + polygon.cornerCount <= model.corners.size());
        require(polygon.material < static_cast<int>(model.materialNames.size()));
        for (std::uint32_t k = 0; k < polygon.cornerCount; ++k) {
            const SourceCorner& c = model.corners[polygon.firstCorner + k];
            require(c.position >= 0 && static_cast<std::size_t>(c.position) < model.positions.values.size());
            require(!polygon.texCoords || static_cast<std::size_t>(c.texCoord) < model.texCoords.values.size());
            require(!polygon.normals || static_cast<std::size_t>(c.normal) < model.normals.values.size());
        }
    }
    for (const SourceTable* table : {&model.positions, &model.texCoords, &model.normals}) {
        require(table->values.size() <= limits.elementsRead && table->used.size() <= limits.elements &&
                table->useOrder.size() == table->values.size());
        for (std::size_t i = 0; i < table->used.size(); ++i)
            require(table->useOrder[static_cast<std::size_t>(table->used[i])] == static_cast<int>(i));
    }
    for (const SourceMaterial& material : model.materials)
        for (const SourceMap& map : material.maps)
            require(!map.file.empty());
    return 0;
}
