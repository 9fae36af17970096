// The importer's split of polygons into triangles, on generated polygons in every facing, checked by
// what any right split has: n - 2 triangles, none facing away, each inside the polygon and not over
// one of its holes, together exactly as large as it. The checks work in the plane the polygon was
// drawn in, which the split never sees.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

#include "tools/model_import/triangulate.h"

namespace {

using Flat = std::array<double, 2>;
using Loop = std::vector<Flat>;

// Twice the signed area of the triangle, counter-clockwise positive.
double turn(Flat a, Flat b, Flat c) { return (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]); }

double area(const Loop& loop)
{
    double twice = 0;
    for (std::size_t i = 1; i + 1 < loop.size(); ++i)
        twice += turn(loop[0], loop[i], loop[i + 1]);
    return twice / 2;
}

// How often the outline runs counter-clockwise around p: 1 inside, 0 outside and in holes.
int winding(const Loop& loop, Flat p)
{
    int w = 0;
    for (std::size_t i = 0; i < loop.size(); ++i) {
        const Flat a = loop[i], b = loop[(i + 1) % loop.size()];
        w += (a[1] <= p[1] && b[1] > p[1] && turn(a, b, p) > 0) - (b[1] <= p[1] && a[1] > p[1] && turn(a, b, p) < 0);
    }
    return w;
}

// A polygon around the centre through the given first corner, the others counter-clockwise at a
// share of its distance between 1 - dent and 1: convex without dents, spiky with deep ones. No gap
// between corners is as wide as a half turn, so the centre stays inside.
Loop star(std::mt19937& rng, Flat centre, Flat first, int corners, double dent)
{
    std::uniform_real_distribution<double> unit(0, 1);
    const double radius = std::hypot(first[0] - centre[0], first[1] - centre[1]);
    const double angle = std::atan2(first[1] - centre[1], first[0] - centre[0]);
    Loop loop = {first};
    for (int i = 1; i < corners; ++i) {
        const double r = radius * (1 - dent * unit(rng)), at = angle + (i + 0.4 * unit(rng)) * 2 * std::numbers::pi / corners;
        loop.push_back({centre[0] + r * std::cos(at), centre[1] + r * std::sin(at)});
    }
    return loop;
}

Loop reversed(Loop loop) // the first corner stays first
{
    std::reverse(loop.begin() + 1, loop.end());
    return loop;
}

// The 12 x 4 rectangle with counter-clockwise holes in a row, as a 3D program exports such a face:
// a bridge from the rectangle's first corner to the first hole's leftmost corner, each hole walked
// the other way round, a bridge on from its rightmost corner to the next hole, and every bridge
// walked back the way it came.
Loop withHoles(const std::vector<Loop>& holes)
{
    Loop out = {{0, 0}, {12, 0}, {12, 4}, {0, 4}, {0, 0}};
    std::vector<Loop> walked;
    const auto byX = [](Flat a, Flat b) { return a[0] < b[0]; };
    for (Loop hole : holes) {
        std::rotate(hole.begin(), std::min_element(hole.begin(), hole.end(), byX), hole.end());
        walked.push_back(reversed(hole));
    }
    const auto rightmost = [&](std::size_t i) { return std::max_element(walked[i].begin(), walked[i].end(), byX); };
    for (std::size_t i = 0; i < walked.size(); ++i)
        out.insert(out.end(), walked[i].begin(), i + 1 < walked.size() ? rightmost(i) + 1 : walked[i].end());
    for (std::size_t i = walked.size(); i-- > 0;) {
        out.insert(out.end(), i + 1 < walked.size() ? rightmost(i) : walked[i].end(), walked[i].end());
        out.push_back(walked[i][0]);
    }
    return out;
}

// The same rectangle with holes each joined on its own to the rectangle's first corner, by a bridge
// to the hole's first corner, the nearest hole first.
Loop fanned(const std::vector<Loop>& holes)
{
    Loop out = {{0, 0}, {12, 0}, {12, 4}, {0, 4}};
    for (const Loop& hole : holes) {
        out.push_back({0, 0});
        const Loop walked = reversed(hole);
        out.insert(out.end(), walked.begin(), walked.end());
        out.push_back(walked[0]);
    }
    return out;
}

// The planes a polygon is tried in, as the 3D directions of its x and y (it faces x cross y): the
// six along the axes, then turned at random.
std::vector<std::array<Point3, 2>> facings(std::mt19937& rng, int turned)
{
    std::vector<std::array<Point3, 2>> all;
    for (int axis = 0; axis < 6; ++axis) {
        Point3 x{}, y{};
        x[(axis + 1) % 3] = 1, y[(axis + 2) % 3] = axis < 3 ? 1 : -1;
        all.push_back({x, y});
    }
    std::normal_distribution<double> normal;
    while (turned-- > 0) {
        const double w = normal(rng), x = normal(rng), y = normal(rng), z = normal(rng), s = 2 / (w * w + x * x + y * y + z * z);
        all.push_back({Point3{1 - s * (y * y + z * z), s * (x * y + w * z), s * (x * z - w * y)},
                       Point3{s * (x * y - w * z), 1 - s * (x * x + z * z), s * (y * z + w * x)}});
    }
    return all;
}

std::vector<Point3> placed(const Loop& loop, const std::array<Point3, 2>& in, Point3 at = {}, double scale = 1)
{
    std::vector<Point3> corners;
    for (const Flat& p : loop) {
        const double x = scale * p[0], y = scale * p[1];
        corners.push_back({at[0] + x * in[0][0] + y * in[1][0], at[1] + x * in[0][1] + y * in[1][1], at[2] + x * in[0][2] + y * in[1][2]});
    }
    return corners;
}

// Whether p lies in the middle of the side from a to b.
bool midSide(Flat p, Flat a, Flat b) { return turn(a, b, p) == 0 && (p[0] - a[0]) * (p[0] - b[0]) + (p[1] - a[1]) * (p[1] - b[1]) < 0; }

// Checks the split of the loop in every facing, placed away from the origin at sizes from a hundredth
// to a hundredfold and starting from any corner; the first fault found. Sharp: besides, no triangle is empty and none passes a corner in
// the middle of a side, where the model would show a crack (exact in the facings along the axes).
testing::AssertionResult splitsRight(const Loop& drawn, double expectedArea, std::mt19937& rng, int turned = 4, bool sharp = false)
{
    const double tolerance = 1e-9 * expectedArea;
    const auto planes = facings(rng, turned);
    for (std::size_t facing = 0; facing < planes.size(); ++facing) {
        Loop loop = drawn;
        std::rotate(loop.begin(), loop.begin() + rng() % loop.size(), loop.end());
        const auto triangles = triangulate(placed(loop, planes[facing], {3, -7, 5}, std::pow(10.0, facing % 5 - 2.0)));
        const auto fault = [&](auto... what) { return (testing::AssertionFailure() << ... << what) << " in facing " << facing; };
        if (triangles.size() != loop.size() - 2)
            return fault(triangles.size(), " triangles of ", loop.size(), " corners");
        double total = 0;
        for (const auto& t : triangles) {
            if (*std::min_element(t.begin(), t.end()) < 0 || *std::max_element(t.begin(), t.end()) >= static_cast<int>(loop.size()))
                return fault("a corner number out of range");
            const Flat a = loop[t[0]], b = loop[t[1]], c = loop[t[2]];
            const double size = turn(a, b, c) / 2;
            if (size < -tolerance || (size > tolerance && winding(loop, {(a[0] + b[0] + c[0]) / 3, (a[1] + b[1] + c[1]) / 3}) != 1))
                return fault(size < 0 ? "backwards" : "outside the polygon or over a hole", ": triangle ", t[0], " ", t[1], " ", t[2]);
            if (sharp && (size <= tolerance || std::any_of(loop.begin(), loop.end(), [&](Flat p) {
                              return midSide(p, a, b) || midSide(p, b, c) || midSide(p, c, a);
                          })))
                return fault("empty or with a corner in the middle of a side: triangle ", t[0], " ", t[1], " ", t[2]);
            total += std::abs(size);
        }
        if (std::abs(total - expectedArea) > tolerance)
            return fault("the triangles' area is ", total, ", not ", expectedArea);
    }
    return testing::AssertionSuccess();
}

TEST(Triangulate, SplitsConvexAndConcavePolygonsRight)
{
    std::mt19937 rng(11);
    for (int corners : {4, 5, 6, 9, 17, 40, 66})
        for (double dent : {0.0, 0.3, 0.9}) {
            const Loop loop = star(rng, {1, 2}, {4, 2}, corners, dent);
            EXPECT_TRUE(splitsRight(loop, area(loop), rng)) << corners << " corners, dent " << dent;
        }
    // Corners in the middle of sides, as where a face meets finer ones: none needs an empty triangle.
    const Loop comb = {{0, 0}, {9, 0}, {9, 3}, {8, 3}, {8, 1}, {7, 1}, {7, 3}, {6, 3}, {6, 1}, {5, 1}, {5, 3}, {3, 3}, {0, 3}, {0, 1}};
    const Loop square = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 1}, {3, 2}, {3, 3}, {2, 3}, {1, 3}, {0, 3}, {0, 2}, {0, 1}};
    for (int round = 0; round < 8; ++round) {
        EXPECT_TRUE(splitsRight(comb, 9 * 3 - 2 * 2, rng, 0, true));
        EXPECT_TRUE(splitsRight(square, 9, rng, 0, true));
    }
}

TEST(Triangulate, CutsHolesJoinedByBridgesOut)
{
    std::mt19937 rng(23);
    // A hole so large that every triangle has a corner at an end of the bridge, and one with two
    // corners on the rectangle's diagonal.
    const Loop large = {{1, 0.5}, {11, 0.5}, {11, 3.5}, {1, 3.5}}, onDiagonal = {{1.5, 0.5}, {4.5, 0.5}, {4.5, 1.5}, {1.5, 1.5}};
    for (int round = 0; round < 8; ++round) {
        EXPECT_TRUE(splitsRight(withHoles({large}), 12 * 4 - 30, rng));
        EXPECT_TRUE(splitsRight(withHoles({onDiagonal}), 12 * 4 - 3, rng));
    }
    for (int holes = 1; holes <= 3; ++holes)
        for (int round = 0; round < 24; ++round) {
            // Holes in a row, their first corners at the bottom, all above the bridges of a fan.
            std::vector<Loop> cut;
            double left = 12 * 4;
            for (int i = 0; i < holes; ++i) {
                cut.push_back(star(rng, {2 + 4.0 * i, 2}, {2 + 4.0 * i, 0.5}, 3 + round * 2, round % 3 * 0.35));
                left -= area(cut.back());
            }
            EXPECT_TRUE(splitsRight(withHoles(cut), left, rng)) << holes << " holes in a chain, round " << round;
            EXPECT_TRUE(splitsRight(fanned(cut), left, rng)) << holes << " holes in a fan, round " << round;
        }
}

TEST(Triangulate, SplitsLoopsThatShareACorner)
{
    std::mt19937 rng(5);
    for (int corners : {3, 4, 7, 20}) {
        // Two loops on either side of the origin; an outline with a hole that touches it from inside.
        const Loop west = star(rng, {-2, 0}, {0, 0}, corners, 0.5), east = star(rng, {2, 0}, {0, 0}, corners + 1, 0.5);
        Loop both = west;
        both.insert(both.end(), east.begin(), east.end());
        EXPECT_TRUE(splitsRight(both, area(west) + area(east), rng)) << corners << " corners";
        const Loop hole = reversed(star(rng, {6, 1.5}, {6, 0}, corners, 0.5));
        Loop touched = {{6, 0}, {12, 0}, {12, 4}, {0, 4}, {0, 0}};
        touched.insert(touched.end(), hole.begin(), hole.end());
        EXPECT_TRUE(splitsRight(touched, 12 * 4 + area(hole), rng)) << corners << " corners";
    }
    // A loop with a needle out of its shared corner, as a loop cut down to nothing leaves it: the
    // triangle from the needle's tip over the corner to the loop's next corner turns the right way
    // and has its centre inside the loop, but the loop's last edge passes through it.
    const Loop needle = {{0, 0}, {-3, 0.6}, {-3.3, -0.2}, {-1.3, -1.7}, {0, 0}, {1.9, -1}};
    Loop mirrored = needle;
    for (Flat& p : mirrored)
        p[0] = -p[0];
    for (int round = 0; round < 8; ++round) {
        EXPECT_TRUE(splitsRight(needle, area(needle), rng));
        EXPECT_TRUE(splitsRight(reversed(mirrored), area(needle), rng));
    }
}

TEST(Triangulate, ManyCornersAndDegenerateInputStillGiveNMinusTwoTriangles)
{
    std::mt19937 rng(3);
    const Loop spiky = star(rng, {0, 0}, {1, 0}, 1000, 0.95);
    EXPECT_TRUE(splitsRight(spiky, area(spiky), rng, 1));

    // Corners all in a line, a polygon flat to rounding, and corners all over the place, some doubled
    // or infinitely far: n - 2 triangles of three different corners each, none for fewer than three.
    std::uniform_real_distribution<double> any(-1, 1);
    for (int corners = 0; corners < 40; ++corners) {
        std::vector<Point3> line, sliver, chaos;
        for (int i = 0; i < corners; ++i) {
            const double t = any(rng);
            line.push_back({1 + 2 * t, 2 - t, 3 * t});
            sliver.push_back({t, 1e-13 * any(rng), 1e-13 * t * t});
            chaos.push_back(i % 5 == 4 ? chaos[i / 2] : i % 7 == 6 ? Point3{INFINITY, 0, 1} : Point3{any(rng), any(rng), any(rng)});
        }
        for (const auto* polygon : {&line, &sliver, &chaos}) {
            const auto triangles = triangulate(*polygon);
            ASSERT_EQ(triangles.size(), static_cast<std::size_t>(std::max(corners - 2, 0)));
            for (const auto& t : triangles)
                ASSERT_TRUE(t[0] != t[1] && t[1] != t[2] && t[2] != t[0] && *std::min_element(t.begin(), t.end()) >= 0 &&
                            *std::max_element(t.begin(), t.end()) < corners);
        }
    }
}

TEST(Triangulate, AQuadIsConvexWhenEveryCornerTurnsTheSameWay)
{
    std::mt19937 rng(8);
    const Loop kite = {{0, -0.25}, {0.75, 0}, {0, 0.25}, {-0.25, 0}}, dart = {{0, -0.25}, {0.75, 0}, {0, 0.25}, {0.1, 0}};
    for (const auto& in : facings(rng, 4)) {
        EXPECT_TRUE(isConvexQuad(placed(kite, in)) && isConvexQuad(placed(reversed(kite), in)));
        EXPECT_FALSE(isConvexQuad(placed(dart, in)) || isConvexQuad(placed(reversed(dart), in)));
        EXPECT_FALSE(isConvexQuad(placed({{0, -1}, {3, 0}, {0, 1}, {0, 0}}, in))) << "three corners in a line";
        EXPECT_FALSE(isConvexQuad(placed({{0, 0}, {1, 1}, {1, 0}, {0, 1}}, in))) << "crossed";
    }
}

} // namespace
