// Splitting a polygon of a model into the triangles the game draws, concave or not.
#pragma once

#include <array>
#include <vector>

using Point3 = std::array<double, 3>;

// Whether the four corners make a convex quad, one the game can draw as it is: every turn the same
// way around in the plane the quad lies in, and no three corners in a line.
bool isConvexQuad(const std::vector<Point3>& corners);

// Triangles that cover the polygon exactly, by ear clipping in its own plane; each a triple of
// corner numbers in the polygon's own order around, so every triangle faces the way the polygon
// does. A polygon of n corners gives n - 2 triangles; one whose corners are all in a line gives a
// fan of empty ones.
std::vector<std::array<int, 3>> triangulate(const std::vector<Point3>& corners);
