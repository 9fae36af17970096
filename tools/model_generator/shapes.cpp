// Parametric solids added to a mesh.
#include "shapes.h"

#include <cmath>
#include <stdexcept>

namespace {

constexpr float Pi = 3.14159265358979f;

// How far (in model units) a loft quad's fourth corner may lie off the plane of the other three
// before the quad is split into two triangles.
constexpr float MaxQuadTwist = 0.001f;

Point3 faceNormal(const Point3& a, const Point3& b, const Point3& c)
{
    const Point3 n = cross(b - a, c - a);
    const float length = std::sqrt(dot(n, n));
    return length > 0.0f ? n * (1.0f / length) : Point3{0.0f, 0.0f, 0.0f};
}

// A flat quad origin, origin + along, origin + along + up, origin + up; it faces along x up.
void addQuadSpan(Mesh& mesh, Point3 origin, Point3 along, Point3 up, const UvMap& uv)
{
    const Point3 p[4] = {origin, origin + along, origin + along + up, origin + up};
    const Point3 n = faceNormal(p[0], p[1], p[2]);
    mesh.addFlatQuad(p, {uv(p[0], n), uv(p[1], n), uv(p[2], n), uv(p[3], n)});
}

// A flat face of a convex solid, its corners in either winding: turned so that it faces away from
// the solid's centre.
void addOutwardFace(Mesh& mesh, std::vector<Point3> p, const Point3& centre, const UvMap& uv)
{
    Point3 n = faceNormal(p[0], p[1], p[2]);
    Point3 middle = {0.0f, 0.0f, 0.0f};
    for (const Point3& q : p)
        middle = middle + q * (1.0f / static_cast<float>(p.size()));
    if (dot(n, middle - centre) < 0.0f) {
        p = {p.rbegin(), p.rend()};
        n = n * -1.0f;
    }
    if (p.size() == 4)
        mesh.addFlatQuad({p[0], p[1], p[2], p[3]}, {uv(p[0], n), uv(p[1], n), uv(p[2], n), uv(p[3], n)});
    else
        mesh.addFlatTriangle({p[0], p[1], p[2]}, {uv(p[0], n), uv(p[1], n), uv(p[2], n)});
}

} // namespace

void addBox(Mesh& mesh, const Box& box, const UvMap& uv, unsigned faces)
{
    const Point3& a = box.min;
    const Point3& b = box.max;
    const Point3 dx = {b.x - a.x, 0.0f, 0.0f};
    const Point3 dy = {0.0f, b.y - a.y, 0.0f};
    const Point3 dz = {0.0f, 0.0f, b.z - a.z};
    if (faces & BoxPlusX)
        addQuadSpan(mesh, {b.x, a.y, b.z}, dz * -1.0f, dy, uv);
    if (faces & BoxMinusX)
        addQuadSpan(mesh, {a.x, a.y, a.z}, dz, dy, uv);
    if (faces & BoxPlusZ)
        addQuadSpan(mesh, {a.x, a.y, b.z}, dx, dy, uv);
    if (faces & BoxMinusZ)
        addQuadSpan(mesh, {b.x, a.y, a.z}, dx * -1.0f, dy, uv);
    if (faces & BoxPlusY)
        addQuadSpan(mesh, {a.x, b.y, b.z}, dx, dz * -1.0f, uv);
    if (faces & BoxMinusY)
        addQuadSpan(mesh, {a.x, a.y, a.z}, dx, dz, uv);
}

void addBevelledBox(Mesh& mesh, const Box& box, float bevel, const std::string& faceMaterial,
                    const std::string& bevelMaterial, const UvMap& uv)
{
    const Point3 centre = (box.min + box.max) * 0.5f;
    const Point3 half = (box.max - box.min) * 0.5f;
    // The corner of the box in the direction (sx, sy, sz), pulled back from its three edges onto the
    // face across axis `onAxis`.
    const auto cornerOn = [&](int onAxis, float sx, float sy, float sz) {
        Point3 p = {sx * (half.x - bevel), sy * (half.y - bevel), sz * (half.z - bevel)};
        if (onAxis == 0)
            p.x = sx * half.x;
        else if (onAxis == 1)
            p.y = sy * half.y;
        else
            p.z = sz * half.z;
        return centre + p;
    };
    constexpr float Signs[2] = {-1.0f, 1.0f};

    mesh.useMaterial(faceMaterial);
    for (float s : Signs) {
        addOutwardFace(mesh, {cornerOn(0, s, -1, -1), cornerOn(0, s, 1, -1), cornerOn(0, s, 1, 1), cornerOn(0, s, -1, 1)},
                       centre, uv);
        addOutwardFace(mesh, {cornerOn(1, -1, s, -1), cornerOn(1, 1, s, -1), cornerOn(1, 1, s, 1), cornerOn(1, -1, s, 1)},
                       centre, uv);
        addOutwardFace(mesh, {cornerOn(2, -1, -1, s), cornerOn(2, 1, -1, s), cornerOn(2, 1, 1, s), cornerOn(2, -1, 1, s)},
                       centre, uv);
    }

    mesh.useMaterial(bevelMaterial);
    for (float a : Signs) {
        for (float b : Signs) {
            // The strips along the x, y and z edges at (a, b) on the other two axes.
            addOutwardFace(mesh, {cornerOn(1, -1, a, b), cornerOn(1, 1, a, b), cornerOn(2, 1, a, b), cornerOn(2, -1, a, b)},
                           centre, uv);
            addOutwardFace(mesh, {cornerOn(0, a, -1, b), cornerOn(0, a, 1, b), cornerOn(2, a, 1, b), cornerOn(2, a, -1, b)},
                           centre, uv);
            addOutwardFace(mesh, {cornerOn(0, a, b, -1), cornerOn(0, a, b, 1), cornerOn(1, a, b, 1), cornerOn(1, a, b, -1)},
                           centre, uv);
        }
    }
    for (float sx : Signs)
        for (float sy : Signs)
            for (float sz : Signs)
                addOutwardFace(mesh, {cornerOn(0, sx, sy, sz), cornerOn(1, sx, sy, sz), cornerOn(2, sx, sy, sz)}, centre, uv);
}

void addLoft(Mesh& mesh, const std::vector<LoftSection>& sections, const UvMap& uv)
{
    if (sections.size() < 2)
        throw std::logic_error("a loft needs two sections");
    const std::size_t count = sections.front().points.size();
    std::vector<std::vector<Point3>> rings;
    for (const LoftSection& section : sections) {
        if (section.points.size() != count)
            throw std::logic_error("loft sections differ in their number of points");
        std::vector<Point3> ring;
        for (const SectionPoint& p : section.points)
            ring.push_back({p.x, p.y, section.z});
        rings.push_back(ring);
    }
    // Positions are shared along the skin, texture coordinates are not: each face maps its own
    // corners with its own normal.
    std::vector<std::vector<int>> indices;
    for (const std::vector<Point3>& ring : rings) {
        std::vector<int> row;
        for (const Point3& p : ring)
            row.push_back(mesh.addPosition(p));
        indices.push_back(row);
    }
    for (std::size_t s = 0; s + 1 < rings.size(); ++s) {
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t j = (i + 1) % count;
            const Point3 p[4] = {rings[s][i], rings[s][j], rings[s + 1][j], rings[s + 1][i]};
            const int k[4] = {indices[s][i], indices[s][j], indices[s + 1][j], indices[s + 1][i]};
            const Point3 n = faceNormal(p[0], p[1], p[2]);
            Corner c[4];
            for (int q = 0; q < 4; ++q)
                c[q] = {k[q], mesh.addTexCoord(uv(p[q], n))};
            // The game lights a quad with the normal of its first three corners: where the
            // sections change shape and a quad twists, two triangles keep each half lit right.
            if (std::fabs(dot(p[3] - p[0], n)) > MaxQuadTwist) {
                mesh.addTriangle(c[0], c[1], c[2]);
                mesh.addTriangle(c[0], c[2], c[3]);
            } else {
                mesh.addQuad(c[0], c[1], c[2], c[3]);
            }
        }
    }
}

void addConvexPolygon(Mesh& mesh, const std::vector<Point3>& corners, const UvMap& uv)
{
    Point3 centre = {0.0f, 0.0f, 0.0f};
    for (const Point3& p : corners)
        centre = centre + p * (1.0f / static_cast<float>(corners.size()));
    const Point3 n = faceNormal(corners[0], corners[1], corners[2]);
    const Corner middle = {mesh.addPosition(centre), mesh.addTexCoord(uv(centre, n))};
    std::vector<Corner> ring;
    for (const Point3& p : corners)
        ring.push_back({mesh.addPosition(p), mesh.addTexCoord(uv(p, n))});
    for (std::size_t i = 0; i < ring.size(); ++i)
        mesh.addTriangle(middle, ring[i], ring[(i + 1) % ring.size()]);
}

void addWheel(Mesh& mesh, const Wheel& wheel, const std::string& tyreMaterial, const std::string& rimMaterial,
              const UvMap& rimUv)
{
    const int n = wheel.segments;
    const float outerX = wheel.centre.x + wheel.outerSide * wheel.width * 0.5f;
    const float innerX = wheel.centre.x - wheel.outerSide * wheel.width * 0.5f;
    const auto around = [&](float x, float radius, int i) {
        const float angle = 2.0f * Pi * static_cast<float>(i) / static_cast<float>(n);
        return Point3{x, wheel.centre.y + radius * std::sin(angle), wheel.centre.z + radius * std::cos(angle)};
    };
    // The tyre's texture coordinates go once around the tread, so a tread pattern wraps seamlessly.
    const auto treadUv = [&](int i, float side) { return TexCoord{static_cast<float>(i) / static_cast<float>(n), side}; };

    mesh.useMaterial(tyreMaterial);
    std::vector<int> outerTread, innerTread;
    for (int i = 0; i < n; ++i) {
        outerTread.push_back(mesh.addPosition(around(outerX, wheel.radius, i)));
        innerTread.push_back(mesh.addPosition(around(innerX, wheel.radius, i)));
    }
    for (int i = 0; i < n; ++i) {
        const int j = (i + 1) % n;
        const Corner a = {outerTread[static_cast<std::size_t>(i)], mesh.addTexCoord(treadUv(i, 1.0f))};
        const Corner b = {outerTread[static_cast<std::size_t>(j)], mesh.addTexCoord(treadUv(i + 1, 1.0f))};
        const Corner c = {innerTread[static_cast<std::size_t>(j)], mesh.addTexCoord(treadUv(i + 1, 0.0f))};
        const Corner d = {innerTread[static_cast<std::size_t>(i)], mesh.addTexCoord(treadUv(i, 0.0f))};
        // Counter-clockwise seen from outside the tread, whichever side of the car the wheel is on.
        if (wheel.outerSide > 0.0f)
            mesh.addQuad(a, b, c, d);
        else
            mesh.addQuad(a, d, c, b);
    }
    // The sidewalls: a ring from the rim out to the tread on the outer side, a full disc inside.
    // Their positions are their own, so the tread's rounding stops at the tyre's shoulder.
    // Each faces away from a point on the axis, a unit in from the outer side.
    const Point3 inside = {outerX - wheel.outerSide, wheel.centre.y, wheel.centre.z};
    for (int i = 0; i < n; ++i) {
        const Point3 p[4] = {around(outerX, wheel.rimRadius, i), around(outerX, wheel.radius, i),
                             around(outerX, wheel.radius, i + 1), around(outerX, wheel.rimRadius, i + 1)};
        std::vector<Point3> face(p, p + 4);
        addOutwardFace(mesh, face, inside, rimUv);
    }
    // Going round with the angle turns clockwise as seen from +x, so a disc in that order faces -x.
    const auto disc = [&](float x, float radius, float facing) {
        std::vector<Point3> corners;
        for (int i = 0; i < n; ++i)
            corners.push_back(around(x, radius, i));
        if (facing > 0.0f)
            corners = {corners.rbegin(), corners.rend()};
        return corners;
    };
    addConvexPolygon(mesh, disc(innerX, wheel.radius, -wheel.outerSide), rimUv);

    mesh.useMaterial(rimMaterial);
    const std::vector<Point3> hub = disc(outerX, wheel.rimRadius, wheel.outerSide);
    addConvexPolygon(mesh, hub, rimUv);
}
