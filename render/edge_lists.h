// Edge outlines: every distinct edge of a material's faces, found with one ordered search tree per
// face group, and compiled as line segments whose ends carry the normals of all faces sharing them.
#pragma once

#include <cstdint>
#include <map>

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

// A tree under construction, with an ordered index of its keys beside it. In a search tree built
// by insertion, a new key's parent is its in-order predecessor or successor, whichever is deeper,
// so the index finds the place in logarithmic time where walking down a long chain would not.
struct EdgeTreeBuilder {
    EdgeNode* root = nullptr;
    struct Entry {
        EdgeNode* node;
        std::uint32_t depth;
    };
    std::map<std::uint64_t, Entry> index;
};

// Adds the edge from position a to position b (an edge is undirected: b to a is the same one). A
// known edge sums in its normals and keeps its texture coordinates; a degenerate one is dropped.
// False when memory ran out, with the tree as it was.
bool addEdge(EdgeTreeBuilder& tree, std::int32_t a, std::int32_t ta, const Vec3& na, std::int32_t b, std::int32_t tb,
             const Vec3& nb);

// Builds the edge tree of every group 0 to materialCount - 1 from its faces as the normals pass
// left them: triangles first, then quads, each in file order. A group whose tree runs out of memory
// keeps none and is marked edgeTreeFailed.
void buildEdgeTrees(Model& model);

// Compiles the edge list of every material that asks for smoothed edges and has its tree; the
// others keep edgeList 0 and are drawn without an outline. Needs an OpenGL context.
void buildEdgeLists(Model& model);

// Frees every node of every group's tree, without recursion, and clears the roots.
void releaseEdgeTrees(Model& model);

// Visits a tree in drawing order: a node, then its whole greater subtree, then its whole lesser
// subtree. No recursion and no allocation, so it cannot fail however deep the tree; the visit
// may change a node's contents but not its children.
template <typename Visit>
void forEachEdge(EdgeNode* root, Visit visit);

// The number of nodes in a tree.
std::size_t countEdges(EdgeNode* root);

#include "render/edge_walk.inl"
