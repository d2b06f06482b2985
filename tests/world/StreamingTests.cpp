#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "WorldTestSupport.h"

namespace {
float Middle(int32_t chunk) { return static_cast<float>(chunk * 8 + 4); }  // of an 8-wide chunk
}  // namespace

// An 8 x 8 window of 8 x 16 chunks with the queues held still, so that only
// the window moves; chunks are created (and queued) x fastest.
class WindowShift : public WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        UseSmallWorld(8, 16, 8);
        settings.loadSpeed = settings.updateSpeed = 0;
        ASSERT_TRUE(world.Initialize(settings, nullptr));
    }
    std::vector<Chunk*> Tail(size_t count) {
        return std::vector<Chunk*>(world.GenerationQueue().end() - static_cast<long>(count),
                                   world.GenerationQueue().end());
    }
    Chunk* At(int32_t x, int32_t z) { return world.FindChunk({x, 0, z}); }
    VoxelWorld world;
};

// The layer the player walks away from moves to the far side and is queued
// again in table order; a diagonal step moves both layers, the corner once.
TEST_F(WindowShift, StepsMoveTheLeavingLayersInQueueOrder) {
    std::vector<Chunk*> created, moved;
    for (int32_t i = 0; i < 64; ++i) created.push_back(At(i % 8, i / 8));
    EXPECT_EQ(Tail(64), created);
    world.Update(Middle(5), 5.0f, Middle(4));
    EXPECT_EQ(world.CentreChunk(), (ChunkKey{5, 0, 4}));
    for (int32_t z = 0; z < 8; ++z) {
        moved.push_back(At(0, z));
        EXPECT_TRUE(At(0, z)->Origin() == (BlockPosition{64, 0, z * 8}) && At(0, z)->Centre().x == 68.0f);
        EXPECT_EQ(At(1, z)->Origin().x, 8);
    }
    EXPECT_EQ(Tail(8), moved);
    world.Update(Middle(4), 5.0f, Middle(4));  // and back
    EXPECT_EQ(At(0, 7)->Origin().x, 0);
    world.Update(Middle(5), 5.0f, Middle(5));
    ASSERT_EQ(world.GenerationQueueSize(), 64u + 16u + 15u);
    const std::vector<Chunk*> tail = Tail(15);
    EXPECT_TRUE(tail.front() == At(0, 0) && std::count(tail.begin(), tail.end(), At(0, 0)) == 1);
    EXPECT_EQ(At(0, 0)->Origin(), (BlockPosition{64, 0, 64}));
    EXPECT_TRUE(At(3, 0)->Origin() == (BlockPosition{24, 0, 64}) && At(0, 3)->Origin() == (BlockPosition{64, 0, 24}));
}

// Moving up or down alone shifts nothing; the window's rows follow the
// player, so a shift while above the top leaves no block inside. Fixed
// terrain never moves.
TEST_F(WindowShift, VerticalMovesShiftNothingAndFixedTerrainNeverMoves) {
    At(4, 4)->SetBlock(0, 0, 0, 1);
    world.Update(Middle(4), 130.0f, Middle(4));
    world.Update(Middle(4), -5.0f, Middle(4));
    EXPECT_TRUE(world.CentreChunk() == (ChunkKey{4, 0, 4}) && world.GenerationQueueSize() == 64u);
    ASSERT_TRUE(world.IsBlockSolid(32, 0, 32));
    world.Update(Middle(5), 20.0f, Middle(4));
    EXPECT_TRUE(world.CentreChunk() == (ChunkKey{5, 1, 4}) && !world.IsBlockSolid(32, 0, 32));
    world.Update(Middle(4), 5.0f, Middle(4));
    EXPECT_TRUE(world.IsBlockSolid(32, 0, 32));
    VoxelWorld fixed;
    settings.infiniteTerrain = false;
    ASSERT_TRUE(fixed.Initialize(settings, nullptr));
    fixed.Update(Middle(30), 5.0f, Middle(-4));
    EXPECT_TRUE(fixed.CentreChunk() == (ChunkKey{4, 0, 4}) && fixed.GenerationQueueSize() == 64u);
    EXPECT_EQ(fixed.FindChunk({0, 0, 0})->Origin(), (BlockPosition{0, 0, 0}));
}

// A small world of 4 x 4 chunks of 16 x 32 streamed in under small budgets.
class Streaming : public WorldTest {
protected:
    void Build(int32_t loadSpeed, int32_t updateSpeed) {
        UseSmallWorld(16, 32, 4);
        std::tie(settings.loadSpeed, settings.updateSpeed) = std::tuple(loadSpeed, updateSpeed);
        world.Shutdown();
        ASSERT_TRUE(world.Initialize(settings, nullptr));
    }
    void Frame() { world.Update(32.0f, 32.0f, 32.0f); }
    VoxelWorld world;
};

// A height-map chunk costs 9 samples of 5 and 256 columns: 301 units. Each
// call gets the whole budget, and the frame ends once the sum reaches it:
// under 400 the first chunk leaves 99 units, but the second call still
// finishes a second chunk in the frame; under 301 one chunk ends the frame;
// under 0 nothing is generated. The frame that empties the generation queue
// fills the rebuild queue, whose calls get the whole budget too: under 5000
// the first scan of 8192 blocks ends in its second call, which reports the
// budget; its third returns 4 units per listed cube for sorting its faces,
// and the next chunk's scan then gets all 5000.
TEST_F(Streaming, EachCallGetsTheWholeBudgetAndTheFrameEndsWhenTheSumReachesIt) {
    const std::pair<int32_t, size_t> generation[] = {{400, 10}, {301, 13}, {0, 16}};  // budget, left after 3 frames
    for (const auto& [budget, queued] : generation) {
        Build(budget, 0);
        for (int i = 0; i < 3; ++i) Frame();
        EXPECT_EQ(world.GenerationQueueSize(), queued) << budget;
        EXPECT_EQ(world.RebuildQueueSize(), 0u) << "no rebuild is queued while generation is pending";
    }
    settings.renderFaces = true;
    Build(100000, 5000);
    Frame();
    ASSERT_EQ(world.RebuildQueueSize(), 16u);
    EXPECT_EQ(world.RebuildQueue().front()->ScanVisited(), 5001u) << "the budget, stopped after a whole run";
    for (int i = 0; i < 2; ++i) Frame();
    EXPECT_TRUE(world.RebuildQueueSize() == 15u && world.RebuildQueue().front()->ScanVisited() == 5001u);
}
