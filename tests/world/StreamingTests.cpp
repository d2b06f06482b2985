#include <gtest/gtest.h>

#include <algorithm>

#include "WorldTestSupport.h"

namespace {
float Middle(int32_t chunk) { return static_cast<float>(chunk * 8 + 4); }  // of an 8-wide chunk
}  // namespace

// An 8 x 8 window of 8 x 16 chunks with the queues held still, so that only
// the window moves; chunks are created (and queued) x fastest.
class WindowShift : public WorldTest {
protected:
    void Build(bool infinite = true) {
        UseSmallWorld(8, 16, 8);
        Config().infiniteTerrain = infinite;
        Config().loadSpeed = Config().updateSpeed = 0;
        ASSERT_TRUE(world.Initialize(nullptr));
        ASSERT_EQ(world.GenerationQueueSize(), 64u);
    }
    std::vector<Chunk*> Tail(size_t count) {
        const std::deque<Chunk*>& queue = world.GenerationQueue();
        return std::vector<Chunk*>(queue.end() - static_cast<long>(count), queue.end());
    }
    Chunk* At(int32_t x, int32_t z) { return world.FindChunk({x, 0, z}); }
    VoxelWorld world;
};

// The layer the player walks away from moves to the far side and is queued
// again in table order; a diagonal step moves both layers, the corner once.
TEST_F(WindowShift, StepsMoveTheLeavingLayersInQueueOrder) {
    Build();
    std::vector<Chunk*> created, moved;
    for (int32_t i = 0; i < 64; ++i) created.push_back(At(i % 8, i / 8));
    EXPECT_EQ(Tail(64), created);

    world.Update(Middle(5), 5.0f, Middle(4));
    EXPECT_EQ(world.CentreChunk(), (ChunkKey{5, 0, 4}));
    for (int32_t z = 0; z < 8; ++z) {
        moved.push_back(At(0, z));
        EXPECT_EQ(At(0, z)->Origin(), (BlockPosition{64, 0, z * 8}));
        EXPECT_EQ(At(0, z)->Centre().x, 68.0f);
        EXPECT_EQ(At(1, z)->Origin().x, 8);
    }
    ASSERT_EQ(world.GenerationQueueSize(), 64u + 8u);
    EXPECT_EQ(Tail(8), moved);

    world.Update(Middle(4), 5.0f, Middle(4));  // and back
    for (int32_t z = 0; z < 8; ++z) EXPECT_EQ(At(0, z)->Origin().x, 0);
    EXPECT_EQ(world.GenerationQueueSize(), 64u + 16u);

    world.Update(Middle(5), 5.0f, Middle(5));
    EXPECT_EQ(world.CentreChunk(), (ChunkKey{5, 0, 5}));
    ASSERT_EQ(world.GenerationQueueSize(), 64u + 16u + 15u);
    const std::vector<Chunk*> tail = Tail(15);
    EXPECT_EQ(tail.front(), At(0, 0));
    EXPECT_EQ(std::count(tail.begin(), tail.end(), At(0, 0)), 1);
    EXPECT_EQ(At(0, 0)->Origin(), (BlockPosition{64, 0, 64}));
    EXPECT_EQ(At(3, 0)->Origin(), (BlockPosition{24, 0, 64}));
    EXPECT_EQ(At(0, 3)->Origin(), (BlockPosition{64, 0, 24}));
}

// Moving up or down alone shifts nothing; the window's rows follow the
// player, so a shift while above the top leaves no block inside.
TEST_F(WindowShift, VerticalMovesShiftNothingAndFixedTerrainNeverMoves) {
    Build();
    At(4, 4)->SetBlock(0, 0, 0, 1);
    world.Update(Middle(4), 130.0f, Middle(4));
    world.Update(Middle(4), -5.0f, Middle(4));
    EXPECT_EQ(world.CentreChunk(), (ChunkKey{4, 0, 4}));
    EXPECT_EQ(world.GenerationQueueSize(), 64u);
    ASSERT_TRUE(world.IsBlockSolid(32, 0, 32));
    world.Update(Middle(5), 20.0f, Middle(4));
    EXPECT_EQ(world.CentreChunk(), (ChunkKey{5, 1, 4}));
    EXPECT_FALSE(world.IsBlockSolid(32, 0, 32));
    world.Update(Middle(4), 5.0f, Middle(4));
    EXPECT_TRUE(world.IsBlockSolid(32, 0, 32));

    VoxelWorld fixed;
    Config().infiniteTerrain = false;
    ASSERT_TRUE(fixed.Initialize(nullptr));
    fixed.Update(Middle(30), 5.0f, Middle(-4));
    EXPECT_EQ(fixed.CentreChunk(), (ChunkKey{4, 0, 4}));
    EXPECT_EQ(fixed.FindChunk({0, 0, 0})->Origin(), (BlockPosition{0, 0, 0}));
    EXPECT_EQ(fixed.GenerationQueueSize(), 64u);
}

// A small world streamed in under small budgets.
class Streaming : public WorldTest {
protected:
    void Build(int32_t loadSpeed, int32_t updateSpeed) {
        UseSmallWorld(16, 32, 4);
        Config().loadSpeed = loadSpeed;
        Config().updateSpeed = updateSpeed;
        ASSERT_TRUE(world.Initialize(nullptr));
    }
    void Frame(float x = 32.0f) { world.Update(x, 32.0f, 32.0f); }
    bool Busy() const { return world.GenerationQueueSize() > 0 || world.RebuildQueueSize() > 0; }
    VoxelWorld world;
};

// A height-map chunk of 16 x 32 costs 9 samples of 5 and 256 columns: 301
// units. Under a budget of 400 the first chunk leaves 99 units, but the next
// call still gets all 400 and finishes the second chunk; the sum then ends
// the frame.
TEST_F(Streaming, EachGenerationCallGetsTheWholeBudget) {
    Build(400, 0);
    Frame();
    EXPECT_EQ(world.GenerationQueueSize(), 14u);
    EXPECT_TRUE(world.FindChunk({0, 0, 0})->HasContent() && world.FindChunk({1, 0, 0})->HasContent());
    EXPECT_FALSE(world.FindChunk({2, 0, 0})->HasContent());
    Config().loadSpeed = 0;
    VoxelWorld idle;
    ASSERT_TRUE(idle.Initialize(nullptr));
    for (int i = 0; i < 5; ++i) idle.Update(32.0f, 32.0f, 32.0f);
    EXPECT_EQ(idle.GenerationQueueSize(), 16u) << "a load speed of 0 generates nothing";
}

TEST_F(Streaming, NoRebuildIsQueuedWhileGenerationIsPending) {
    Build(3000, 5000);
    Frame();
    EXPECT_TRUE(world.FindChunk({0, 0, 0})->HasContent() && world.FindChunk({0, 0, 0})->IsDirty());
    ASSERT_GT(world.GenerationQueueSize(), 0u);
    while (world.GenerationQueueSize() > 0) {
        ASSERT_EQ(world.RebuildQueueSize(), 0u);
        Frame();
    }
    // The frame that emptied the queue filled the rebuild queue in table order.
    const std::deque<Chunk*>& rebuild = world.RebuildQueue();
    ASSERT_FALSE(rebuild.empty());
    EXPECT_TRUE(std::is_sorted(rebuild.begin(), rebuild.end(), [](const Chunk* a, const Chunk* b) {
        return std::pair(a->Origin().x, a->Origin().z) < std::pair(b->Origin().x, b->Origin().z);
    }));
    for (const Chunk* chunk : rebuild) EXPECT_TRUE(chunk->IsQueued());
}

TEST_F(Streaming, StreamedWorldEqualsThePreGeneratedOneAlsoAfterAShift) {
    Build(2000, 3000);
    int frames = 0;
    for (; Busy(); ++frames) Frame();
    EXPECT_GT(frames, 10);

    Config().instantStart = false;
    VoxelWorld reference;
    ASSERT_TRUE(reference.Initialize(nullptr));
    EXPECT_EQ(reference.GenerationQueueSize() + reference.RebuildQueueSize(), 0u);
    for (const auto& [key, expected] : reference.Chunks()) {
        EXPECT_TRUE(expected->HasContent() && !expected->IsQueued() && !expected->IsDirty());
        EXPECT_EQ(GridBytes(*world.FindChunk(key)), GridBytes(*expected));
        EXPECT_EQ(VisibleFloats(*world.FindChunk(key)), VisibleFloats(*expected));
    }

    Chunk& moved = *world.FindChunk({0, 0, 1});
    const std::string before = GridBytes(moved);
    Frame(56.0f);  // into chunk 3 along x
    EXPECT_EQ(moved.Origin(), (BlockPosition{64, 0, 16}));
    while (Busy()) Frame(56.0f);
    EXPECT_NE(GridBytes(moved), before);
    EXPECT_EQ(VisibleFloats(moved), ReferenceVisibleCubes(moved));
    EXPECT_GE(moved.VisibleCubes()[0].x, 64.0f);
}
