// Drawing a loaded model from its display lists, and releasing its OpenGL objects.
#pragma once

#include "assets/model.h"

// Draws the model material by material with the current matrices.
void drawModel(const Model& model);

// Deletes the model's display lists and textures; run by each model's destructor at exit.
void unloadModel(Model& model);
