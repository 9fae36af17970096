// Fuzzes the OBJ reader with the MTL reader it calls. The input is an OBJ file, optionally
// followed by a line "%%mtl%%" and a material library: every "mtllib" name opens that library
// from memory, except names that begin with "missing", which are not found.
#include <string_view>

#include "assets/obj_reader.h"
#include "fuzz_support.h"

namespace {

struct Library {
    const std::uint8_t* data;
    std::size_t size;
};

std::FILE* openLibrary(const char* fileName, void* context)
{
    if (std::strncmp(fileName, "missing", 7) == 0)
        return nullptr;
    const Library& library = *static_cast<const Library*>(context);
    return openBytes(library.data, library.size);
}

void requireIndexSet(const std::int32_t* indices, int corners, std::int32_t count, bool mayBeAbsent)
{
    if (mayBeAbsent && indices[0] == -1) {
        for (int k = 0; k < 4; ++k)
            require(indices[k] == -1);
        return;
    }
    for (int k = 0; k < corners; ++k)
        require(indices[k] >= 0 && indices[k] < count);
    for (int k = corners; k < 4; ++k)
        require(indices[k] == -1);
}

// Every kept face names only elements that were read; the lists hold what the counts say.
void checkBuffer(const Model& model)
{
    const ModelLoadBuffer& buffer = *model.loadBuffer;
    require(model.materialCount >= 1 && model.materialCount <= MaxMaterials);
    for (int count : {buffer.vertexCount, buffer.texCoordCount, buffer.normalCount})
        require(count >= 0 && count <= MaxModelElements);
    std::int64_t triangles = 0, quads = 0;
    for (const FaceGroup& group : buffer.groups) {
        for (int kind = 0; kind < 2; ++kind) {
            const int corners = kind == 0 ? 3 : 4;
            const Face* last = nullptr;
            for (const Face* face = kind == 0 ? group.triangles : group.quads; face; face = face->next) {
                requireIndexSet(face->v, corners, buffer.vertexCount, false);
                requireIndexSet(face->vt, corners, buffer.texCoordCount, true);
                requireIndexSet(face->vn, corners, buffer.normalCount, true);
                require(face->hasNormals == (face->vn[0] != -1 ? 1 : 0));
                ++(kind == 0 ? triangles : quads);
                last = face;
            }
            require(last == (kind == 0 ? group.lastTriangle : group.lastQuad) || last == nullptr);
        }
    }
    require(triangles == buffer.triangleCount && quads == buffer.quadCount);
    for (const MaterialDef& def : buffer.materialDefs)
        require(terminated(def.name) && terminated(def.diffuseMap));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view Separator = "\n%%mtl%%\n";
    const std::size_t split = input.find(Separator);
    const std::size_t objSize = split == std::string_view::npos ? size : split;
    Library library{nullptr, 0};
    if (split != std::string_view::npos) {
        library.data = data + split + Separator.size();
        library.size = size - split - Separator.size();
    }

    Model model;
    std::FILE* file = openBytes(data, objSize);
    require(file != nullptr);
    if (readObjStream(model, file, openLibrary, &library))
        checkBuffer(model);
    releaseLoadBuffer(model);
    require(model.loadBuffer == nullptr);
    model.materialCount = 0; // no Material was created for the unload to delete
    return 0;
}
