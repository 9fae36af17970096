// The edge trees on many edges: the shape plain insertion gives them, and a chain as deep as it has
// edges. (What the normals and edges of small models come to is in the reader's fixtures.)
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

#include "model_builder.h"
#include "render/edge_lists.h"

namespace {

// The faces' edges added one by one to a plain search tree (walking down from the root, in a node
// list), face n's flat normal summed at both ends of each, then walked in drawing order: node,
// greater subtree, lesser subtree.
struct RefEdge {
    std::uint64_t key;
    Vec3 loNormal, hiNormal;
    int greater = -1, lesser = -1;
};

// Face n's flat normal; or, with a normal per corner, position i's own.
Vec3 normalOfFace(std::size_t n) { return {static_cast<float>(n % 3), n % 5 - 2.0f, n % 7 - 3.0f}; }
Vec3 normalOfPosition(int i) { return {i % 7 - 3.0f, static_cast<float>(i % 11), 1.0f + i % 3}; }

Vec3 sum(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }

std::vector<RefEdge> plainInsertionWalk(const std::vector<std::array<int, 3>>& faces, bool cornerNormals)
{
    std::vector<RefEdge> ref;
    const auto insert = [&ref](int u, int v, Vec3 nu, Vec3 nv) {
        const std::uint64_t key = (static_cast<std::uint64_t>(std::max(u, v)) << 32) | static_cast<std::uint64_t>(std::min(u, v));
        const Vec3 lo = u < v ? nu : nv, hi = u < v ? nv : nu;
        int parent = -1;
        for (int at = ref.empty() ? -1 : 0; at >= 0; at = ref[parent].key < key ? ref[parent].greater : ref[parent].lesser) {
            if (ref[at].key == key) {
                ref[at].loNormal = sum(ref[at].loNormal, lo);
                ref[at].hiNormal = sum(ref[at].hiNormal, hi);
                return;
            }
            parent = at;
        }
        ref.push_back({key, lo, hi});
        if (parent >= 0)
            (ref[parent].key < key ? ref[parent].greater : ref[parent].lesser) = static_cast<int>(ref.size()) - 1;
    };
    for (std::size_t n = 0; n < faces.size(); ++n) {
        const auto [p, q, r] = faces[n];
        const auto normal = [&](int i) { return cornerNormals ? normalOfPosition(i) : normalOfFace(n); };
        for (auto [u, v] : {std::pair{p, q}, std::pair{q, r}, std::pair{r, p}})
            if (u != v)
                insert(u, v, normal(u), normal(v));
    }
    std::vector<RefEdge> walk;
    for (std::vector<int> stack = {0}; !ref.empty() && !stack.empty();) {
        const RefEdge node = ref[static_cast<std::size_t>(stack.back())];
        stack.pop_back();
        walk.push_back(node);
        for (int next : {node.lesser, node.greater})
            if (next >= 0)
                stack.push_back(next);
    }
    return walk;
}

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
    // The nodes as they lie, which must be the order a walk of the tree's links visits them in.
    std::vector<EdgeNode*> inDrawingOrder()
    {
        FaceGroup& group = b.buffer().groups[0];
        std::vector<EdgeNode*> edges, linked;
        for (EdgeNode& e : edgesInDrawingOrder(group))
            edges.push_back(&e);
        for (std::vector<EdgeNode*> stack = {group.edgeTree}; !stack.empty();) {
            EdgeNode* node = stack.back();
            stack.pop_back();
            if (node == nullptr)
                continue;
            linked.push_back(node);
            stack.push_back(node->lesser);
            stack.push_back(node->greater);
        }
        EXPECT_EQ(edges, linked);
        return edges;
    }
    // Gives group 0 the faces, builds its tree and compares its walk with plain insertion's. With
    // corner normals each position has a normal of its own, which its corners name.
    void expectPlainInsertion(const std::vector<std::array<int, 3>>& faces, bool cornerNormals = false)
    {
        b.useMaterial(0);
        for (std::size_t n = 0; n < faces.size(); ++n) {
            const auto [p, q, r] = faces[n];
            if (cornerNormals)
                b.face({p, q, r}, {}, {p, q, r});
            else
                b.face({p, q, r}).faceNormal = normalOfFace(n);
        }
        walked = build();
        const std::vector<RefEdge> expected = plainInsertionWalk(faces, cornerNormals);
        ASSERT_EQ(walked.size(), expected.size());
        for (std::size_t i = 0; i < walked.size(); ++i) {
            const EdgeNode& e = *walked[i];
            ASSERT_EQ((static_cast<std::uint64_t>(e.hi) << 32) | static_cast<std::uint64_t>(e.lo), expected[i].key) << i;
            for (auto [got, want] : {std::pair{e.loNormal, expected[i].loNormal}, std::pair{e.hiNormal, expected[i].hiNormal}})
                ASSERT_TRUE(got.x == want.x && got.y == want.y && got.z == want.z) << i;
        }
    }
    ModelBuilder b;
    std::vector<EdgeNode*> walked;
};

TEST_F(EdgeTrees, TheTreeKeepsTheShapeOfPlainInsertion)
{
    // Few positions, so most edges come again: faces in a scrambled but fixed order.
    std::vector<std::array<int, 3>> faces;
    for (int i = 0; i < 64; ++i)
        b.vertex(static_cast<float>(i % 8), static_cast<float>(i / 8), 0);
    unsigned seed = 12345;
    for (int n = 0; n < 300; ++n) {
        seed = seed * 1103515245u + 12345u;
        faces.push_back({static_cast<int>((seed >> 8) % 64), static_cast<int>((seed >> 16) % 64),
                         static_cast<int>((seed >> 24) % 64)});
    }
    expectPlainInsertion(faces);
}

TEST_F(EdgeTrees, LargeRandomOrdersAndDeepChainsKeepTheShapeOfPlainInsertion)
{
    // Positions past 65,535, where the keys' highest bits start to differ, as a big model's do.
    constexpr int Positions = 70000;
    for (int i = 0; i < Positions; ++i) {
        b.vertex(static_cast<float>(i % 100), static_cast<float>(i / 100), 0);
        const Vec3 n = normalOfPosition(i);
        b.normal(n.x, n.y, n.z);
    }
    std::mt19937 random(99);
    std::vector<std::array<int, 3>> faces;
    // 20,000 faces over 2,000 positions in random order, many sharing edges; 3,000 over all of
    // them; then chains 2,000 deep each way, the keys of one rising, of the next falling, and of
    // the last alternating from both ends inwards.
    for (int n = 0; n < 20000; ++n)
        faces.push_back({static_cast<int>(random() % 2000), static_cast<int>(random() % 2000),
                         static_cast<int>(random() % 2000)});
    for (int n = 0; n < 3000; ++n)
        faces.push_back({static_cast<int>(random() % Positions), static_cast<int>(random() % Positions),
                         static_cast<int>(random() % Positions)});
    for (int i = 0; i < 2000; ++i)
        faces.push_back({2000, 2001 + i, 2001 + i});
    for (int i = 2000; i > 0; --i)
        faces.push_back({4001, 4001 + i, 4001 + i});
    for (int i = 0; i < 900; ++i) {
        const int k = i % 2 == 0 ? i / 2 : 899 - i / 2;
        faces.push_back({6100, 6101 + k, 6101 + k});
    }
    expectPlainInsertion(faces, true);
}

TEST_F(EdgeTrees, ChainsOfAHundredThousandEdgesBuildWalkAndFreeWithoutRecursion)
{
    // Faces that each add one edge, twice (there and back; the repeated corner adds none), in
    // increasing key order and then, in a second group, in decreasing order: plain insertion
    // strings the first along its greater side and the second along its lesser side, each a
    // chain 100,000 deep drawn in the order the faces add it. Every face comes again at the end,
    // which changes no shape but sums in its normals.
    constexpr int Edges = 100000;
    for (int i = 0; i < 500; ++i)
        b.vertex(static_cast<float>(i), static_cast<float>(i % 2), 0);
    std::vector<std::array<int, 2>> keys;
    for (int hi = 1; keys.size() < Edges; ++hi)
        for (int lo = 0; lo < hi && keys.size() < Edges; ++lo)
            keys.push_back({lo, hi});
    for (int g : {0, 1}) {
        b.useMaterial(g, false, true);
        for (int pass = 0; pass < 2; ++pass)
            for (std::size_t n = 0; n < keys.size(); ++n) {
                const auto [lo, hi] = keys[g == 0 ? n : keys.size() - 1 - n];
                b.face({hi, lo, lo}).faceNormal = {1.0f, static_cast<float>(pass), 0.0f};
            }
    }
    buildEdgeTrees(b.model);
    for (int g : {0, 1}) {
        FaceGroup& group = b.buffer().groups[g];
        ASSERT_EQ(group.edgeCount, static_cast<std::size_t>(Edges));
        std::size_t n = 0;
        for (EdgeNode* e = group.edgeTree; e != nullptr; e = g == 0 ? e->greater : e->lesser, ++n) {
            const auto [lo, hi] = keys[g == 0 ? n : keys.size() - 1 - n];
            ASSERT_TRUE(e->lo == lo && e->hi == hi && (g == 0 ? e->lesser : e->greater) == nullptr) << g << " " << n;
            ASSERT_EQ(e, &group.edgeNodes[n]) << "drawn in chain order";
            ASSERT_TRUE(e->loNormal.x == 4.0f && e->loNormal.y == 2.0f && e->hiNormal.x == 4.0f && e->hiNormal.y == 2.0f);
        }
        EXPECT_EQ(n, static_cast<std::size_t>(Edges));
    }
    releaseEdgeTrees(b.model);
    EXPECT_TRUE(b.buffer().groups[0].edgeTree == nullptr && b.buffer().groups[1].edgeTree == nullptr);
}

} // namespace
