// Face and averaged normals, and the edge trees that gather every distinct edge.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "model_builder.h"
#include "render/edge_lists.h"
#include "render/normals.h"

namespace {

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
    const int far = b.vertex(4, 0, 0), mid = b.vertex(2, 0, 0), lifted = b.vertex(1, 1, 5);
    Face& noMaterial = b.face({o, x, y}); // group 0 with materialIndex -1
    b.useMaterial(1);
    Face& ccw = b.face({o, x, y});
    Face& cw = b.face({o, y, x});
    Face& line = b.face({o, mid, far});
    Face& bent = b.face({o, x, lifted, y}); // off-plane: lit by its first three corners
    computeNormals(b.model);
    expectVec(ccw.faceNormal, 0, 0, 1, "counter-clockwise");
    expectVec(cw.faceNormal, 0, 0, -1, "clockwise");
    expectVec(line.faceNormal, 0, 0, 0, "collinear");
    Vec3 expected;
    computeFaceNormal(b.buffer().vertices[o], b.buffer().vertices[x], b.buffer().vertices[lifted], expected);
    expectVec(bent.faceNormal, expected.x, expected.y, expected.z, "quad");
    EXPECT_EQ(ccw.hasNormals, 0);
    EXPECT_EQ(noMaterial.hasNormals, 0);
    expectVec(noMaterial.faceNormal, 0, 0, 1, "no material");
}

TEST(Normals, SmoothFacesShareOneUnweightedNormalPerPosition)
{
    ModelBuilder b;
    const int o = b.vertex(0, 0, 0), x = b.vertex(1, 0, 0), y = b.vertex(0, 1, 0), z = b.vertex(0, 0, 1);
    const int unused = b.vertex(9, 9, 9);
    b.useMaterial(0, true);
    Face& front = b.face({o, x, y});  // normal (0, 0, 1)
    Face& side = b.face({o, y, z});   // normal (1, 0, 0)
    computeNormals(b.model);
    const float h = 1.0f / std::sqrt(2.0f);
    const ModelLoadBuffer& buf = b.buffer();
    expectVec(cornerNormal(buf, front, 0), h, 0, h, "shared (0,0,0)");
    expectVec(cornerNormal(buf, front, 2), h, 0, h, "shared (0,1,0)");
    expectVec(cornerNormal(buf, front, 1), 0, 0, 1, "(1,0,0) alone");
    expectVec(cornerNormal(buf, side, 2), 1, 0, 0, "(0,0,1) alone");
    expectVec(buf.averagedNormals[unused], 0, 0, 0, "unused position");
    EXPECT_EQ(front.hasNormals, 1);
    EXPECT_EQ(front.vn[1], x);

    // A tiny face counts as much as a large one, and a degenerate one adds nothing.
    ModelBuilder c;
    const int p = c.vertex(0, 0, 0);
    const int bigA = c.vertex(100, 0, 0), bigB = c.vertex(0, 100, 0);
    const int tinyA = c.vertex(0, 0.001f, 0), tinyB = c.vertex(0, 0, 0.001f);
    const int lineA = c.vertex(-1, 0, 0), lineB = c.vertex(-2, 0, 0);
    c.useMaterial(0, true);
    Face& big = c.face({p, bigA, bigB});
    c.face({p, tinyA, tinyB});
    c.face({p, lineA, lineB});
    computeNormals(c.model);
    expectVec(cornerNormal(c.buffer(), big, 0), h, 0, h, "equal weights");
}

TEST(Normals, FileNormalsAreKeptApartFromAveragedOnes)
{
    ModelBuilder b;
    const int o = b.vertex(0, 0, 0), x = b.vertex(1, 0, 0), y = b.vertex(0, 1, 0);
    const int up = b.normal(0, 0, 2);    // slot 0, the same number as position o
    const int side = b.normal(3, 0, 0);  // slot 1, the same number as position x
    b.useMaterial(0);
    Face& withNormals = b.face({o, x, y}, {}, {up, side, up});
    b.useMaterial(1, true);
    Face& smooth = b.face({o, y, x}); // normal (0, 0, -1) at positions 0, 1 and 2
    computeNormals(b.model);
    const ModelLoadBuffer& buf = b.buffer();
    expectVec(cornerNormal(buf, withNormals, 0), 0, 0, 1, "the file's normal, made unit length");
    expectVec(cornerNormal(buf, withNormals, 1), 1, 0, 0, "the file's normal");
    expectVec(cornerNormal(buf, smooth, 0), 0, 0, -1, "averaged");
    expectVec(cornerNormal(buf, smooth, 2), 0, 0, -1, "averaged");
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

TEST_F(EdgeTrees, CountEachDistinctEdgeOnce)
{
    const int p0 = b.vertex(0, 0, 0), p1 = b.vertex(1, 0, 0), p2 = b.vertex(1, 1, 0), p3 = b.vertex(0, 1, 0);
    b.useMaterial(0);
    b.face({p0, p1, p2});
    b.useMaterial(1);
    b.face({p0, p1, p2, p3});
    b.useMaterial(2);
    b.face({p0, p1, p2});
    b.face({p0, p2, p3});
    b.useMaterial(3);
    const int q7 = b.vertex(0, 0, 1), q8 = b.vertex(1, 0, 1), q9 = b.vertex(0, 1, 1);
    b.face({q7, q7, q8, q9}); // a repeated corner adds no edge of its own
    computeNormals(b.model);
    buildEdgeTrees(b.model);
    const ModelLoadBuffer& buf = b.buffer();
    EXPECT_EQ(countEdges(buf.groups[0].edgeTree), 3u);
    EXPECT_EQ(countEdges(buf.groups[1].edgeTree), 4u);
    EXPECT_EQ(countEdges(buf.groups[2].edgeTree), 5u);
    const auto repeated = edgesInDrawingOrder(buf.groups[3].edgeTree);
    ASSERT_EQ(repeated.size(), 3u);
    for (EdgeNode* e : repeated)
        EXPECT_LT(e->lo, e->hi);
}

TEST_F(EdgeTrees, AnEdgeWalkedBothWaysMergesWithSummedNormalsAtEachEnd)
{
    // Two flat faces with normals (0, 0, 1) and (1, 0, 0) share the edge between positions 0 and 1.
    const int a = b.vertex(0, 0, 0), c = b.vertex(0, 1, 0), x = b.vertex(1, 0, 0), z = b.vertex(0, 0, 1);
    const int ta = b.texCoord(0.1f, 0.1f), tc = b.texCoord(0.2f, 0.2f), tx = b.texCoord(0.3f, 0.3f);
    const int tz = b.texCoord(0.4f, 0.4f), ta2 = b.texCoord(0.5f, 0.5f);
    b.useMaterial(0);
    b.face({a, x, c}, {ta, tx, tc}); // walks c -> a
    b.face({a, c, z}, {ta2, tc, tz}); // walks a -> c
    const auto edges = build();
    ASSERT_EQ(edges.size(), 5u);
    EdgeNode* shared = nullptr;
    for (EdgeNode* e : edges)
        if (e->lo == a && e->hi == c)
            shared = e;
    ASSERT_NE(shared, nullptr);
    for (Vec3* end : {&shared->loNormal, &shared->hiNormal}) {
        normalize(*end);
        expectVec(*end, 1 / std::sqrt(2.0f), 0, 1 / std::sqrt(2.0f), "summed");
    }
    EXPECT_EQ(shared->loTexCoord, ta) << "the face that added the edge first keeps its coordinates";
    EXPECT_EQ(shared->hiTexCoord, tc);
    for (EdgeNode* e : edges) {
        if (e != shared) {
            EXPECT_TRUE(e->loNormal.x == e->hiNormal.x && e->loNormal.z == e->hiNormal.z)
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
    for (std::size_t i = 1; i < edges.size(); ++i)
        ASSERT_TRUE(edges[i]->hi > edges[i - 1]->hi || (edges[i]->hi == edges[i - 1]->hi && edges[i]->lo > edges[i - 1]->lo));
    releaseEdgeTrees(b.model);
    EXPECT_EQ(b.buffer().groups[0].edgeTree, nullptr);
}

} // namespace
