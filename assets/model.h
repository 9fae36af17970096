// The records of a model: what a loaded model keeps (its materials with their display lists and
// textures) and the working data that exists only while one is being loaded.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "assets/line_reader.h"
#include "sim/vector_math.h"

// The limits of one model; the readers keep what fits and count what they drop.
constexpr int MaxModelElements = 75000; // vertices, texture coordinates and normals, each
constexpr int MaxMaterials = 64;
constexpr int MaterialNameSize = 32;    // 31 characters and the NUL
constexpr int MapNameSize = LineBufferSize; // a map name is a word of one line

// A material is blended in by its opacity (its "Tr"); below half a step of an 8-bit colour channel
// no pixel of it changes, so it is wholly transparent, though it still hides what is drawn later.
constexpr float MinVisibleOpacity = 0.5f / 255.0f;
// False for a NaN too: nothing of such a material shows either.
constexpr bool isVisibleOpacity(float opacity) { return opacity >= MinVisibleOpacity; }

// Starts all zero: no texture.
struct TextureImage {
    std::uint32_t textureId{}; // OpenGL texture name; 0 when none was created
    std::int32_t bitsPerPixel{};
    std::int32_t width{};
    std::int32_t height{};
};

// One material of a loaded model, filled once by the load and read every frame. Starts all zero.
struct Material {
    std::uint32_t faceList{}; // display list of the material's triangles, then its quads
    std::uint32_t edgeList{}; // display list of its distinct edges; 0 when none was built
    TextureImage diffuseTexture;
    TextureImage ambientTexture;
    TextureImage specularTexture;
    bool smoothEdges{};
    bool hasDiffuseTexture{};
    bool hasAmbientTexture{};
    bool hasSpecularTexture{};
    float diffuseColor[4] = {};  // RGB and the transparency as alpha
    float ambientColor[4] = {};
    float specularColor[4] = {};
    float shininess{};
};

struct EdgeNode;
struct FaceBlock;

// One accepted face line. Indices are 0-based and checked against what was read; -1 where the face
// gives none (the fourth corner of a triangle, a missing texture-coordinate or normal set).
// The OBJ reader allocates them from blocks that releaseLoadBuffer frees.
struct Face {
    std::int32_t v[4];
    std::int32_t vt[4];
    std::int32_t vn[4];
    Vec3 faceNormal;
    std::int32_t hasNormals;      // vn holds indices
    std::int32_t normalsAveraged; // vn indexes the averaged normals, not the file's
    Face* next;
};

// The faces drawn with one material, in file order.
struct FaceGroup {
    Face* triangles = nullptr;
    Face* quads = nullptr;
    EdgeNode* edgeTree = nullptr;  // the root of the tree, within edgeNodes
    EdgeNode* edgeNodes = nullptr; // the tree's nodes, one array in drawing order, released with it
    std::size_t edgeCount = 0;     // how many nodes edgeNodes holds
    std::int32_t materialIndex = -1; // set when a "usemtl" line selected the group
    bool edgeTreeFailed = false;     // memory ran out building its edge tree: no outline
    // Tails of the two lists, so a face is appended in constant time.
    Face* lastTriangle = nullptr;
    Face* lastQuad = nullptr;
};

// One of a group's lists of faces with the corners each face in it has.
struct FaceList {
    Face* first;
    int corners;
};

// The group's triangles, then its quads: the order in which every pass walks its faces.
inline std::array<FaceList, 2> faceLists(const FaceGroup& group)
{
    return {{{group.triangles, 3}, {group.quads, 4}}};
}

struct MaterialDef {
    char name[MaterialNameSize];
    float ambient[3];
    float diffuse[3];
    float specular[3];
    float shininess;
    float transparency; // the alpha of all three colours; 1 is opaque
    char ambientMap[MapNameSize];
    char diffuseMap[MapNameSize];
    char specularMap[MapNameSize];
    std::int32_t smoothNormals; // non-zero: averaged vertex normals for faces without their own
    std::int32_t smoothEdges;   // non-zero: an outline over the faces
};

// Sets a definition to the defaults every material starts from.
void setMaterialDefDefaults(MaterialDef& def);

// What the readers of one load dropped or cut to stay within the capacities and to keep bad
// indices away from the drawing; the printed counts only tell what was kept. Starts all zero.
struct LoadDiagnostics {
    std::int64_t verticesDropped = 0;     // "v" lines past MaxModelElements
    std::int64_t texCoordsDropped = 0;    // "vt" lines past MaxModelElements
    std::int64_t normalsDropped = 0;      // "vn" lines past MaxModelElements
    std::int64_t materialsDropped = 0;    // "newmtl" blocks past MaxMaterials, over all libraries
    std::int64_t namesCut = 0;            // material names longer than MaterialNameSize - 1
    std::int64_t facesDropped = 0;        // faces with a position index outside what was read
    std::int64_t texCoordSetsDropped = 0; // faces kept without their texture coordinates
    std::int64_t normalSetsDropped = 0;   // faces kept without their normals
    std::int64_t facesWithoutGroup = 0;   // faces dropped because they would need a 65th group
    std::int64_t facesNotAllocated = 0;   // faces dropped because memory ran out
    std::int64_t undrawnFaces = 0;        // faces kept in groups at or past materialCount
    std::int64_t librariesNotFound = 0;   // "mtllib" files that could not be opened or read
    bool readError = false;               // reading the OBJ file stopped on a read error
};

// The working data of one load, allocated in one piece by the OBJ reader and released by the load
// before it returns (releaseLoadBuffer, assets/obj_reader.h).
struct ModelLoadBuffer {
    Vec3 vertices[MaxModelElements];
    Vec3 texCoords[MaxModelElements];
    Vec3 normals[MaxModelElements];         // as read from the file
    Vec3 averagedNormals[MaxModelElements]; // per position index, for smooth faces without normals
    FaceGroup groups[MaxMaterials];
    MaterialDef materialDefs[MaxMaterials];
    std::int32_t vertexCount;
    std::int32_t texCoordCount;
    std::int32_t normalCount;
    std::int32_t triangleCount;
    std::int32_t quadCount;
    LoadDiagnostics diagnostics;
    FaceBlock* faceBlocks; // the faces' storage, the newest block first
};

// A model the game draws: static objects that live as long as the process. A fresh Model draws
// nothing; loadModel fills it once; unloadModel releases its OpenGL objects at exit.
struct Model {
    float maxX = 0.0f, maxY = 0.0f, maxZ = 0.0f; // bounds after scaling; they start at the origin
    float minX = 0.0f, minY = 0.0f, minZ = 0.0f;
    float extent = 0.0f;                         // largest absolute value among the bounds
    float scale = 1.0f;                          // every vertex coordinate is multiplied by it
    ModelLoadBuffer* loadBuffer = nullptr;       // only while loading
    Material* materials = nullptr;
    std::int32_t materialCount = 0;              // at most MaxMaterials: the MTL reader keeps no more
    bool useEdgeLists = true;                    // cleared for renderers that cannot draw them

    Model() = default;
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;
    ~Model();
};
