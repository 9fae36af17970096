// Edge outlines: every distinct edge of a material's faces, in one search tree per face group, and
// compiled as line segments whose ends carry the normals of all faces sharing them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "assets/model.h"

// One distinct edge, keyed by (hi, lo). The tree is not balanced: its shape follows the order the
// edges were added, and fixes the order the lines are drawn in.
struct EdgeNode {
    std::int32_t lo;          // the smaller position index
    std::int32_t hi;          // the larger
    std::int32_t loTexCoord;  // at the lo end, from the face that added the edge first; -1 for none
    std::int32_t hiTexCoord;
    Vec3 loNormal;            // sum of the normals of the faces sharing the edge, at the lo end
    Vec3 hiNormal;
    EdgeNode* greater;
    EdgeNode* lesser;
};

// Builds the edge tree of every group 0 to materialCount - 1 from its faces as the normals pass
// left them: the tree that adding each edge of the triangles, then the quads, each in file order,
// to a plain search tree would make. A known edge sums in its normals and keeps its texture
// coordinates; a degenerate one is dropped. Each group's nodes lie in one array in drawing order:
// a node, then its whole greater subtree, then its whole lesser subtree. A group whose tree runs
// out of memory keeps none and is marked edgeTreeFailed.
void buildEdgeTrees(Model& model);

// Compiles the edge list of every material that asks for smoothed edges and has its tree; the
// others keep edgeList 0 and are drawn without an outline. Needs an OpenGL context.
void buildEdgeLists(Model& model);

// Frees every group's tree and clears the roots.
void releaseEdgeTrees(Model& model);

// A group's edges in drawing order, the order their nodes lie in; empty without a tree.
inline std::span<EdgeNode> edgesInDrawingOrder(const FaceGroup& group)
{
    return {group.edgeNodes, group.edgeCount};
}
