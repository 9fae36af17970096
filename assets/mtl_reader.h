// Reading a Wavefront material library into the material definitions of the model being loaded.
#pragma once

#include <cstdio>

#include "assets/model.h"

// Reads the open library into the definitions of model.loadBuffer from index 0, prints "done."
// and the number of materials kept, sets materialCount to it, closes the file and returns true.
bool readMtlFile(Model& model, std::FILE* file);
