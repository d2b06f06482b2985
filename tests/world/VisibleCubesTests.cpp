#include <gtest/gtest.h>

#include "WorldTestSupport.h"
#include "world/TerrainGenerator.h"

// 4 x 4 chunks of 8 x 16 x 8.
class VisibleCubes : public WorldTest {
protected:
    void Build(bool infinite) {
        UseSmallWorld(8, 16, 4);
        Config().infiniteTerrain = infinite;
        ASSERT_TRUE(world.Initialize(nullptr));
    }
    Chunk& At(int32_t x, int32_t z) { return *world.FindChunk({x, 0, z}); }
    static void FillSolid(Chunk& chunk) {
        for (int i = 0; i < 8 * 16 * 8; ++i) chunk.SetBlock(i / 128, i / 8 % 16, i % 8, 1);
    }
    VoxelWorld world;
};

// A scan reports its count, the budget itself in the call that visits the
// last block, and finishes at the next call.
TEST_F(VisibleCubes, ScanOfADefaultChunkReturnsTheDocumentedCounts) {
    Chunk chunk;
    chunk.Initialize(32, 128);
    chunk.BeginRebuild();
    for (const int32_t expected : {64001, 64001, 64000}) EXPECT_EQ(chunk.BuildVisibleCubes(64000), expected);
    EXPECT_TRUE(chunk.IsQueued());
    EXPECT_EQ(chunk.BuildVisibleCubes(64000), 0);
    EXPECT_FALSE(chunk.IsQueued());
}

// Null links count as solid: a solid chunk shows only its faces towards the
// (air) chunks inside the window, plus the six blocks around a hole.
TEST_F(VisibleCubes, NullLinksCountAsSolid) {
    Build(false);
    FillSolid(At(1, 1));
    At(1, 1).SetBlock(4, 8, 4, 0);
    FillSolid(At(0, 0));
    for (Chunk* chunk : {&At(1, 1), &At(0, 0)}) {
        RebuildNow(*chunk);
        EXPECT_EQ(VisibleFloats(*chunk), ReferenceVisibleCubes(*chunk));
    }
    EXPECT_EQ(At(1, 1).VisibleCount(), 16u * (8 * 8 - 6 * 6) + 6u);  // four walls and the hole's ring
    EXPECT_EQ(At(0, 0).VisibleCount(), 16u * 15);  // only the x = 7 and z = 7 walls
    EXPECT_TRUE(At(1, 1).VisibleCubes()[0].x == 8 && At(1, 1).VisibleCubes()[0].z == 8);  // y = 0 first, origin added
}

// With infinite terrain the x - 1 neighbour of the corner chunk is the
// opposite edge's chunk; a write there makes the corner dirty.
TEST_F(VisibleCubes, WrapLinksReadTheOppositeEdge) {
    Build(true);
    Chunk& corner = At(0, 0);
    Chunk& opposite = At(3, 0);
    for (int y = 0; y < 16; ++y) corner.SetBlock(1, y, 3, 1);
    for (const auto& [y, z] : {std::pair{5, 3}, {4, 3}, {6, 3}, {5, 2}, {5, 4}}) corner.SetBlock(0, y, z, 1);
    const auto listsBlock = [&] {
        const std::vector<float> cubes = VisibleFloats(corner);
        for (size_t i = 0; i < cubes.size(); i += 3)
            if (cubes[i] == 0 && cubes[i + 1] == 5 && cubes[i + 2] == 3) return true;
        return false;
    };
    opposite.SetBlock(7, 5, 3, 1);
    RebuildNow(corner);
    EXPECT_EQ(VisibleFloats(corner), ReferenceVisibleCubes(corner));
    EXPECT_FALSE(listsBlock());
    opposite.SetBlock(7, 5, 3, 0);
    EXPECT_TRUE(corner.IsDirty());
    RebuildNow(corner);
    EXPECT_TRUE(listsBlock());
}

TEST_F(VisibleCubes, GeneratedTerrainMatchesTheBlockByBlockScanForAnyBudget) {
    Build(true);
    TerrainGenerator generator;
    generator.Initialize("voxmere", 8, 16);
    for (auto& entry : world.Chunks()) GenerateNow(generator, *entry.second, 2, 100000);
    for (auto& [key, chunk] : world.Chunks()) {
        const std::vector<float> expected = ReferenceVisibleCubes(*chunk);
        for (const int32_t budget : {0, 9, 1023, 64000}) {
            chunk->BeginRebuild();
            int calls = 0;
            for (; chunk->IsQueued(); ++calls) chunk->BuildVisibleCubes(budget);
            ASSERT_EQ(VisibleFloats(*chunk), expected) << "budget " << budget;
            ASSERT_GE(calls, budget >= 1024 ? 2 : 1024 / (budget + 1)) << "budget " << budget;
        }
    }
}

// A write during a scan restarts it; a shorter list and a longer one both
// replace the old one whole.
TEST_F(VisibleCubes, ADirtyChunkRestartsItsScanAndListsShrinkAndGrow) {
    Build(false);
    Chunk& chunk = At(1, 1);
    chunk.SetBlock(2, 2, 2, 1);
    chunk.BeginRebuild();
    EXPECT_EQ(chunk.BuildVisibleCubes(300), 301);  // past the block
    chunk.SetBlock(3, 2, 2, 1);
    EXPECT_EQ(chunk.BuildVisibleCubes(10), 11);
    EXPECT_EQ(chunk.ScanVisited(), 11u);
    while (chunk.IsQueued()) chunk.BuildVisibleCubes(10);
    EXPECT_EQ(chunk.VisibleCount(), 2u);
    for (int z = 0; z < 4; ++z) chunk.SetBlock(5, 5, z, 1);
    RebuildNow(chunk);
    EXPECT_EQ(chunk.VisibleCount(), 6u);
    chunk.SetBlock(2, 2, 2, 0);
    chunk.SetBlock(5, 5, 0, 0);
    RebuildNow(chunk);
    EXPECT_EQ(VisibleFloats(chunk), ReferenceVisibleCubes(chunk));
    EXPECT_EQ(chunk.VisibleCount(), 4u);
}
