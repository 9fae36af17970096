// Edge trees and the edge-line display lists compiled from them.
#include "render/edge_lists.h"

#include <GL/gl.h>

#include <new>
#include <tuple>

#include "render/normals.h"

namespace {

// The key (hi, lo) as one unsigned number with the same order as the signed pair.
std::uint64_t keyOf(std::int32_t hi, std::int32_t lo)
{
    const auto biased = [](std::int32_t value) {
        return static_cast<std::uint64_t>(static_cast<std::uint32_t>(value) ^ 0x80000000u);
    };
    return (biased(hi) << 32) | biased(lo);
}

void addTo(Vec3& sum, const Vec3& v)
{
    sum.x += v.x;
    sum.y += v.y;
    sum.z += v.z;
}

// False when memory ran out on the way.
bool addFaceEdges(EdgeTreeBuilder& tree, const ModelLoadBuffer& buffer, const Face* faces, int corners)
{
    for (const Face* face = faces; face != nullptr; face = face->next) {
        Vec3 normals[4];
        for (int k = 0; k < corners; ++k)
            normals[k] = face->hasNormals != 0 ? cornerNormal(buffer, *face, k) : face->faceNormal;
        for (int j = 0; j < corners; ++j) {
            const int k = (j + 1) % corners;
            if (!addEdge(tree, face->v[j], face->vt[j], normals[j], face->v[k], face->vt[k], normals[k]))
                return false;
        }
    }
    return true;
}

void sendEnd(const ModelLoadBuffer& buffer, std::int32_t position, std::int32_t texCoord, Vec3& normal)
{
    normalize(normal);
    glNormal3f(normal.x, normal.y, normal.z);
    if (texCoord >= 0) {
        const Vec3& t = buffer.texCoords[texCoord];
        glTexCoord3f(t.x, t.y, t.z);
    }
    const Vec3& p = buffer.vertices[position];
    glVertex3d(p.x, p.y, p.z);
}

} // namespace

bool addEdge(EdgeTreeBuilder& tree, std::int32_t a, std::int32_t ta, const Vec3& na, std::int32_t b, std::int32_t tb,
             const Vec3& nb)
{
    if (a == b)
        return true;
    const bool aIsLo = a < b;
    const std::int32_t lo = aIsLo ? a : b;
    const std::int32_t hi = aIsLo ? b : a;
    const Vec3& loNormal = aIsLo ? na : nb;
    const Vec3& hiNormal = aIsLo ? nb : na;
    const std::uint64_t key = keyOf(hi, lo);

    // The index is a standard container, which can only say that memory ran out by throwing.
    std::map<std::uint64_t, EdgeTreeBuilder::Entry>::iterator place;
    bool isNew = false;
    try {
        std::tie(place, isNew) = tree.index.try_emplace(key, EdgeTreeBuilder::Entry{});
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!isNew) {
        // A known edge: the faces on both sides of it sum their normals at each end.
        addTo(place->second.node->loNormal, loNormal);
        addTo(place->second.node->hiNormal, hiNormal);
        return true;
    }

    EdgeNode* node = new (std::nothrow)
        EdgeNode{lo, hi, aIsLo ? ta : tb, aIsLo ? tb : ta, loNormal, hiNormal, nullptr, nullptr};
    if (node == nullptr) {
        tree.index.erase(place);
        return false;
    }
    place->second.node = node;
    if (tree.root == nullptr) {
        tree.root = node;
        return true;
    }
    // The parent is the deeper of the in-order neighbours; a key larger than its parent's hangs
    // on the greater side.
    EdgeTreeBuilder::Entry* parent = nullptr;
    if (place != tree.index.begin())
        parent = &std::prev(place)->second;
    if (auto next = std::next(place); next != tree.index.end() && (parent == nullptr || next->second.depth > parent->depth))
        parent = &next->second;
    place->second.depth = parent->depth + 1;
    if (keyOf(parent->node->hi, parent->node->lo) < key)
        parent->node->greater = node;
    else
        parent->node->lesser = node;
    return true;
}

void buildEdgeTrees(Model& model)
{
    ModelLoadBuffer& buffer = *model.loadBuffer;
    for (int g = 0; g < model.materialCount; ++g) {
        FaceGroup& group = buffer.groups[g];
        EdgeTreeBuilder tree;
        if (addFaceEdges(tree, buffer, group.triangles, 3) && addFaceEdges(tree, buffer, group.quads, 4)) {
            group.edgeTree = tree.root;
            continue;
        }
        // Out of memory: this group goes without an outline, and the load goes on.
        for (const auto& [key, entry] : tree.index)
            delete entry.node;
        group.edgeTreeFailed = true;
    }
}

void buildEdgeLists(Model& model)
{
    const ModelLoadBuffer& buffer = *model.loadBuffer;
    for (int i = 0; i < model.materialCount; ++i) {
        if (buffer.materialDefs[i].smoothEdges == 0 || buffer.groups[i].edgeTreeFailed)
            continue;
        Material& m = model.materials[i];
        m.edgeList = glGenLists(1);
        glNewList(m.edgeList, GL_COMPILE);
            glBegin(GL_LINES);
                // Each distinct edge is one segment, its lo end first.
                forEachEdge(buffer.groups[i].edgeTree, [&buffer](EdgeNode& edge) {
                    sendEnd(buffer, edge.lo, edge.loTexCoord, edge.loNormal);
                    sendEnd(buffer, edge.hi, edge.hiTexCoord, edge.hiNormal);
                });
            glEnd();
        glEndList();
    }
}

void releaseEdgeTrees(Model& model)
{
    ModelLoadBuffer& buffer = *model.loadBuffer;
    for (FaceGroup& group : buffer.groups) {
        // Rotating each lesser child up turns the tree into a chain along greater, freed as it is
        // walked: no recursion and no extra memory, however deep the tree.
        EdgeNode* node = group.edgeTree;
        while (node != nullptr) {
            if (node->lesser != nullptr) {
                EdgeNode* lesser = node->lesser;
                node->lesser = lesser->greater;
                lesser->greater = node;
                node = lesser;
            } else {
                EdgeNode* next = node->greater;
                delete node;
                node = next;
            }
        }
        group.edgeTree = nullptr;
    }
}

std::size_t countEdges(EdgeNode* root)
{
    std::size_t count = 0;
    forEachEdge(root, [&count](EdgeNode&) { ++count; });
    return count;
}
