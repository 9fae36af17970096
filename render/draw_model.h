// A model's display lists: compiling them while the model loads, drawing them every frame in up to
// four passes per material, and releasing them at exit.
#pragma once

#include "assets/model.h"

// Loads each material's textures, copies its colours and flags, and compiles its faces into its
// face list. Needs the normals computed, the materials allocated and an OpenGL context.
void buildDisplayLists(Model& model);

// Draws the model material by material with the current matrices: the lit faces, an outline where
// the material asks for one, an additive specular map and an additive unlit ambient map. Leaves
// blending (GL_SRC_ALPHA, GL_ONE), texturing and both polygon offsets enabled.
void drawModel(const Model& model);

// Switches off what drawModel leaves on, once a picture's models are drawn: smoothed lines, both
// polygon offsets, blending and texturing.
void endModelDrawing();

// Deletes the model's display lists and textures; run by each model's destructor at exit.
void unloadModel(Model& model);
