// The one way to a drawable model: read the OBJ file and its materials, compute normals, build
// the display lists and textures, and release all load-time data.
#pragma once

#include "assets/model.h"

// Fills a fresh model from the OBJ file (and its MTL and TGA files), every vertex multiplied by
// scale. False when the OBJ file cannot be read; the model then stays fresh and draws nothing.
bool loadModel(Model& model, const char* fileName, float scale);

// Whether the renderer named by this string draws edge-line lists badly, so a model must outline
// its materials by drawing the faces as lines instead.
bool rendererCannotDrawEdgeLists(const char* renderer);
