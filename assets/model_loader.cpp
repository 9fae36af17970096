// The model load pipeline: read, compute normals, build display lists and edge lists, release.
#include "assets/model_loader.h"

#include <GL/gl.h>

#include <cstring>
#include <new>

#include "assets/load_report.h"
#include "assets/obj_reader.h"
#include "render/draw_model.h"
#include "render/edge_lists.h"
#include "render/normals.h"

bool rendererCannotDrawEdgeLists(const char* renderer)
{
    // Compared case-sensitively on the first 12 characters: only these two spellings.
    return renderer != nullptr &&
           (std::strncmp(renderer, "ATi Rage 128", 12) == 0 || std::strncmp(renderer, "ATI Rage 128", 12) == 0);
}

bool loadModel(Model& model, const char* fileName, float scale)
{
    model.scale = scale;
    if (rendererCannotDrawEdgeLists(reinterpret_cast<const char*>(glGetString(GL_RENDERER))))
        model.useEdgeLists = false;

    if (!readObjFile(model, fileName))
        return false;

    computeNormals(model);
    if (model.useEdgeLists)
        buildEdgeTrees(model);

    model.materials = new (std::nothrow) Material[model.materialCount]();
    if (model.materials == nullptr) {
        // Without its materials the model cannot be drawn: it stays as a missing file leaves it.
        if (model.useEdgeLists)
            releaseEdgeTrees(model);
        releaseLoadBuffer(model);
        model.materialCount = 0;
        return true;
    }
    buildDisplayLists(model);
    reportCompletedModel(fileName);

    if (model.useEdgeLists) {
        buildEdgeLists(model);
        releaseEdgeTrees(model);
    }
    // Every group's faces go, those past the last material included.
    releaseLoadBuffer(model);
    return true;
}
