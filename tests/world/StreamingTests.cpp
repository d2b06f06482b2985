#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "WorldTestSupport.h"

namespace {
std::vector<Chunk*> Slots(VoxelWorld& world, const std::vector<ChunkKey>& keys) {
    std::vector<Chunk*> chunks;
    for (const ChunkKey& key : keys) chunks.push_back(world.FindChunk(key));
    return chunks;
}

std::vector<Chunk*> QueueTail(const std::deque<Chunk*>& queue, size_t count) {
    return std::vector<Chunk*>(queue.end() - static_cast<long>(count), queue.end());
}

// Block coordinates of the middle of world chunk (i, k) at height y.
float Middle(int32_t chunk) { return static_cast<float>(chunk * 32 + 16); }
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
    VoxelWorld world;
};

TEST_F(WindowShift, GenerationQueueStartsInCreationOrder) {
    Build();
    const std::deque<Chunk*>& queue = world.GenerationQueue();
    for (int32_t i = 0; i < 256; ++i) {
        ASSERT_EQ(queue[static_cast<size_t>(i)], world.FindChunk({i % 16, 0, i / 16})) << i;
    }
}

TEST_F(WindowShift, StepAlongXMovesOneLayerAndBack) {
    Build();
    world.Update(Middle(9), 5.0f, Middle(8));
    EXPECT_EQ(world.CentreChunk(), (ChunkKey{9, 0, 8}));
    std::vector<ChunkKey> moved;
    for (int32_t z = 0; z < 16; ++z) {
        moved.push_back({0, 0, z});
        EXPECT_EQ(world.FindChunk({0, 0, z})->Origin(), (BlockPosition{512, 0, z * 32}));
        EXPECT_FLOAT_EQ(world.FindChunk({0, 0, z})->Centre().x, 528.0f);
        EXPECT_EQ(world.FindChunk({1, 0, z})->Origin().x, 32);
    }
    ASSERT_EQ(world.GenerationQueueSize(), 256u + 16u);
    EXPECT_EQ(QueueTail(world.GenerationQueue(), 16), Slots(world, moved));

    world.Update(Middle(8), 5.0f, Middle(8));
    EXPECT_EQ(world.CentreChunk(), (ChunkKey{8, 0, 8}));
    for (int32_t z = 0; z < 16; ++z) EXPECT_EQ(world.FindChunk({0, 0, z})->Origin().x, 0);
    EXPECT_EQ(world.GenerationQueueSize(), 256u + 32u);
}

TEST_F(WindowShift, DiagonalStepMovesThirtyOneChunksAndTheCornerOnce) {
    Build();
    world.Update(Middle(9), 5.0f, Middle(9));
    EXPECT_EQ(world.CentreChunk(), (ChunkKey{9, 0, 9}));
    ASSERT_EQ(world.GenerationQueueSize(), 256u + 31u);
    const std::vector<Chunk*> tail = QueueTail(world.GenerationQueue(), 31);
    EXPECT_EQ(tail.front(), world.FindChunk({0, 0, 0}));
    EXPECT_EQ(world.FindChunk({0, 0, 0})->Origin(), (BlockPosition{512, 0, 512}));
    EXPECT_EQ(world.FindChunk({5, 0, 0})->Origin(), (BlockPosition{160, 0, 512}));
    EXPECT_EQ(world.FindChunk({0, 0, 5})->Origin(), (BlockPosition{512, 0, 160}));
    EXPECT_EQ(std::count(tail.begin(), tail.end(), world.FindChunk({0, 0, 0})), 1);
}

TEST_F(WindowShift, VerticalMoveAloneChangesNothing) {
    Build();
    world.Update(Middle(8), 130.0f, Middle(8));
    world.Update(Middle(8), -5.0f, Middle(8));
    EXPECT_EQ(world.CentreChunk(), (ChunkKey{8, 0, 8}));
    EXPECT_EQ(world.GenerationQueueSize(), 256u);
}

TEST_F(WindowShift, ShiftAboveTheTopHidesAllBlocksUntilAShiftBelowIt) {
    Build();
    world.FindChunk({8, 0, 8})->SetBlock(0, 0, 0, 1);
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
    void Frame() { world.Update(32.0f, 32.0f, 32.0f); }  // the start position
    VoxelWorld world;
};

TEST_F(Streaming, NoRebuildIsQueuedWhileGenerationIsPending) {
    Build(3000, 5000);
    Frame();
    EXPECT_GT(world.GenerationQueueSize(), 0u);
    EXPECT_TRUE(world.FindChunk({0, 0, 0})->HasContent());
    EXPECT_TRUE(world.FindChunk({0, 0, 0})->IsDirty());
    EXPECT_EQ(world.RebuildQueueSize(), 0u);
    while (world.GenerationQueueSize() > 0) {
        EXPECT_EQ(world.RebuildQueueSize(), 0u);
        Frame();
    }
    // The frame that emptied the queue filled the rebuild queue in table
    // order and started on its front.
    const std::deque<Chunk*>& rebuild = world.RebuildQueue();
    ASSERT_FALSE(rebuild.empty());
    EXPECT_TRUE(std::is_sorted(rebuild.begin(), rebuild.end(), [&](const Chunk* a, const Chunk* b) {
        return a->Origin().x < b->Origin().x || (a->Origin().x == b->Origin().x && a->Origin().z < b->Origin().z);
    }));
    for (const Chunk* chunk : rebuild) EXPECT_TRUE(chunk->IsQueued());
}

TEST_F(Streaming, StreamedWorldEqualsThePreGeneratedOne) {
    Build(2000, 3000);
    int frames = 0;
    do {
        Frame();
        ++frames;
    } while (world.GenerationQueueSize() > 0 || world.RebuildQueueSize() > 0);
    EXPECT_GT(frames, 10);

    Config().instantStart = false;
    VoxelWorld reference;
    ASSERT_TRUE(reference.Initialize(nullptr));
    EXPECT_EQ(reference.GenerationQueueSize() + reference.RebuildQueueSize(), 0u);
    for (const auto& entry : reference.Chunks()) {
        const Chunk& expected = *entry.second;
        const Chunk& streamed = *world.FindChunk(entry.first);
        EXPECT_TRUE(expected.HasContent() && !expected.IsQueued() && !expected.IsDirty());
        EXPECT_EQ(GridBytes(streamed), GridBytes(expected));
        ASSERT_EQ(streamed.VisibleCount(), expected.VisibleCount());
        EXPECT_EQ(0, std::memcmp(streamed.VisibleCubes(), expected.VisibleCubes(),
                                 expected.VisibleCount() * sizeof(CubeInstance)));
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
    while (world.GenerationQueueSize() > 0 || world.RebuildQueueSize() > 0) Frame();
    const std::string before = GridBytes(*world.FindChunk({0, 0, 1}));
    world.Update(48.0f + 8.0f, 32.0f, 32.0f);  // into chunk 3 along x
    EXPECT_EQ(world.FindChunk({0, 0, 1})->Origin(), (BlockPosition{64, 0, 16}));
    while (world.GenerationQueueSize() > 0 || world.RebuildQueueSize() > 0) world.Update(56.0f, 32.0f, 32.0f);
    EXPECT_NE(GridBytes(*world.FindChunk({0, 0, 1})), before);
    const CubeInstance& cube = world.FindChunk({0, 0, 1})->VisibleCubes()[0];
    EXPECT_GE(cube.x, 64.0f);
    EXPECT_LT(cube.x, 80.0f);
}
