// Ear clipping in the polygon's own plane.
#include "tools/model_import/triangulate.h"

#include <cmath>
#include <list>

namespace {

struct Point2 {
    double x, y;
};

// Twice the signed area of the triangle: positive when a, b, c turn counter-clockwise.
double turn(Point2 a, Point2 b, Point2 c) { return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x); }

// The corners projected onto the coordinate plane the polygon faces most, oriented so that the
// polygon runs counter-clockwise there: its Newell normal picks the plane and the direction.
std::vector<Point2> flattened(const std::vector<Point3>& corners)
{
    Point3 normal = {0, 0, 0};
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const Point3& a = corners[i];
        const Point3& b = corners[(i + 1) % corners.size()];
        normal[0] += (a[1] - b[1]) * (a[2] + b[2]);
        normal[1] += (a[2] - b[2]) * (a[0] + b[0]);
        normal[2] += (a[0] - b[0]) * (a[1] + b[1]);
    }
    int axis = 0;
    for (int k = 1; k < 3; ++k)
        if (std::abs(normal[k]) > std::abs(normal[axis]))
            axis = k;
    const int u = (axis + 1) % 3, v = (axis + 2) % 3;
    const double sign = normal[axis] < 0 ? -1.0 : 1.0;
    std::vector<Point2> flat;
    for (const Point3& p : corners)
        flat.push_back({p[u] * sign, p[v]});
    return flat;
}

// Whether p lies inside the counter-clockwise triangle a, b, c or on its edges.
bool inside(Point2 p, Point2 a, Point2 b, Point2 c)
{
    return turn(a, b, p) >= 0 && turn(b, c, p) >= 0 && turn(c, a, p) >= 0;
}

} // namespace

bool isConvexQuad(const std::vector<Point3>& corners)
{
    const std::vector<Point2> flat = flattened(corners);
    for (std::size_t i = 0; i < 4; ++i)
        if (!(turn(flat[i], flat[(i + 1) % 4], flat[(i + 2) % 4]) > 0))
            return false;
    return true;
}

std::vector<std::array<int, 3>> triangulate(const std::vector<Point3>& corners)
{
    const std::vector<Point2> flat = flattened(corners);
    std::list<int> left;
    for (int i = 0; i < static_cast<int>(corners.size()); ++i)
        left.push_back(i);
    std::vector<std::array<int, 3>> triangles;
    while (left.size() > 3) {
        // An ear: a corner that turns the polygon's way, with no other corner in its triangle.
        auto ear = left.end();
        for (auto at = left.begin(); at != left.end() && ear == left.end(); ++at) {
            const auto before = at == left.begin() ? std::prev(left.end()) : std::prev(at);
            const auto after = std::next(at) == left.end() ? left.begin() : std::next(at);
            const Point2 a = flat[*before], b = flat[*at], c = flat[*after];
            if (!(turn(a, b, c) > 0))
                continue;
            bool empty = true;
            for (int other : left)
                if (other != *before && other != *at && other != *after && inside(flat[other], a, b, c))
                    empty = false;
            if (empty)
                ear = at;
        }
        // Corners all in a line, or rounding in a nearly flat polygon, leave no ear: the first
        // corner is cut off all the same, which keeps the count of triangles.
        if (ear == left.end())
            ear = left.begin();
        const auto before = ear == left.begin() ? std::prev(left.end()) : std::prev(ear);
        const auto after = std::next(ear) == left.end() ? left.begin() : std::next(ear);
        triangles.push_back({*before, *ear, *after});
        left.erase(ear);
    }
    triangles.push_back({left.front(), *std::next(left.begin()), left.back()});
    return triangles;
}
