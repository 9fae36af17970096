// Fuzzes the OBJ reader with the MTL reader it calls, and the passes that build on what they read:
// the normals, the edge trees and the walk that compiles them. The input is an OBJ file, optionally
// followed by a line "%%mtl%%" and a material library: every "mtllib" name opens that library from
// memory, except names that begin with "missing", which are not found.
#include <string_view>

#include "assets/obj_reader.h"
#include "fuzz_support.h"
#include "render/edge_lists.h"
#include "render/normals.h"

namespace {

struct Library {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

std::FILE* openLibrary(const char* fileName, void* context)
{
    if (std::strncmp(fileName, "missing", 7) == 0)
        return nullptr;
    const Library& library = *static_cast<const Library*>(context);
    return openBytes(library.data, library.size);
}

// A set of indices names only elements read so far and fills exactly the face's corners; texture
// coordinates and normals may be absent altogether.
bool indexSetHolds(const std::int32_t* indices, int corners, std::int32_t count, bool mayBeAbsent)
{
    for (int k = 0; k < 4; ++k)
        if ((mayBeAbsent && indices[0] == -1) || k >= corners ? indices[k] != -1 : indices[k] < 0 || indices[k] >= count)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size), separator = "\n%%mtl%%\n";
    const std::size_t split = std::min(input.find(separator), size);
    Library library;
    if (split < size)
        library = {data + split + separator.size(), size - split - separator.size()};
    Model model;
    if (!readObjStream(model, openBytes(data, split), openLibrary, &library))
        return 0;
    // Every kept face names only elements that were read; the lists hold what the counts say.
    const ModelLoadBuffer& buffer = *model.loadBuffer;
    std::int64_t faces[2] = {};
    for (const FaceGroup& group : buffer.groups)
        for (int kind = 0; kind < 2; ++kind)
            for (const Face* face = kind == 0 ? group.triangles : group.quads; face; face = face->next, ++faces[kind])
                require(indexSetHolds(face->v, 3 + kind, buffer.vertexCount, false) &&
                        indexSetHolds(face->vt, 3 + kind, buffer.texCoordCount, true) &&
                        indexSetHolds(face->vn, 3 + kind, buffer.normalCount, true) && face->hasNormals == (face->vn[0] != -1));
    require(faces[0] == buffer.triangleCount && faces[1] == buffer.quadCount && model.materialCount >= 1 &&
            model.materialCount <= MaxMaterials);
    // The passes after the reader, as a load runs them without a window, the edge lists' walk
    // included.
    computeNormals(model);
    buildEdgeTrees(model);
    for (int g = 0; g < model.materialCount; ++g)
        for (EdgeNode& edge : edgesInDrawingOrder(buffer.groups[g])) {
            require(edge.lo < edge.hi && edge.lo >= 0 && edge.hi < buffer.vertexCount);
            normalize(edge.loNormal);
            normalize(edge.hiNormal);
        }
    releaseEdgeTrees(model);
    releaseLoadBuffer(model);
    model.materialCount = 0; // no Material was created for the unload to delete
    return 0;
}
