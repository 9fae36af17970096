// Edge trees and the edge-line display lists compiled from them.
#include "render/edge_lists.h"

#include <GL/gl.h>

#include <algorithm>
#include <memory>
#include <new>
#include <utility>

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

// An array freed with the group's build, whatever way it ends; null when memory ran out.
template <typename T>
using Scratch = std::unique_ptr<T[]>;

template <typename T>
Scratch<T> scratch(std::size_t count)
{
    return Scratch<T>(new (std::nothrow) T[count]);
}

std::size_t cornerCount(const Face* faces, int corners)
{
    std::size_t count = 0;
    for (const Face* face = faces; face != nullptr; face = face->next)
        count += static_cast<std::size_t>(corners);
    return count;
}

// Each distinct edge of the faces becomes the next node of the array, in the order it is first
// met; a known edge sums in its normals at both ends, in the order the faces add them. The index
// is open addressing on the key: each slot holds a node's number plus one, 0 when empty.
void collectEdges(const ModelLoadBuffer& buffer, const Face* faces, int corners, EdgeNode* nodes, std::size_t& count,
                  std::uint32_t* slots, std::size_t mask)
{
    for (const Face* face = faces; face != nullptr; face = face->next) {
        Vec3 normals[4];
        for (int k = 0; k < corners; ++k)
            normals[k] = face->hasNormals != 0 ? cornerNormal(buffer, *face, k) : face->faceNormal;
        for (int j = 0; j < corners; ++j) {
            const int k = (j + 1) % corners;
            const std::int32_t a = face->v[j], b = face->v[k];
            if (a == b)
                continue; // a degenerate edge is no line
            const bool aIsLo = a < b;
            const std::int32_t lo = aIsLo ? a : b;
            const std::int32_t hi = aIsLo ? b : a;
            const Vec3& loNormal = aIsLo ? normals[j] : normals[k];
            const Vec3& hiNormal = aIsLo ? normals[k] : normals[j];
            const std::uint64_t key = keyOf(hi, lo);
            std::size_t slot = static_cast<std::size_t>((key * 0x9E3779B97F4A7C15u) >> 32) & mask;
            while (slots[slot] != 0 && keyOf(nodes[slots[slot] - 1].hi, nodes[slots[slot] - 1].lo) != key)
                slot = (slot + 1) & mask;
            if (slots[slot] != 0) {
                EdgeNode& known = nodes[slots[slot] - 1];
                addTo(known.loNormal, loNormal);
                addTo(known.hiNormal, hiNormal);
                continue;
            }
            nodes[count] = EdgeNode{lo, hi, aIsLo ? face->vt[j] : face->vt[k], aIsLo ? face->vt[k] : face->vt[j],
                                    loNormal, hiNormal, nullptr, nullptr};
            slots[slot] = static_cast<std::uint32_t>(++count);
        }
    }
}

// The node numbers ordered by key: a radix sort, 16 bits a pass from the lowest, each pass kept
// stable and skipped when every key has the same digit there. order and spare hold count each;
// false when memory ran out.
bool sortByKey(const EdgeNode* nodes, std::size_t count, Scratch<std::uint32_t>& order, Scratch<std::uint32_t>& spare)
{
    Scratch<std::uint64_t> keys = scratch<std::uint64_t>(count);
    Scratch<std::uint64_t> spareKeys = scratch<std::uint64_t>(count);
    Scratch<std::size_t> starts = scratch<std::size_t>(65536);
    if (!keys || !spareKeys || !starts)
        return false;
    for (std::size_t i = 0; i < count; ++i) {
        keys[i] = keyOf(nodes[i].hi, nodes[i].lo);
        order[i] = static_cast<std::uint32_t>(i);
    }
    for (int shift = 0; shift < 64; shift += 16) {
        std::fill(starts.get(), starts.get() + 65536, std::size_t{0});
        for (std::size_t i = 0; i < count; ++i)
            ++starts[(keys[i] >> shift) & 0xFFFF];
        if (starts[(keys[0] >> shift) & 0xFFFF] == count)
            continue;
        std::size_t sum = 0;
        for (std::size_t d = 0; d < 65536; ++d) {
            const std::size_t n = starts[d];
            starts[d] = sum;
            sum += n;
        }
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t to = starts[(keys[i] >> shift) & 0xFFFF]++;
            spareKeys[to] = keys[i];
            spare[to] = order[i];
        }
        std::swap(keys, spareKeys);
        std::swap(order, spare);
    }
    return true;
}

// The tree that adding the keys one by one in the order first met would build: a search tree by
// key in which no node is added before its parent, that is the Cartesian tree of the keys in
// order with the node numbers as the heap order. Built in one pass over the sorted numbers with a
// stack of the rightmost path (held in stack, count long); no recursion, however deep the tree.
EdgeNode* linkTree(EdgeNode* nodes, const std::uint32_t* sorted, std::size_t count, std::uint32_t* stack)
{
    std::size_t depth = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t x = sorted[i];
        EdgeNode* lastPopped = nullptr;
        while (depth > 0 && stack[depth - 1] > x)
            lastPopped = &nodes[stack[--depth]];
        nodes[x].lesser = lastPopped;
        if (depth > 0)
            nodes[stack[depth - 1]].greater = &nodes[x];
        stack[depth++] = x;
    }
    return depth > 0 ? &nodes[stack[0]] : nullptr;
}

// One group's tree, its nodes in one array the group keeps; false when memory ran out, with
// nothing kept.
bool buildGroupTree(const ModelLoadBuffer& buffer, FaceGroup& group)
{
    const std::size_t corners = cornerCount(group.triangles, 3) + cornerCount(group.quads, 4);
    if (corners == 0)
        return true;
    std::size_t slotCount = 2;
    while (slotCount < 2 * corners)
        slotCount *= 2;
    Scratch<EdgeNode> nodes = scratch<EdgeNode>(corners);
    std::size_t count = 0;
    {
        Scratch<std::uint32_t> slots(new (std::nothrow) std::uint32_t[slotCount]());
        if (!nodes || !slots)
            return false;
        collectEdges(buffer, group.triangles, 3, nodes.get(), count, slots.get(), slotCount - 1);
        collectEdges(buffer, group.quads, 4, nodes.get(), count, slots.get(), slotCount - 1);
    }
    if (count == 0)
        return true;
    Scratch<std::uint32_t> order = scratch<std::uint32_t>(count);
    Scratch<std::uint32_t> spare = scratch<std::uint32_t>(count);
    if (!order || !spare || !sortByKey(nodes.get(), count, order, spare))
        return false;
    group.edgeTree = linkTree(nodes.get(), order.get(), count, spare.get());
    group.edgeNodes = nodes.release();
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

void buildEdgeTrees(Model& model)
{
    ModelLoadBuffer& buffer = *model.loadBuffer;
    for (int g = 0; g < model.materialCount; ++g) {
        // Out of memory: this group goes without an outline, and the load goes on.
        if (!buildGroupTree(buffer, buffer.groups[g]))
            buffer.groups[g].edgeTreeFailed = true;
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
        delete[] group.edgeNodes;
        group.edgeNodes = nullptr;
        group.edgeTree = nullptr;
    }
}

std::size_t countEdges(EdgeNode* root)
{
    std::size_t count = 0;
    forEachEdge(root, [&count](EdgeNode&) { ++count; });
    return count;
}
