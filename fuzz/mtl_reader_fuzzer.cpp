// Fuzzes the MTL reader alone on an in-memory library.
#include <cstring>

#include "assets/mtl_reader.h"
#include "assets/obj_reader.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    silenceLoadReports();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Model model;
    require(createLoadBuffer(model));
    std::FILE* file = openBytes(data, size);
    require(file != nullptr);
    require(readMtlFile(model, file));
    require(model.materialCount >= 0 && model.materialCount <= MaxMaterials);
    for (const MaterialDef& def : model.loadBuffer->materialDefs) {
        require(std::memchr(def.name, '\0', sizeof def.name) != nullptr);
        require(std::memchr(def.ambientMap, '\0', sizeof def.ambientMap) != nullptr);
        require(std::memchr(def.diffuseMap, '\0', sizeof def.diffuseMap) != nullptr);
        require(std::memchr(def.specularMap, '\0', sizeof def.specularMap) != nullptr);
    }
    releaseLoadBuffer(model);
    model.materialCount = 0; // no Material was created for the unload to delete
    return 0;
}
