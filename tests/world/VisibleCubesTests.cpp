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
    static bool Lists(const Chunk& chunk, float x, float y, float z) {
        const std::vector<float> cubes = VisibleFloats(chunk);
        for (size_t i = 0; i < cubes.size(); i += 3)
            if (cubes[i] == x && cubes[i + 1] == y && cubes[i + 2] == z) return true;
        return false;
    }
    VoxelWorld world;
};

TEST_F(VisibleCubes, ScanOfTheDefaultChunkReturnsTheDocumentedCounts) {
    VoxelWorld big;
    ASSERT_TRUE(big.Initialize(nullptr));
    Chunk& chunk = *big.FindChunk({0, 0, 0});
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

TEST_F(VisibleCubes, WrapLinksReadTheOppositeEdge) {
    Build(true);
    Chunk& corner = At(0, 0);
    Chunk& opposite = At(3, 0);
    // Block (0, 5, 3) is covered on five sides inside its chunk; x - 1 lies in the opposite chunk.
    for (int y = 0; y < 16; ++y) corner.SetBlock(1, y, 3, 1);
    for (const auto& [y, z] : {std::pair{5, 3}, {4, 3}, {6, 3}, {5, 2}, {5, 4}}) corner.SetBlock(0, y, z, 1);
    opposite.SetBlock(7, 5, 3, 1);
    RebuildNow(corner);
    EXPECT_EQ(VisibleFloats(corner), ReferenceVisibleCubes(corner));
    EXPECT_FALSE(Lists(corner, 0, 5, 3));
    opposite.SetBlock(7, 5, 3, 0);
    EXPECT_TRUE(corner.IsDirty());
    RebuildNow(corner);
    EXPECT_TRUE(Lists(corner, 0, 5, 3));
}

TEST_F(VisibleCubes, GeneratedTerrainMatchesTheBlockByBlockScanForAnyBudget) {
    Build(true);
    TerrainGenerator generator;
    generator.Initialize("voxmere", 8, 16);
    for (auto& entry : world.Chunks()) GenerateNow(generator, *entry.second, 2, 100000);
    for (auto& [key, chunk] : world.Chunks()) {
        const std::vector<float> expected = ReferenceVisibleCubes(*chunk);
        for (const int32_t budget : {0, 1, 9, 100, 1023, 1024, 64000}) {
            chunk->BeginRebuild();
            int calls = 0;
            for (; chunk->IsQueued(); ++calls) chunk->BuildVisibleCubes(budget);
            ASSERT_EQ(VisibleFloats(*chunk), expected) << "budget " << budget;
            ASSERT_GE(calls, budget >= 1024 ? 2 : 1024 / (budget + 1)) << "budget " << budget;
        }
    }
}

TEST_F(VisibleCubes, ADirtyChunkRestartsItsScanAndTheListIsReusedWhenItShrinks) {
    Build(false);
    Chunk& chunk = At(1, 1);
    chunk.SetBlock(2, 2, 2, 1);
    chunk.BeginRebuild();
    EXPECT_EQ(chunk.BuildVisibleCubes(100), 101);
    EXPECT_EQ(chunk.ScanVisited(), 101u);
    chunk.SetBlock(3, 2, 2, 1);
    EXPECT_EQ(chunk.BuildVisibleCubes(10), 11);
    EXPECT_EQ(chunk.ScanVisited(), 11u);
    while (chunk.IsQueued()) chunk.BuildVisibleCubes(10);
    EXPECT_EQ(chunk.VisibleCount(), 2u);

    const CubeInstance* first = chunk.VisibleCubes();
    chunk.SetBlock(2, 2, 2, 0);
    RebuildNow(chunk);
    EXPECT_EQ(chunk.VisibleCount(), 1u);
    EXPECT_EQ(chunk.VisibleCubes(), first);  // shrinks in place
    for (int z = 0; z < 4; ++z) chunk.SetBlock(5, 5, z, 1);
    RebuildNow(chunk);
    EXPECT_EQ(VisibleFloats(chunk), ReferenceVisibleCubes(chunk));  // grows past the old size
}
