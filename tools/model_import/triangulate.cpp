// Ear clipping in the polygon's own plane, for polygons that touch themselves too: 3D programs
// export a face with holes as one outline that runs out to each hole and back along the same bridge
// edge, so the bridge's ends lie twice on it, and loops may share a corner.
#include "tools/model_import/triangulate.h"

#include <algorithm>
#include <cmath>

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
    // Seen from behind, the plane's two axes are taken the other way round.
    int u = (axis + 1) % 3, v = (axis + 2) % 3;
    if (normal[axis] < 0)
        std::swap(u, v);
    std::vector<Point2> flat;
    for (const Point3& p : corners)
        flat.push_back({p[u], p[v]});
    return flat;
}

// The corners not cut off yet, each linked to its neighbours around what is left of the polygon.
struct Ring {
    std::vector<Point2> flat;
    std::vector<int> before, after;

    // How often what is left runs counter-clockwise around p: 0 outside it and in its holes.
    int winding(int start, Point2 p) const
    {
        int w = 0;
        int i = start;
        do {
            const Point2 u = flat[i], v = flat[after[i]];
            w += u.y <= p.y && v.y > p.y && turn(u, v, p) > 0;
            w -= v.y <= p.y && u.y > p.y && turn(u, v, p) < 0;
            i = after[i];
        } while (i != start);
        return w;
    }

    // How well the corner does as the next one cut off with its neighbours, worst first: blind, its
    // triangle turning the other way or holding part of the outline; empty, the corner in a line
    // with its neighbours (the tip of a loop cut down to a needle), which changes nothing of what is
    // left; over a corner that lies in the middle of the side it adds, where the model would show a
    // crack if that corner is one of a neighbouring face's; clean.
    enum class Cut { Blind, Empty, OverACorner, Clean };
    Cut cut(int corner) const
    {
        const int first = before[corner], last = after[corner];
        const Point2 a = flat[first], b = flat[corner], c = flat[last];
        const double size = turn(a, b, c);
        if (!(size > 0))
            return size == 0 ? Cut::Empty : Cut::Blind;
        const double left = std::min({a.x, b.x, c.x}), right = std::max({a.x, b.x, c.x});
        const double low = std::min({a.y, b.y, c.y}), high = std::max({a.y, b.y, c.y});
        // Corners of other loops lie on the triangle where the polygon touches itself (a bridge's
        // ends, a shared corner). They are no obstacle unless one of their edges heads inside: a
        // loop cut down to a sliver may pass through the triangle that way. Where their edges run
        // along its sides both ways, the triangle may lie outside what is left, which then does not
        // wind around its centre.
        bool touching = false, overACorner = false;
        for (int i = after[last]; i != first; i = after[i]) {
            const Point2 p = flat[i];
            if (p.x < left || p.x > right || p.y < low || p.y > high)
                continue;
            const double ab = turn(a, b, p), bc = turn(b, c, p), ca = turn(c, a, p);
            if (ab < 0 || bc < 0 || ca < 0)
                continue;
            // From a point on a side's line, heading inside is heading to the triangle's side of it.
            const auto headsInside = [&](Point2 q) {
                return (ab > 0 || turn(a, b, q) > 0) && (bc > 0 || turn(b, c, q) > 0) && (ca > 0 || turn(c, a, q) > 0);
            };
            if (headsInside(flat[before[i]]) || headsInside(flat[after[i]]))
                return Cut::Blind;
            touching = true;
            overACorner = overACorner || (ca == 0 && ab > 0 && bc > 0); // in the middle of the new side
        }
        if (touching && !(winding(corner, {(a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3}) > 0))
            return Cut::Blind;
        return overACorner ? Cut::OverACorner : Cut::Clean;
    }
};

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
    std::vector<std::array<int, 3>> triangles;
    const int count = static_cast<int>(corners.size());
    if (count < 3)
        return triangles;
    Ring ring{flattened(corners), std::vector<int>(count), std::vector<int>(count)};
    for (int i = 0; i < count; ++i)
        ring.before[i] = (i + count - 1) % count, ring.after[i] = (i + 1) % count;
    // The search for the next ear goes on from the last one, whose neighbours are the corners most
    // likely to have become ears.
    int start = 0;
    for (int left = count; left > 3; --left) {
        // The best cut around, the first clean one ending the search. When all are blind (rounding
        // in a nearly flat polygon, an outline that crosses itself), the first is made all the
        // same, which keeps the count of triangles.
        int ear = start, corner = start;
        Ring::Cut best = Ring::Cut::Blind;
        for (int tried = 0; tried < left && best != Ring::Cut::Clean; ++tried, corner = ring.after[corner]) {
            const Ring::Cut cut = ring.cut(corner);
            if (cut > best)
                ear = corner, best = cut;
        }
        triangles.push_back({ring.before[ear], ear, ring.after[ear]});
        ring.after[ring.before[ear]] = ring.after[ear];
        ring.before[ring.after[ear]] = ring.before[ear];
        start = ring.after[ear];
    }
    triangles.push_back({ring.before[start], start, ring.after[start]});
    return triangles;
}
