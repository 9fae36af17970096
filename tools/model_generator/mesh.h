// A polygon mesh being built for one OBJ file: positions, texture coordinates and faces, each face
// drawn with a named material.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

struct Point3 {
    float x, y, z;
};

inline Point3 operator+(Point3 a, Point3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Point3 operator-(Point3 a, Point3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Point3 operator*(Point3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }
inline float dot(Point3 a, Point3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Point3 cross(Point3 a, Point3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

struct TexCoord {
    float u, v;
};

// One corner of a face: indices into the mesh's positions and texture coordinates, counted from 0.
// A corner without a texture coordinate has texCoord -1; a face has either all or none.
struct Corner {
    int position;
    int texCoord = -1;
};

class Mesh {
public:
    // Every call adds a new position, even at a place already used: faces share a position (and so
    // an averaged normal, for materials that ask for one) only when a shape hands the same index on.
    int addPosition(Point3 p);
    // Texture coordinates are shared by value; they play no part in the normals.
    int addTexCoord(TexCoord t);

    // The faces that follow are drawn with this material.
    void useMaterial(const std::string& name);

    // Corners counter-clockwise as seen from the side the face shows: the game takes the face's
    // normal from its first three corners, and a quad must be flat and convex.
    void addTriangle(Corner a, Corner b, Corner c);
    void addQuad(Corner a, Corner b, Corner c, Corner d);

    // A face with positions of its own, for surfaces with hard edges.
    void addFlatQuad(const Point3 (&p)[4], const TexCoord (&t)[4]);
    void addFlatTriangle(const Point3 (&p)[3], const TexCoord (&t)[3]);

    int faceCount() const;

    // The OBJ file: the comment lines, the library, every position and texture coordinate, then
    // the faces of each material in the order the materials were first used.
    std::string objText(const std::string& comment, const std::string& libraryName) const;

private:
    struct Face {
        int cornerCount;
        Corner corners[4];
    };
    struct MaterialFaces {
        std::string material;
        std::vector<Face> faces;
    };

    void addFace(const Face& face);

    std::vector<Point3> positions_;
    std::vector<TexCoord> texCoords_;
    std::map<std::pair<std::string, std::string>, int> texCoordIndex_; // by the printed u and v
    std::vector<MaterialFaces> groups_;
    int currentGroup_ = -1;
};

// A number as the files show it: at most four decimals, no trailing zeros, never "-0".
std::string formatNumber(float value);
