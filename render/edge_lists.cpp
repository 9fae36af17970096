// Edge trees and the edge-line display lists compiled from them.
#include "render/edge_lists.h"

#include <GL/gl.h>

#include <algorithm>
#include <bit>
#include <memory>
#include <new>
#include <utility>

#include "render/normals.h"

namespace {

// An array freed with the group's build, whatever way it ends; null when memory ran out.
template <typename T>
using Scratch = std::unique_ptr<T[]>;

template <typename T>
Scratch<T> scratch(std::size_t count)
{
    return Scratch<T>(new (std::nothrow) T[count]);
}

constexpr std::uint32_t NoEdge = UINT32_MAX;

// How many places ahead the loops over edges in no useful memory order ask for what they will read.
constexpr std::size_t FetchAhead = 8;

// What the edges of one face take from its corners, gathered in face order so that the edges,
// met again in key order, each read one cache line: the normal each corner gives an edge end and
// its texture-coordinate index.
struct alignas(64) FaceEnds {
    Vec3 normal[4];
    std::int32_t texCoord[4];
};

// An edge's record: its key (hi, lo) above its occurrence, which is where the faces add it, so
// that a sort by the whole record keeps an edge's occurrences in that order. The occurrence is
// the face's place among the group's faces (its triangles, then its quads), the corner the edge
// starts from, and a last bit set when the edge runs from its hi end to its lo end.
struct Occurrence {
    std::uint64_t face;
    int from;
    bool reversed;
};

void addTo(Vec3& sum, const Vec3& v)
{
    sum.x += v.x;
    sum.y += v.y;
    sum.z += v.z;
}

// The records ordered by the keyBits above their lowest shift bits. The low bits, the edge's
// occurrence, already rise and each pass of the radix sort keeps the order it is given, so the
// occurrences of one edge stay in the order the faces add them. Passes of at most 12 bits, so the
// counts of a pass stay in the fastest cache; a pass whose digit is the same in every record is
// skipped. false when memory ran out.
bool sortRecords(Scratch<std::uint64_t>& records, Scratch<std::uint64_t>& spare, std::size_t count, int shift, int keyBits)
{
    const int passes = (keyBits + 11) / 12;
    if (passes == 0)
        return true;
    const int digitBits = (keyBits + passes - 1) / passes;
    const std::size_t buckets = std::size_t{1} << digitBits;
    const std::uint64_t digitMask = buckets - 1;
    Scratch<std::size_t> starts(new (std::nothrow) std::size_t[buckets * static_cast<std::size_t>(passes)]());
    if (!starts)
        return false;
    for (std::size_t i = 0; i < count; ++i)
        for (int p = 0; p < passes; ++p)
            ++starts[static_cast<std::size_t>(p) * buckets + ((records[i] >> (shift + p * digitBits)) & digitMask)];
    for (int p = 0; p < passes; ++p) {
        const int digitShift = shift + p * digitBits;
        std::size_t* start = starts.get() + static_cast<std::size_t>(p) * buckets;
        if (start[(records[0] >> digitShift) & digitMask] == count)
            continue;
        std::size_t sum = 0;
        for (std::size_t d = 0; d < buckets; ++d)
            sum += std::exchange(start[d], sum);
        for (std::size_t i = 0; i < count; ++i)
            spare[start[(records[i] >> digitShift) & digitMask]++] = records[i];
        std::swap(records, spare);
    }
    return true;
}

// The tree that adding the keys one by one in the order first met builds is a search tree by key
// in which no node is added before its parent: the Cartesian tree of the distinct keys in order,
// each ranked by its first occurrence. Built in one pass over them with a stack of the rightmost
// path; no recursion, however deep the tree. Children are numbered by key order, NoEdge for none.
struct KeyTree {
    Scratch<std::uint32_t> greater;
    Scratch<std::uint32_t> lesser;
    std::uint32_t root = NoEdge;
};

bool linkTree(const std::uint64_t* records, const std::uint32_t* runStarts, std::uint32_t count,
              std::uint64_t occurrenceMask, KeyTree& tree)
{
    struct Open {
        std::uint64_t firstOccurrence;
        std::uint32_t edge;
    };
    tree.greater = scratch<std::uint32_t>(count);
    tree.lesser = scratch<std::uint32_t>(count);
    Scratch<Open> stack = scratch<Open>(count);
    if (!tree.greater || !tree.lesser || !stack)
        return false;
    std::size_t depth = 0;
    for (std::uint32_t x = 0; x < count; ++x) {
        const std::uint64_t first = records[runStarts[x]] & occurrenceMask;
        std::uint32_t lastPopped = NoEdge;
        while (depth > 0 && stack[depth - 1].firstOccurrence > first)
            lastPopped = stack[--depth].edge;
        tree.lesser[x] = lastPopped;
        tree.greater[x] = NoEdge;
        if (depth > 0)
            tree.greater[stack[depth - 1].edge] = x;
        stack[depth++] = Open{first, x};
    }
    tree.root = stack[0].edge;
    return true;
}

// The faces' ends, and how to read an edge's records: the ends of the key, and each occurrence's
// corners.
struct EdgeRecords {
    const std::uint64_t* records;
    const FaceEnds* ends;
    std::size_t triangles; // faces before this place are triangles, the rest quads
    int occurrenceBits;
    int positionBits;
    std::int32_t minPosition;

    Occurrence occurrenceOf(std::uint64_t record) const
    {
        const std::uint64_t o = record & ((std::uint64_t{1} << occurrenceBits) - 1);
        return Occurrence{o >> 3, static_cast<int>((o >> 1) & 3), (o & 1) != 0};
    }

    // Fills a node's edge from its records, from first to end, in the order the faces add the
    // edge: the ends of the key, the texture coordinates of the first occurrence, the normals
    // summed over all. The node's children are left as they are.
    void fill(EdgeNode& node, std::size_t first, std::size_t end) const
    {
        const std::uint64_t key = records[first] >> occurrenceBits;
        const std::uint64_t positionMask = (std::uint64_t{1} << positionBits) - 1;
        node.lo = static_cast<std::int32_t>(static_cast<std::int64_t>(key & positionMask) + minPosition);
        node.hi = static_cast<std::int32_t>(static_cast<std::int64_t>(key >> positionBits) + minPosition);
        for (std::size_t i = first; i != end; ++i) {
            const Occurrence o = occurrenceOf(records[i]);
            const FaceEnds& face = ends[o.face];
            const int to = (o.from + 1) % (o.face < triangles ? 3 : 4);
            const int lo = o.reversed ? to : o.from, hi = o.reversed ? o.from : to;
            if (i == first) {
                node.loTexCoord = face.texCoord[lo];
                node.hiTexCoord = face.texCoord[hi];
                node.loNormal = face.normal[lo];
                node.hiNormal = face.normal[hi];
                continue;
            }
            addTo(node.loNormal, face.normal[lo]);
            addTo(node.hiNormal, face.normal[hi]);
        }
    }
};

// One group's tree, its nodes in one array the group keeps, in drawing order; false when memory
// ran out, with nothing kept. The records of all the edges the faces add, sorted, put each
// distinct edge's occurrences together, its first leading; the tree follows from the keys and
// first occurrences alone, and the nodes are filled walking it.
bool buildGroupTree(const ModelLoadBuffer& buffer, FaceGroup& group)
{
    std::size_t faceCount = 0, triangles = 0;
    std::int32_t minPosition = INT32_MAX, maxPosition = INT32_MIN;
    for (const FaceList& list : faceLists(group))
        for (const Face* face = list.first; face != nullptr; face = face->next) {
            ++faceCount;
            triangles += list.corners == 3 ? 1 : 0;
            for (int k = 0; k < list.corners; ++k) {
                minPosition = std::min(minPosition, face->v[k]);
                maxPosition = std::max(maxPosition, face->v[k]);
            }
        }
    if (faceCount == 0)
        return true;
    // Keys count positions from the smallest, so that a record holds two of them and an
    // occurrence in 64 bits; a group too big for that (over 2^27 faces) fares as one that ran out
    // of memory.
    const int positionBits =
        std::bit_width(static_cast<std::uint32_t>(static_cast<std::int64_t>(maxPosition) - minPosition));
    const std::uint64_t occurrences = 8 * static_cast<std::uint64_t>(faceCount);
    const int occurrenceBits = std::bit_width(occurrences - 1);
    if (occurrences > NoEdge || 2 * positionBits + occurrenceBits > 64)
        return false;

    Scratch<FaceEnds> ends = scratch<FaceEnds>(faceCount);
    Scratch<std::uint64_t> records = scratch<std::uint64_t>(4 * faceCount);
    Scratch<std::uint64_t> spare = scratch<std::uint64_t>(4 * faceCount);
    if (!ends || !records || !spare)
        return false;
    std::size_t recordCount = 0;
    std::uint64_t f = 0;
    for (const FaceList& list : faceLists(group))
        for (const Face* face = list.first; face != nullptr; face = face->next, ++f) {
            const int corners = list.corners;
            // The corner normals of a face two on, asked for ahead: faces name them in no useful
            // order.
            if (const Face* ahead = face->next != nullptr ? face->next->next : nullptr;
                ahead != nullptr && ahead->hasNormals != 0)
                for (int j = 0; j < corners; ++j)
                    __builtin_prefetch(&cornerNormal(buffer, *ahead, j));
            for (int j = 0; j < corners; ++j) {
                ends[f].normal[j] = face->hasNormals != 0 ? cornerNormal(buffer, *face, j) : face->faceNormal;
                ends[f].texCoord[j] = face->vt[j];
                const std::int32_t a = face->v[j], b = face->v[(j + 1) % corners];
                if (a == b)
                    continue; // a degenerate edge is no line
                const std::uint64_t lo = static_cast<std::uint64_t>(std::int64_t{std::min(a, b)} - minPosition);
                const std::uint64_t hi = static_cast<std::uint64_t>(std::int64_t{std::max(a, b)} - minPosition);
                const std::uint64_t occurrence = (f << 3) | static_cast<std::uint64_t>(j) << 1 | (a > b ? 1 : 0);
                records[recordCount++] = ((hi << positionBits | lo) << occurrenceBits) | occurrence;
            }
        }
    if (recordCount == 0)
        return true;
    if (!sortRecords(records, spare, recordCount, occurrenceBits, 2 * positionBits))
        return false;
    spare.reset();

    // Where each distinct edge's records start, in key order, and where the last ends.
    Scratch<std::uint32_t> runStarts = scratch<std::uint32_t>(recordCount + 1);
    if (!runStarts)
        return false;
    std::uint32_t count = 0;
    for (std::size_t i = 0; i < recordCount; ++i)
        if (i == 0 || (records[i] >> occurrenceBits) != (records[i - 1] >> occurrenceBits))
            runStarts[count++] = static_cast<std::uint32_t>(i);
    runStarts[count] = static_cast<std::uint32_t>(recordCount);

    KeyTree tree;
    if (!linkTree(records.get(), runStarts.get(), count, (std::uint64_t{1} << occurrenceBits) - 1, tree))
        return false;

    // The walk in drawing order, with a stack of the subtrees still to visit and the link each
    // hangs from: each node takes the next place of the array.
    struct Pending {
        std::uint32_t edge;
        EdgeNode** link;
    };
    Scratch<EdgeNode> nodes = scratch<EdgeNode>(count);
    Scratch<Pending> stack = scratch<Pending>(count);
    Scratch<std::uint32_t> order = scratch<std::uint32_t>(count);
    if (!nodes || !stack || !order)
        return false;
    std::size_t depth = 0;
    stack[depth++] = Pending{tree.root, &group.edgeTree};
    for (std::size_t next = 0; depth > 0; ++next) {
        const Pending visit = stack[--depth];
        EdgeNode& node = nodes[next];
        *visit.link = &node;
        node.greater = node.lesser = nullptr;
        order[next] = visit.edge;
        if (tree.lesser[visit.edge] != NoEdge)
            stack[depth++] = Pending{tree.lesser[visit.edge], &node.lesser};
        if (tree.greater[visit.edge] != NoEdge)
            stack[depth++] = Pending{tree.greater[visit.edge], &node.greater};
    }
    tree = KeyTree{};
    stack.reset();
    // The faces' ends are read in no useful order, so those of the nodes a few places on are
    // fetched ahead while this one is filled.
    const EdgeRecords edges{records.get(), ends.get(), triangles, occurrenceBits, positionBits, minPosition};
    for (std::size_t next = 0; next < count; ++next) {
        if (next + FetchAhead < count) {
            const std::uint32_t later = order[next + FetchAhead];
            for (std::uint32_t i = runStarts[later]; i < runStarts[later + 1]; ++i)
                __builtin_prefetch(&ends[edges.occurrenceOf(records[i]).face]);
        }
        edges.fill(nodes[next], runStarts[order[next]], runStarts[order[next] + 1]);
    }
    group.edgeNodes = nodes.release();
    group.edgeCount = count;
    return true;
}

// Inlined always: the compiler drops a call to a function that only prefetches.
[[gnu::always_inline]] inline void fetchEndsAhead(const ModelLoadBuffer& buffer, const EdgeNode& edge)
{
    __builtin_prefetch(&buffer.vertices[edge.lo]);
    __builtin_prefetch(&buffer.vertices[edge.hi]);
    if (edge.loTexCoord >= 0)
        __builtin_prefetch(&buffer.texCoords[edge.loTexCoord]);
    if (edge.hiTexCoord >= 0)
        __builtin_prefetch(&buffer.texCoords[edge.hiTexCoord]);
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
        if (!buildGroupTree(buffer, buffer.groups[g])) {
            buffer.groups[g].edgeTree = nullptr;
            buffer.groups[g].edgeTreeFailed = true;
        }
    }
}

void buildEdgeLists(Model& model)
{
    ModelLoadBuffer& buffer = *model.loadBuffer;
    for (int i = 0; i < model.materialCount; ++i) {
        if (buffer.materialDefs[i].smoothEdges == 0 || buffer.groups[i].edgeTreeFailed)
            continue;
        Material& m = model.materials[i];
        m.edgeList = glGenLists(1);
        glNewList(m.edgeList, GL_COMPILE);
            glBegin(GL_LINES);
                // Each distinct edge is one segment, its lo end first. The ends' positions and
                // texture coordinates are read in no useful order, so those of an edge a few
                // places on are fetched ahead.
                const std::span<EdgeNode> edges = edgesInDrawingOrder(buffer.groups[i]);
                for (std::size_t e = 0; e < edges.size(); ++e) {
                    if (e + FetchAhead < edges.size())
                        fetchEndsAhead(buffer, edges[e + FetchAhead]);
                    EdgeNode& edge = edges[e];
                    sendEnd(buffer, edge.lo, edge.loTexCoord, edge.loNormal);
                    sendEnd(buffer, edge.hi, edge.hiTexCoord, edge.hiNormal);
                }
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
        group.edgeCount = 0;
    }
}
