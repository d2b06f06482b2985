#include <gtest/gtest.h>

#include <algorithm>

#include "WorldTestSupport.h"

namespace {
float Middle(int32_t chunk) { return static_cast<float>(chunk * 32 + 16); }  // of a default chunk
}  // namespace

// The default 16 x 16 window of 32 x 128 chunks, with the queues held still
// so that only the window moves.
class WindowShift : public WorldTest {
protected:
    void Build(bool infinite = true) {
        Config().infiniteTerrain = infinite;
        Config().loadSpeed = 0;
        Config().updateSpeed = 0;
        ASSERT_TRUE(world.Initialize(nullptr));
        ASSERT_EQ(world.GenerationQueueSize(), 256u);
    }
    std::vector<Chunk*> Tail(size_t count) {
        const std::deque<Chunk*>& queue = world.GenerationQueue();
        return std::vector<Chunk*>(queue.end() - static_cast<long>(count), queue.end());
    }
    VoxelWorld world;
};

TEST_F(WindowShift, StepsAlongXAndDiagonallyMoveTheLeavingLayersInQueueOrder) {
    Build();
    std::vector<Chunk*> created, moved;
    for (int32_t i = 0; i < 256; ++i) created.push_back(world.FindChunk({i % 16, 0, i / 16}));
    EXPECT_EQ(Tail(256), created);  // creation order: x fastest

    world.Update(Middle(9), 5.0f, Middle(8));
    EXPECT_EQ(world.CentreChunk(), (ChunkKey{9, 0, 8}));
    for (int32_t z = 0; z < 16; ++z) {
        moved.push_back(world.FindChunk({0, 0, z}));
        EXPECT_EQ(moved.back()->Origin(), (BlockPosition{512, 0, z * 32}));
        EXPECT_FLOAT_EQ(moved.back()->Centre().x, 528.0f);
        EXPECT_EQ(world.FindChunk({1, 0, z})->Origin().x, 32);
    }
    ASSERT_EQ(world.GenerationQueueSize(), 256u + 16u);
    EXPECT_EQ(Tail(16), moved);

    world.Update(Middle(8), 5.0f, Middle(8));  // and back
    EXPECT_EQ(world.CentreChunk(), (ChunkKey{8, 0, 8}));
    for (int32_t z = 0; z < 16; ++z) EXPECT_EQ(world.FindChunk({0, 0, z})->Origin().x, 0);
    EXPECT_EQ(world.GenerationQueueSize(), 256u + 32u);

    world.Update(Middle(9), 5.0f, Middle(9));  // diagonal: 31 chunks, the corner once
    EXPECT_EQ(world.CentreChunk(), (ChunkKey{9, 0, 9}));
    ASSERT_EQ(world.GenerationQueueSize(), 256u + 32u + 31u);
    const std::vector<Chunk*> tail = Tail(31);
    EXPECT_EQ(tail.front(), world.FindChunk({0, 0, 0}));
    EXPECT_EQ(std::count(tail.begin(), tail.end(), world.FindChunk({0, 0, 0})), 1);
    EXPECT_EQ(world.FindChunk({0, 0, 0})->Origin(), (BlockPosition{512, 0, 512}));
    EXPECT_EQ(world.FindChunk({5, 0, 0})->Origin(), (BlockPosition{160, 0, 512}));
    EXPECT_EQ(world.FindChunk({0, 0, 5})->Origin(), (BlockPosition{512, 0, 160}));
}

TEST_F(WindowShift, VerticalMovesAloneShiftNothingAndAShiftAboveTheTopHidesAllBlocks) {
    Build();
    world.FindChunk({8, 0, 8})->SetBlock(0, 0, 0, 1);
    world.Update(Middle(8), 130.0f, Middle(8));
    world.Update(Middle(8), -5.0f, Middle(8));
    EXPECT_EQ(world.CentreChunk(), (ChunkKey{8, 0, 8}));
    EXPECT_EQ(world.GenerationQueueSize(), 256u);
    ASSERT_TRUE(world.IsBlockSolid(256, 0, 256));

    world.Update(Middle(9), 140.0f, Middle(8));
    EXPECT_EQ(world.CentreChunk(), (ChunkKey{9, 1, 8}));
    EXPECT_FALSE(world.IsBlockSolid(256, 0, 256));
    world.Update(Middle(9), 5.0f, Middle(8));  // same column: no shift
    EXPECT_FALSE(world.IsBlockSolid(256, 0, 256));
    world.Update(Middle(8), 5.0f, Middle(8));
    EXPECT_EQ(world.CentreChunk(), (ChunkKey{8, 0, 8}));
    EXPECT_TRUE(world.IsBlockSolid(256, 0, 256));
}

TEST_F(WindowShift, FixedTerrainNeverMoves) {
    Build(false);
    world.Update(Middle(30), 5.0f, Middle(-4));
    world.Update(Middle(9), 5.0f, Middle(9));
    EXPECT_EQ(world.CentreChunk(), (ChunkKey{8, 0, 8}));
    EXPECT_EQ(world.FindChunk({0, 0, 0})->Origin(), (BlockPosition{0, 0, 0}));
    EXPECT_EQ(world.GenerationQueueSize(), 256u);
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

TEST_F(Streaming, StreamedWorldEqualsThePreGeneratedOne) {
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
}

TEST_F(Streaming, ZeroLoadSpeedNeverGeneratesAnything) {
    Build(0, 64000);
    for (int i = 0; i < 20; ++i) Frame();
    EXPECT_EQ(world.GenerationQueueSize(), 16u);
    EXPECT_EQ(world.RebuildQueueSize(), 0u);
    for (const auto& entry : world.Chunks()) EXPECT_FALSE(entry.second->HasContent());
}

TEST_F(Streaming, ShiftedChunksAreRegeneratedAtTheirNewPlace) {
    Build(100000, 100000);
    while (Busy()) Frame();
    Chunk& moved = *world.FindChunk({0, 0, 1});
    const std::string before = GridBytes(moved);
    Frame(56.0f);  // into chunk 3 along x
    EXPECT_EQ(moved.Origin(), (BlockPosition{64, 0, 16}));
    while (Busy()) Frame(56.0f);
    EXPECT_NE(GridBytes(moved), before);
    EXPECT_EQ(VisibleFloats(moved), ReferenceVisibleCubes(moved));
    EXPECT_GE(moved.VisibleCubes()[0].x, 64.0f);
}
