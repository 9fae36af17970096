// Fuzzes the MTL reader alone on an in-memory library.
#include "assets/mtl_reader.h"
#include "assets/obj_reader.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Model model;
    require(createLoadBuffer(model));
    std::FILE* file = openBytes(data, size);
    require(file != nullptr && readMtlFile(model, file));
    require(model.materialCount >= 0 && model.materialCount <= MaxMaterials);
    for (const MaterialDef& def : model.loadBuffer->materialDefs)
        require(terminated(def.name) && terminated(def.ambientMap) && terminated(def.diffuseMap) &&
                terminated(def.specularMap));
    releaseLoadBuffer(model);
    model.materialCount = 0; // no Material was created for the unload to delete
    return 0;
}
