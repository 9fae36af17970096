// Face and averaged normals, and the edge trees that gather every distinct edge.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "model_builder.h"
#include "render/edge_lists.h"
#include "render/normals.h"

namespace {

const float h = 1.0f / std::sqrt(2.0f);

void expectVec(const Vec3& v, float x, float y, float z, const char* what)
{
    EXPECT_TRUE(std::abs(v.x - x) < 1e-6 && std::abs(v.y - y) < 1e-6 && std::abs(v.z - z) < 1e-6)
        << what << ": " << v.x << " " << v.y << " " << v.z;
}

TEST(Normals, FlatFacesFaceTheViewerWhoSeesThemCounterClockwise)
{
    ModelBuilder b;
    b.buffer().materialDefs[0].smoothNormals = 1; // no material selected for group 0: flat anyway
    const int o = b.vertex(0, 0, 0), x = b.vertex(1, 0, 0), y = b.vertex(0, 1, 0);
    const int far = b.vertex(4, 0, 0), mid = b.vertex(2, 0, 0), lifted = b.vertex(0, 3, 4);
    Face& noMaterial = b.face({o, x, y}); // group 0 with materialIndex -1
    b.useMaterial(1);
    Face& cw = b.face({o, y, x});
    Face& line = b.face({o, mid, far});
    Face& bent = b.face({o, x, lifted, y}); // off-plane: lit by its first three corners
    computeNormals(b.model);
    expectVec(noMaterial.faceNormal, 0, 0, 1, "counter-clockwise");
    expectVec(cw.faceNormal, 0, 0, -1, "clockwise");
    expectVec(line.faceNormal, 0, 0, 0, "collinear");
    expectVec(bent.faceNormal, 0, -0.8f, 0.6f, "quad");
    EXPECT_EQ(noMaterial.hasNormals + cw.hasNormals, 0);
}

TEST(Normals, SmoothFacesShareOneUnweightedNormalPerPositionApartFromTheFilesNormals)
{
    ModelBuilder b;
    const int o = b.vertex(0, 0, 0), x = b.vertex(1, 0, 0), y = b.vertex(0, 1, 0), z = b.vertex(0, 0, 1);
    const int unused = b.vertex(9, 9, 9), tinyA = b.vertex(0, 0.001f, 0), tinyB = b.vertex(0.001f, 0, 0);
    const int up = b.normal(0, 0, 2), side = b.normal(3, 0, 0); // slots 0 and 1, numbers that positions have too
    b.useMaterial(0);
    Face& withNormals = b.face({o, x, y}, {}, {up, side, up});
    b.useMaterial(1, true);
    Face& front = b.face({o, x, y}); // normal (0, 0, 1)
    Face& wall = b.face({o, y, z});  // normal (1, 0, 0)
    b.face({o, tinyA, tinyB});       // tiny, facing (0, 0, -1): it counts as much as the others
    b.face({o, x, b.vertex(2, 0, 0)}); // degenerate: adds nothing
    computeNormals(b.model);
    const ModelLoadBuffer& buf = b.buffer();
    expectVec(cornerNormal(buf, front, 0), 1, 0, 0, "shared by three, the tiny one counted in full");
    expectVec(cornerNormal(buf, front, 2), h, 0, h, "shared by two");
    expectVec(cornerNormal(buf, front, 1), 0, 0, 1, "alone");
    expectVec(cornerNormal(buf, wall, 2), 1, 0, 0, "alone");
    expectVec(buf.averagedNormals[unused], 0, 0, 0, "unused position");
    EXPECT_TRUE(front.hasNormals == 1 && front.vn[1] == x);
    expectVec(cornerNormal(buf, withNormals, 0), 0, 0, 1, "the file's normal, made unit length");
    expectVec(cornerNormal(buf, withNormals, 1), 1, 0, 0, "the file's normal");
    EXPECT_EQ(withNormals.vn[1], side) << "a face with its own normals keeps them";
}

std::vector<EdgeNode*> edgesInDrawingOrder(EdgeNode* root)
{
    std::vector<EdgeNode*> edges;
    forEachEdge(root, [&edges](EdgeNode& e) { edges.push_back(&e); });
    return edges;
}

// Builds the trees of a hand-made model and hands back group g's edges; releases them at the end.
class EdgeTrees : public ::testing::Test {
protected:
    void TearDown() override { releaseEdgeTrees(b.model); }
    std::vector<EdgeNode*> build(int g = 0)
    {
        computeNormals(b.model);
        buildEdgeTrees(b.model);
        return edgesInDrawingOrder(b.buffer().groups[g].edgeTree);
    }
    ModelBuilder b;
};

TEST_F(EdgeTrees, EachDistinctEdgeOnceWithTheNormalsOfBothSidesSummedAtEachEnd)
{
    // Flat faces with normals (0, 1, 0) and (1, 0, 0) share the edge between a and c, walked in
    // opposite directions; the one added first keeps its texture coordinates.
    const int a = b.vertex(0, 0, 0), c = b.vertex(0, 0, 1), x = b.vertex(1, 0, 0), y = b.vertex(0, 1, 0);
    const int ta = b.texCoord(0.1f, 0.1f), tc = b.texCoord(0.2f, 0.2f), tx = b.texCoord(0.3f, 0.3f);
    const int ty = b.texCoord(0.4f, 0.4f), ta2 = b.texCoord(0.5f, 0.5f);
    b.useMaterial(1);
    b.face({a, c, x}, {ta, tc, tx});  // walks a -> c
    b.face({c, a, y}, {tc, ta2, ty}); // walks c -> a
    b.useMaterial(2);
    b.face({a, c, x, y}); // a quad: four lines
    b.useMaterial(3);
    b.face({x, x, a, y}); // a repeated corner adds no edge of its own
    const auto edges = build(1);
    ASSERT_EQ(edges.size(), 5u);
    EXPECT_EQ(countEdges(b.buffer().groups[2].edgeTree), 4u);
    EXPECT_EQ(countEdges(b.buffer().groups[3].edgeTree), 3u);
    for (EdgeNode* e : edges) {
        EXPECT_LT(e->lo, e->hi);
        const bool shared = e->lo == a && e->hi == c;
        for (Vec3* end : {&e->loNormal, &e->hiNormal}) {
            normalize(*end);
            if (shared)
                expectVec(*end, h, h, 0, "summed");
        }
        if (shared) {
            EXPECT_TRUE(e->loTexCoord == ta && e->hiTexCoord == tc);
        } else {
            EXPECT_TRUE(e->loNormal.x == e->hiNormal.x && e->loNormal.y == e->hiNormal.y)
                << "an edge of one flat face carries its normal at both ends";
        }
    }
}

TEST_F(EdgeTrees, TheTreeKeepsTheShapeOfPlainInsertion)
{
    // Reference: plain insertion walking down from the root, in a node list.
    struct Ref {
        std::uint64_t key;
        int greater = -1, lesser = -1;
    };
    std::vector<Ref> ref;
    const auto insert = [&ref](int u, int v) {
        const std::uint64_t key = (static_cast<std::uint64_t>(std::max(u, v)) << 32) | static_cast<std::uint64_t>(std::min(u, v));
        int parent = -1;
        for (int at = ref.empty() ? -1 : 0; at >= 0; at = ref[parent].key < key ? ref[parent].greater : ref[parent].lesser) {
            if (ref[at].key == key)
                return;
            parent = at;
        }
        ref.push_back({key});
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
        b.face({p, q, r});
        for (auto [u, v] : {std::pair{p, q}, std::pair{q, r}, std::pair{r, p}})
            if (u != v)
                insert(u, v);
    }
    const auto edges = build();
    // The drawing order: node, greater subtree, lesser subtree.
    std::vector<std::uint64_t> expected;
    for (std::vector<int> stack = {0}; !stack.empty();) {
        const Ref node = ref[static_cast<std::size_t>(stack.back())];
        stack.pop_back();
        expected.push_back(node.key);
        for (int next : {node.lesser, node.greater})
            if (next >= 0)
                stack.push_back(next);
    }
    ASSERT_EQ(edges.size(), expected.size());
    for (std::size_t i = 0; i < edges.size(); ++i)
        ASSERT_EQ((static_cast<std::uint64_t>(edges[i]->hi) << 32) | static_cast<std::uint64_t>(edges[i]->lo), expected[i]) << i;
    EXPECT_EQ(edgesInDrawingOrder(b.buffer().groups[0].edgeTree), edges) << "the walk leaves the tree as it was";
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
