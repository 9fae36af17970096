// Reading a Wavefront OBJ file into the load buffer of a model: positions, texture coordinates,
// normals and faces sorted by material, with the material libraries it names.
#pragma once

#include <cstdio>

#include "assets/model.h"

// Opens a material library named on a "mtllib" line; null when it cannot be opened or read. The
// game opens the name as a path; a test or a fuzzer can hand out files of its own.
using LibraryOpener = std::FILE* (*)(const char* fileName, void* context);

// Prints "Loading model %s: ", opens the file and reads it into a new load buffer of the model,
// printing the counts of what it kept. False, with the model unchanged and nothing allocated, when
// the file cannot be opened or read; true otherwise, whatever the file holds. The caller releases
// the buffer with releaseLoadBuffer. The model is fresh: it has no load buffer yet.
bool readObjFile(Model& model, const char* fileName);

// The same after the "Loading model" line, on a file that is already open, which it closes;
// "mtllib" files come from openLibrary.
bool readObjStream(Model& model, std::FILE* file, LibraryOpener openLibrary, void* context);

// Allocates the model's load buffer with every counter 0, every group empty and every material
// definition at its defaults. False when memory is lacking; the model is then unchanged.
bool createLoadBuffer(Model& model);

// Frees every face of all MaxMaterials groups (faces past the last material included), then the
// buffer, and sets loadBuffer to null. Does nothing when there is no buffer. Edge trees are not
// touched: they are released before.
void releaseLoadBuffer(Model& model);

// Links face at the end of the list that starts at head and ends at tail, in constant time.
void appendFace(Face*& head, Face*& tail, Face* face);
