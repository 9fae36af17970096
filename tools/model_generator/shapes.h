// Parametric solids added to a mesh: boxes, bevelled boxes, lofts through cross-sections and
// wheels. Every face is wound so that its normal points out of the solid.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "mesh.h"

// Where a point of a face lands in its material's texture; normal is the face's outward normal.
using UvMap = std::function<TexCoord(const Point3& point, const Point3& normal)>;

struct Box {
    Point3 min;
    Point3 max;
};

// The faces of a box, to leave some out (the bottom of a building standing on the ground).
enum BoxFaces : unsigned {
    BoxPlusX = 1u,
    BoxMinusX = 2u,
    BoxPlusY = 4u,
    BoxMinusY = 8u,
    BoxPlusZ = 16u,
    BoxMinusZ = 32u,
    AllBoxFaces = 63u,
};

// An axis-aligned box in the current material, one flat quad per face.
void addBox(Mesh& mesh, const Box& box, const UvMap& uv, unsigned faces = AllBoxFaces);

// A box whose twelve edges are cut off at 45 degrees, bevel units deep: the six faces in
// faceMaterial, the edge strips and corner triangles in bevelMaterial.
void addBevelledBox(Mesh& mesh, const Box& box, float bevel, const std::string& faceMaterial,
                    const std::string& bevelMaterial, const UvMap& uv);

// A point of a cross-section, in the plane of constant z.
struct SectionPoint {
    float x, y;
};

// One cross-section of a loft at height z along the loft's axis; every section has the same number
// of points, counter-clockwise as seen from +z.
struct LoftSection {
    float z;
    std::vector<SectionPoint> points;
};

// The skin between consecutive sections (sorted by z), in the current material; neighbouring quads
// share their positions. The end caps are left to the caller, which knows how to split them.
void addLoft(Mesh& mesh, const std::vector<LoftSection>& sections, const UvMap& uv);

// A convex polygon, corners counter-clockwise from the side it shows, as a fan of triangles around
// its centre, in the current material.
void addConvexPolygon(Mesh& mesh, const std::vector<Point3>& corners, const UvMap& uv);

// A wheel turning about the x axis: tread and sidewalls in tyreMaterial (the tread's positions are
// shared around the ring, so a material with averaged normals makes it round), the hub face on the
// outer side in rimMaterial. outerSide is +1 when the outer side looks toward +x.
struct Wheel {
    Point3 centre;
    float radius;
    float rimRadius;
    float width;
    int segments;
    float outerSide;
};
void addWheel(Mesh& mesh, const Wheel& wheel, const std::string& tyreMaterial, const std::string& rimMaterial,
              const UvMap& rimUv);
