// Loading a TGA file into an OpenGL texture with mipmaps, for the model's texture maps.
#pragma once

#include "assets/model.h"

// Prints "Loading texture %s: ", opens and decodes the file, creates the texture and its mipmaps
// (stored without alpha, also for 32-bit images), prints the report and returns true; the new
// texture is left bound. On failure prints one error line, creates no texture and returns false.
// Needs a current OpenGL context.
bool loadTgaTexture(const char* fileName, TextureImage& image);
