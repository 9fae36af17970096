// The edge trees on many edges: the shape plain insertion gives them, and a chain as deep as it has
// edges. (What the normals and edges of small models come to is in the reader's fixtures.)
#include <gtest/gtest.h>

#include <vector>

#include "model_builder.h"
#include "render/edge_lists.h"

namespace {

// Builds the trees of a hand-made model and hands back group 0's edges in drawing order; releases
// them at the end.
class EdgeTrees : public ::testing::Test {
protected:
    void TearDown() override { releaseEdgeTrees(b.model); }
    std::vector<EdgeNode*> build()
    {
        buildEdgeTrees(b.model);
        return inDrawingOrder();
    }
    std::vector<EdgeNode*> inDrawingOrder()
    {
        std::vector<EdgeNode*> edges;
        forEachEdge(b.buffer().groups[0].edgeTree, [&edges](EdgeNode& e) { edges.push_back(&e); });
        return edges;
    }
    ModelBuilder b;
};

TEST_F(EdgeTrees, TheTreeKeepsTheShapeOfPlainInsertion)
{
    // Reference: plain insertion walking down from the root, in a node list; a flat face's normal
    // summed at both ends of each of its edges.
    struct Ref {
        std::uint64_t key;
        Vec3 normal;
        int greater = -1, lesser = -1;
    };
    std::vector<Ref> ref;
    const auto insert = [&ref](int u, int v, Vec3 n) {
        const std::uint64_t key = (static_cast<std::uint64_t>(std::max(u, v)) << 32) | static_cast<std::uint64_t>(std::min(u, v));
        int parent = -1;
        for (int at = ref.empty() ? -1 : 0; at >= 0; at = ref[parent].key < key ? ref[parent].greater : ref[parent].lesser) {
            if (ref[at].key == key) {
                ref[at].normal = {ref[at].normal.x + n.x, ref[at].normal.y + n.y, ref[at].normal.z + n.z};
                return;
            }
            parent = at;
        }
        ref.push_back({key, n});
        if (parent >= 0)
            (ref[parent].key < key ? ref[parent].greater : ref[parent].lesser) = static_cast<int>(ref.size()) - 1;
    };
    for (int i = 0; i < 64; ++i)
        b.vertex(static_cast<float>(i % 8), static_cast<float>(i / 8), 0);
    b.useMaterial(0);
    unsigned seed = 12345; // faces in a scrambled but fixed order
    for (int n = 0; n < 300; ++n) {
        seed = seed * 1103515245u + 12345u;
        const int p = static_cast<int>((seed >> 8) % 64), q = static_cast<int>((seed >> 16) % 64), r = static_cast<int>((seed >> 24) % 64);
        const Vec3 normal = {static_cast<float>(n % 3), n % 5 - 2.0f, n % 7 - 3.0f};
        b.face({p, q, r}).faceNormal = normal;
        for (auto [u, v] : {std::pair{p, q}, std::pair{q, r}, std::pair{r, p}})
            if (u != v)
                insert(u, v, normal);
    }
    const auto edges = build();
    // The drawing order: node, greater subtree, lesser subtree.
    std::vector<Ref> expected;
    for (std::vector<int> stack = {0}; !stack.empty();) {
        const Ref node = ref[static_cast<std::size_t>(stack.back())];
        stack.pop_back();
        expected.push_back(node);
        for (int next : {node.lesser, node.greater})
            if (next >= 0)
                stack.push_back(next);
    }
    ASSERT_EQ(edges.size(), expected.size());
    for (std::size_t i = 0; i < edges.size(); ++i) {
        const EdgeNode& e = *edges[i];
        const Vec3 n = expected[i].normal;
        ASSERT_EQ((static_cast<std::uint64_t>(e.hi) << 32) | static_cast<std::uint64_t>(e.lo), expected[i].key) << i;
        for (const Vec3& end : {e.loNormal, e.hiNormal})
            ASSERT_TRUE(end.x == n.x && end.y == n.y && end.z == n.z) << i;
    }
    EXPECT_EQ(inDrawingOrder(), edges) << "the walk leaves the tree as it was";
}

TEST_F(EdgeTrees, AChainOfAHundredThousandEdgesBuildsWalksAndFreesWithoutRecursion)
{
    // Faces that each add one edge, in increasing key order, string every node along the greater
    // side: a chain 100,000 deep.
    constexpr int Edges = 100000;
    for (int i = 0; i < 500; ++i)
        b.vertex(static_cast<float>(i), static_cast<float>(i % 2), 0);
    b.useMaterial(0, false, true);
    int added = 0;
    for (int hi = 1; added < Edges; ++hi)
        for (int lo = 0; lo < hi && added < Edges; ++lo, ++added)
            b.face({lo, hi, hi}); // the repeated corner adds no edge of its own
    const auto edges = build();
    ASSERT_EQ(edges.size(), static_cast<std::size_t>(Edges));
    std::size_t chain = 0;
    for (EdgeNode* e = b.buffer().groups[0].edgeTree; e != nullptr; e = e->greater)
        ++chain;
    EXPECT_EQ(chain, static_cast<std::size_t>(Edges));
    releaseEdgeTrees(b.model);
    EXPECT_EQ(b.buffer().groups[0].edgeTree, nullptr);
}

} // namespace
