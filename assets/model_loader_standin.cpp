// STAND-IN until the model readers and the load pipeline land: loads nothing and reports nothing,
// so every model stays fresh and draws nothing, as a missing model file would leave it.
#include "assets/model_loader.h"

bool loadModel(Model& model, const char*, float scale)
{
    model.scale = scale;
    return false;
}
