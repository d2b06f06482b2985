#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "WorldTestSupport.h"
#include "world/TerrainGenerator.h"

namespace {
constexpr Direction kDirections[] = {Direction::ZPlus,  Direction::ZMinus, Direction::YPlus,
                                         Direction::YMinus, Direction::XPlus,  Direction::XMinus};

// The block-by-block face list in the order the chunk keeps it: along the
// direction's axis, in scan order among equal coordinates.
std::vector<float> AlongItsAxis(const std::vector<float>& floats, Direction direction) {
    const size_t axis = 2 - static_cast<size_t>(direction) / 2;
    std::vector<std::array<float, 3>> cubes;
    for (size_t i = 0; i < floats.size(); i += 3) cubes.push_back({floats[i], floats[i + 1], floats[i + 2]});
    std::stable_sort(cubes.begin(), cubes.end(), [&](const auto& a, const auto& b) { return a[axis] < b[axis]; });
    std::vector<float> sorted;
    for (const auto& cube : cubes) sorted.insert(sorted.end(), cube.begin(), cube.end());
    return sorted;
}
}  // namespace

// 4 x 4 chunks; with renderFaces the chunks also list their exposed faces.
class VisibleCubes : public WorldTest {
protected:
    void Build(int32_t width, int32_t height, bool infinite, bool faces = true) {
        world.Shutdown();
        UseSmallWorld(width, height, 4);
        settings.infiniteTerrain = infinite;
        settings.renderFaces = faces;
        ASSERT_TRUE(world.Initialize(settings, nullptr));
    }
    Chunk& At(int32_t x, int32_t z) { return *world.FindChunk({x, 0, z}); }
    VoxelWorld world;
};

// Caves give faces in every direction, overhangs included; both edge rules
// (wrapped links and null links) meet the chunk borders. Each budget ends the
// calls at other places in a row, and a write after the first call restarts the scan.
TEST_F(VisibleCubes, CubesAndFacesMatchTheBlockByBlockListsOnCavesAtEveryBorderForAnyBudget) {
    for (const bool infinite : {false, true}) {
        Build(16, 32, infinite);
        TerrainGenerator generator;
        generator.Initialize("voxmere", 16, 32);
        for (auto& entry : world.Chunks()) GenerateNow(generator, *entry.second, 2, 100000);
        uint32_t overhangs = 0;
        for (auto& [key, chunk] : world.Chunks()) {
            for (const int32_t budget : {1 << 20, 6}) {
                chunk->BeginRebuild();
                chunk->BuildVisibleCubes(budget);
                chunk->SetBlock(5, 20, 5, chunk->Block(5, 20, 5));  // same content, but the scan starts over
                while (chunk->IsQueued()) chunk->BuildVisibleCubes(budget);
                ASSERT_EQ(VisibleFloats(*chunk), ReferenceVisibleCubes(*chunk)) << "budget " << budget;
                for (const Direction direction : kDirections) {
                    ASSERT_EQ(Floats(chunk->Faces(direction), chunk->FaceCount(direction)),
                              AlongItsAxis(ReferenceFaces(*chunk, direction), direction))
                        << "direction " << static_cast<int>(direction) << " budget " << budget;
                }
            }
            overhangs += chunk->FaceCount(Direction::YMinus);
        }
        EXPECT_GT(overhangs, 100u);
    }
}

// Null links count as solid: a solid corner chunk of a fixed window, with a
// hole, shows only its walls towards the (air) chunks inside the window, one
// of 16 x 8 faces each, and the six blocks around the hole, one face each.
// Sorting the faces costs 4 units per listed cube, and merging them 2 per face, in the call that finishes the scan.
TEST_F(VisibleCubes, NullLinksCountAsSolid) {
    Build(8, 16, false);
    Chunk& corner = At(0, 0);
    for (int i = 0; i < 8 * 16 * 8; ++i) corner.SetBlock(i / 128, i / 8 % 16, i % 8, i == 4 * 128 + 8 * 8 + 4 ? 0 : 1);
    corner.BeginRebuild();
    EXPECT_EQ(corner.BuildVisibleCubes(500), 501);  // a call stops once its count exceeds the budget
    EXPECT_EQ(corner.BuildVisibleCubes(5000), 5000);  // the call that visits the last block reports the budget
    EXPECT_EQ(corner.BuildVisibleCubes(5000), 4 * (16 * 15 + 6) + 2 * (2 * 129 + 4));  // the next one finishes
    EXPECT_EQ(VisibleFloats(corner), ReferenceVisibleCubes(corner));
    EXPECT_EQ(corner.VisibleCount(), 16u * 15 + 6);
    EXPECT_EQ(corner.VisibleCubes()[0].y, 0.0f);  // y = 0 first
    const uint32_t expected[] = {128 + 1, 1, 1, 1, 128 + 1, 1};  // +z, -z, +y, -y, +x, -x
    for (int d = 0; d < 6; ++d) EXPECT_EQ(corner.FaceCount(kDirections[d]), expected[d]) << "direction " << d;
    EXPECT_EQ(corner.Faces(Direction::YPlus)[0].y, 7.0f);  // the block below the hole at (4, 8, 4)
}

// With infinite terrain the x - 1 neighbour of the corner chunk is the
// opposite edge's chunk; a write there makes the corner dirty. A longer list
// and a shorter one both replace the old one whole.
TEST_F(VisibleCubes, WrapLinksReadTheOppositeEdge) {
    Build(8, 16, true, false);
    Chunk& corner = At(0, 0);
    for (const auto& [y, z] : {std::pair{5, 3}, {4, 3}, {6, 3}, {5, 2}, {5, 4}}) corner.SetBlock(0, y, z, 1);
    corner.SetBlock(1, 5, 3, 1);
    At(3, 0).SetBlock(7, 5, 3, 1);
    RebuildNow(corner);
    EXPECT_EQ(corner.VisibleCount(), 5u) << "(0, 5, 3) is hidden";
    At(3, 0).SetBlock(7, 5, 3, 0);
    EXPECT_TRUE(corner.IsDirty());
    RebuildNow(corner);
    EXPECT_EQ(corner.VisibleCount(), 6u);
    corner.SetBlock(0, 4, 3, 0);
    RebuildNow(corner);
    EXPECT_EQ(VisibleFloats(corner), ReferenceVisibleCubes(corner));
}
