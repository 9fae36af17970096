// STAND-IN until display lists land: no model is ever loaded yet, so there is nothing to draw and
// nothing to release.
#include "render/draw_model.h"

void drawModel(const Model&) {}

void unloadModel(Model&) {}

Model::~Model() { unloadModel(*this); }
