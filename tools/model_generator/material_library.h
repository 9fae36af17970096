// Writing a material library (MTL file) with the keys the game reads.
#pragma once

#include <string>
#include <vector>

#include "image.h"

struct MaterialSpec {
    std::string name;       // at most 31 characters, no blanks
    std::string note;       // a comment line above the material, for whoever reads the file
    Color ambient = {1.0f, 1.0f, 1.0f};  // Ka: times the scene's dim ambient light
    Color diffuse = {1.0f, 1.0f, 1.0f};  // Kd: times the light from the viewer's direction
    Color specular = {0.0f, 0.0f, 0.0f}; // Ks: only shows where map_Ks names a specular map
    float shininess = 1.0f;              // Ns: the specular exponent
    float transparency = 1.0f;           // Tr: the alpha, 1 is opaque
    std::string diffuseMap;              // map_Kd: multiplies the lit colour
    std::string ambientMap;              // map_Ka: added unlit on top, a glow
    std::string specularMap;             // map_Ks: where the highlight shows, and how strongly
    bool outline = false;                // Smooth 1: an antialiased line along every edge
    bool roundNormals = false;           // Normal 1: normals averaged over faces sharing a position
};

// The MTL file, materials in the order the game draws them: a see-through material must come after
// what shows through it.
std::string mtlText(const std::string& comment, const std::vector<MaterialSpec>& materials);
