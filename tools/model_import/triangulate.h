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
// does. The polygon may touch itself: an outline that runs out to a hole along a bridge edge, around
// the hole the other way and back along the bridge leaves the hole uncovered, and loops may share a
// corner. A polygon of n corners gives n - 2 triangles (none for fewer than three); one whose
// corners are all in a line gives empty ones.
std::vector<std::array<int, 3>> triangulate(const std::vector<Point3>& corners);
