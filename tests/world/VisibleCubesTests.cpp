#include <gtest/gtest.h>

#include "ReferenceTerrain.h"
#include "WorldTestSupport.h"
#include "world/TerrainGenerator.h"

namespace {
bool SameCubes(const Chunk& chunk, const std::vector<CubeInstance>& expected) {
    if (chunk.VisibleCount() != expected.size()) return false;
    for (size_t i = 0; i < expected.size(); ++i) {
        const CubeInstance& a = chunk.VisibleCubes()[i];
        if (a.x != expected[i].x || a.y != expected[i].y || a.z != expected[i].z) return false;
    }
    return true;
}
}  // namespace

class VisibleCubes : public WorldTest {
protected:
    void Build(bool infinite) {
        UseSmallWorld(8, 16, 4);
        Config().infiniteTerrain = infinite;
        ASSERT_TRUE(world.Initialize(nullptr));
    }
    Chunk& At(int32_t x, int32_t z) { return *world.FindChunk({x, 0, z}); }
    void FillSolid(Chunk& chunk) {
        for (int x = 0; x < 8; ++x)
            for (int y = 0; y < 16; ++y)
                for (int z = 0; z < 8; ++z) chunk.SetBlock(x, y, z, 1);
    }
    VoxelWorld world;
};

TEST_F(VisibleCubes, ScanOfTheDefaultChunkReturnsTheDocumentedCounts) {
    VoxelWorld big;
    ASSERT_TRUE(big.Initialize(nullptr));
    Chunk& chunk = *big.FindChunk({0, 0, 0});
    chunk.BeginRebuild();
    EXPECT_EQ(chunk.BuildVisibleCubes(64000), 64001);
    EXPECT_EQ(chunk.BuildVisibleCubes(64000), 64001);
    EXPECT_EQ(chunk.BuildVisibleCubes(64000), 64000);
    EXPECT_TRUE(chunk.IsQueued());
    EXPECT_EQ(chunk.BuildVisibleCubes(64000), 0);
    EXPECT_FALSE(chunk.IsQueued());
}

TEST_F(VisibleCubes, HiddenBlocksAreLeftOutAndExposedOnesListedOnce) {
    Build(false);
    Chunk& chunk = At(1, 1);
    FillSolid(chunk);
    chunk.SetBlock(4, 8, 4, 0);  // a hole: its six neighbours become visible
    RebuildNow(chunk);
    // Null y links count as solid, so only the faces towards other (air)
    // chunks and the hole show: the four side walls and the hole's ring.
    const std::vector<CubeInstance> expected = ReferenceVisibleCubes(chunk);
    EXPECT_TRUE(SameCubes(chunk, expected));
    EXPECT_EQ(chunk.VisibleCount(), 16u * (8 * 8 - 6 * 6) + 6u);
    EXPECT_EQ(chunk.VisibleCubes()[0].x, 8.0f);  // y = 0 row first, origin added
    EXPECT_EQ(chunk.VisibleCubes()[0].z, 8.0f);
}

TEST_F(VisibleCubes, NullLinksCountAsSolidAndWrapLinksReadTheOppositeEdge) {
    Build(false);
    FillSolid(At(0, 0));
    RebuildNow(At(0, 0));
    // Outer faces have null links (solid); inner faces look at air chunks.
    for (uint32_t i = 0; i < At(0, 0).VisibleCount(); ++i) {
        const CubeInstance& c = At(0, 0).VisibleCubes()[i];
        EXPECT_TRUE(c.x == 7.0f || c.z == 7.0f) << c.x << " " << c.z;
    }
    EXPECT_EQ(At(0, 0).VisibleCount(), 16u * 15);

    Config().infiniteTerrain = true;
    VoxelWorld wrapped;
    ASSERT_TRUE(wrapped.Initialize(nullptr));
    Chunk& corner = *wrapped.FindChunk({0, 0, 0});
    Chunk& opposite = *wrapped.FindChunk({3, 0, 0});
    corner.SetBlock(0, 5, 3, 1);
    opposite.SetBlock(7, 5, 3, 1);
    for (int y = 0; y < 16; ++y) corner.SetBlock(1, y, 3, 1);
    corner.SetBlock(0, 4, 3, 1);
    corner.SetBlock(0, 6, 3, 1);
    corner.SetBlock(0, 5, 2, 1);
    corner.SetBlock(0, 5, 4, 1);
    RebuildNow(corner);
    EXPECT_TRUE(SameCubes(corner, ReferenceVisibleCubes(corner)));
    for (uint32_t i = 0; i < corner.VisibleCount(); ++i) {
        const CubeInstance& c = corner.VisibleCubes()[i];
        EXPECT_FALSE(c.x == 0.0f && c.y == 5.0f && c.z == 3.0f) << "covered through the wrap link";
    }
    opposite.SetBlock(7, 5, 3, 0);
    EXPECT_TRUE(corner.IsDirty());
    RebuildNow(corner);
    bool listed = false;
    for (uint32_t i = 0; i < corner.VisibleCount(); ++i) {
        const CubeInstance& c = corner.VisibleCubes()[i];
        listed = listed || (c.x == 0.0f && c.y == 5.0f && c.z == 3.0f);
    }
    EXPECT_TRUE(listed);
}

TEST_F(VisibleCubes, GeneratedTerrainMatchesTheBlockByBlockScanForAnyBudget) {
    Build(true);
    TerrainGenerator generator;
    generator.Initialize("voxmere", 8, 16);
    for (auto& entry : world.Chunks()) GenerateNow(generator, *entry.second, 2, 100000);
    for (auto& entry : world.Chunks()) {
        Chunk& chunk = *entry.second;
        const std::vector<CubeInstance> expected = ReferenceVisibleCubes(chunk);
        for (const int32_t budget : {0, 1, 9, 100, 1023, 1024, 64000}) {
            chunk.BeginRebuild();
            int calls = 0;
            while (chunk.IsQueued()) {
                chunk.BuildVisibleCubes(budget);
                ++calls;
            }
            ASSERT_TRUE(SameCubes(chunk, expected)) << "budget " << budget;
            ASSERT_GE(calls, budget >= 1024 ? 2 : 1024 / (budget + 1));
        }
    }
}

TEST_F(VisibleCubes, ADirtyChunkRestartsItsScan) {
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
}

TEST_F(VisibleCubes, ListShrinksInPlaceAndGrowsIntoANewArray) {
    Build(false);
    Chunk& chunk = At(2, 2);
    for (int z = 0; z < 8; z += 2) chunk.SetBlock(3, 3, z, 1);
    RebuildNow(chunk);
    ASSERT_EQ(chunk.VisibleCount(), 4u);
    const CubeInstance* first = chunk.VisibleCubes();
    chunk.SetBlock(3, 3, 0, 0);
    RebuildNow(chunk);
    EXPECT_EQ(chunk.VisibleCount(), 3u);
    EXPECT_EQ(chunk.VisibleCubes(), first);
    chunk.SetBlock(3, 3, 0, 1);
    chunk.SetBlock(3, 3, 1, 1);
    RebuildNow(chunk);
    EXPECT_EQ(chunk.VisibleCount(), 5u);
    EXPECT_EQ(chunk.VisibleCubes()[1].z, 17.0f);
}
