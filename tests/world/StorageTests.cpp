#include <gtest/gtest.h>

#include "WorldTestSupport.h"
#include "world/WorldSettings.h"

TEST(WorldCoordinates, FloorDivisionAndRemainderForNegativeValues) {
    EXPECT_EQ(FloorDivide(-1, 32), -1);
    EXPECT_EQ(FloorDivide(-32, 32), -1);
    EXPECT_EQ(FloorDivide(-33, 32), -2);
    EXPECT_EQ(FloorDivide(31, 32), 0);
    EXPECT_EQ(FloorModulo(-1, 32), 31);
    EXPECT_EQ(FloorModulo(-32, 32), 0);
    EXPECT_EQ(FloorModulo(-33, 32), 31);
    EXPECT_EQ(FloorModulo(-1, 16), 15);  // slot of chunk -1 with 16 chunks
}

TEST(WorldCoordinates, ChunkOfPositionRoundsDownFirst) {
    EXPECT_EQ(ChunkOfPosition(-32.0f, 0.0f, 0.0f, 32, 128).x, -1);
    EXPECT_EQ(ChunkOfPosition(-32.5f, 0.0f, 0.0f, 32, 128).x, -2);
    EXPECT_EQ(ChunkOfPosition(31.9f, 0.0f, 0.0f, 32, 128).x, 0);
    EXPECT_EQ(ChunkOfPosition(-0.1f, 0.0f, 0.0f, 32, 128).x, -1);
    const ChunkKey key = ChunkOfPosition(100.0f, 128.0f, -1.0f, 32, 128);
    EXPECT_EQ(key, (ChunkKey{3, 1, -1}));
}

TEST(ChunkKeyOrder, IsLexicographicXThenYThenZ) {
    EXPECT_LT((ChunkKey{0, 5, 5}), (ChunkKey{1, 0, 0}));
    EXPECT_LT((ChunkKey{1, 0, 9}), (ChunkKey{1, 1, 0}));
    EXPECT_LT((ChunkKey{1, 1, 0}), (ChunkKey{1, 1, 1}));
    EXPECT_FALSE((ChunkKey{1, 1, 1}) < (ChunkKey{1, 1, 1}));
}

class ChunkWrites : public WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        UseSmallWorld(8, 16, 4);
        Config().infiniteTerrain = false;
        ASSERT_TRUE(world.Initialize(nullptr));
    }
    Chunk& At(int32_t x, int32_t z) { return *world.FindChunk({x, 0, z}); }
    VoxelWorld world;
};

TEST_F(ChunkWrites, NewChunksAreAirAndClean) {
    const Chunk& chunk = At(1, 2);
    EXPECT_EQ(chunk.Origin(), (BlockPosition{8, 0, 16}));
    EXPECT_FLOAT_EQ(chunk.Centre().x, 12.0f);
    EXPECT_FLOAT_EQ(chunk.Centre().y, 8.0f);
    EXPECT_FALSE(chunk.HasContent() || chunk.IsDirty() || chunk.IsQueued());
    EXPECT_EQ(GridBytes(chunk), std::string(8 * 8 * 16, '\0'));
}

TEST_F(ChunkWrites, SetBlockStoresZFastestAndMarksFaceNeighbours) {
    Chunk& chunk = At(1, 1);
    chunk.SetBlock(0, 3, 7, 1);
    EXPECT_EQ(chunk.Grid().data[(0 * 16 + 3) * 8 + 7], 1);
    EXPECT_EQ(chunk.Grid().writeCount, 1u);
    EXPECT_TRUE(chunk.IsDirty() && chunk.HasContent());
    EXPECT_TRUE(At(0, 1).IsDirty());   // x - 1
    EXPECT_TRUE(At(1, 2).IsDirty());   // z + 1
    EXPECT_FALSE(At(2, 1).IsDirty());
    EXPECT_FALSE(At(1, 0).IsDirty());

    chunk.SetBlock(3, 3, 3, 0);  // an inner air write still counts
    EXPECT_EQ(chunk.Grid().writeCount, 2u);
    EXPECT_FALSE(At(2, 1).IsDirty());
}

TEST_F(ChunkWrites, SetColumnKeepsTheTopLayerAir) {
    Chunk& chunk = At(1, 1);
    chunk.SetColumn(2, 3, 100);
    int solid = 0;
    for (int y = 0; y < 16; ++y) solid += chunk.Block(2, y, 3);
    EXPECT_EQ(solid, 15);
    EXPECT_EQ(chunk.Block(2, 15, 3), 0);
    EXPECT_EQ(chunk.Grid().writeCount, 17u);  // H + 1 per column

    chunk.SetColumn(2, 3, 4);
    EXPECT_EQ(chunk.Block(2, 3, 3), 1);
    EXPECT_EQ(chunk.Block(2, 4, 3), 0);

    chunk.SetColumn(2, 3, 0);
    for (int y = 0; y < 16; ++y) EXPECT_EQ(chunk.Block(2, y, 3), 0);
    EXPECT_EQ(chunk.Grid().writeCount, 51u);
}

TEST_F(ChunkWrites, NegativeColumnHeightChangesNothingNotEvenFlags) {
    Chunk& chunk = At(0, 0);
    chunk.SetColumn(0, 0, -1);
    EXPECT_EQ(chunk.Grid().writeCount, 0u);
    EXPECT_FALSE(chunk.IsDirty() || chunk.HasContent());
    EXPECT_FALSE(At(1, 0).IsDirty() || At(0, 1).IsDirty());
}

TEST_F(ChunkWrites, EdgeColumnMarksOnlyPresentNeighbours) {
    At(1, 1).SetColumn(0, 7, 5);
    EXPECT_TRUE(At(0, 1).IsDirty());
    EXPECT_TRUE(At(1, 2).IsDirty());
    EXPECT_FALSE(At(2, 1).IsDirty() || At(1, 0).IsDirty());

    // The corner chunk has no x - 1 or z - 1 link without infinite terrain;
    // the column still lands and marks nothing else.
    At(0, 0).SetColumn(0, 0, 5);
    EXPECT_TRUE(At(0, 0).IsDirty());
    EXPECT_FALSE(At(3, 0).IsDirty() || At(0, 3).IsDirty());
}

TEST_F(ChunkWrites, BatchedColumnsMatchSingleColumns) {
    // Heights above the top, zero, and (second round) negative ones, which
    // leave their column as it was.
    for (const int offset : {0, -3}) {
        Chunk& single = At(1, 1);
        Chunk& batched = At(2, 2);
        single.Clear();
        batched.Clear();
        single.SetColumn(0, 0, 9);  // heights[0] is negative in the second round
        batched.SetColumn(0, 0, 9);
        int32_t heights[8 * 8];
        for (int i = 0; i < 64; ++i) heights[i] = (i * 7) % 20 + offset;
        for (int z = 0; z < 8; ++z) {
            for (int x = 0; x < 8; ++x) single.SetColumn(x, z, heights[x * 8 + z]);
        }
        batched.SetAllColumns(heights);
        EXPECT_EQ(GridBytes(single), GridBytes(batched)) << offset;
        EXPECT_EQ(single.Grid().writeCount, batched.Grid().writeCount) << offset;
    }
    EXPECT_TRUE(At(1, 2).IsDirty() && At(2, 1).IsDirty() && At(3, 2).IsDirty() && At(2, 3).IsDirty());
}

TEST_F(ChunkWrites, RowWriteCountsEveryBlockAndMarksTheFacesItTouches) {
    const uint8_t row[8] = {1, 0, 1, 1, 0, 0, 1, 1};
    At(3, 2).SetRow(7, 15, 0, 8, row);
    for (int z = 0; z < 8; ++z) EXPECT_EQ(At(3, 2).Block(7, 15, z), row[z]);
    EXPECT_EQ(At(3, 2).Grid().writeCount, 8u);
    EXPECT_TRUE(At(3, 1).IsDirty() && At(3, 3).IsDirty());  // z - 1 and z + 1
    At(1, 1).SetRow(3, 4, 2, 5, row);
    EXPECT_EQ(At(1, 1).Grid().writeCount, 3u);
    EXPECT_FALSE(At(1, 0).IsDirty() || At(1, 2).IsDirty() || At(0, 1).IsDirty() || At(2, 1).IsDirty());
}

TEST_F(ChunkWrites, LinksFollowTheInfiniteTerrainSetting) {
    const Chunk& corner = At(0, 0);
    EXPECT_EQ(corner.Neighbour(ChunkSide::XMinus), nullptr);
    EXPECT_EQ(corner.Neighbour(ChunkSide::XPlus), &At(1, 0));
    EXPECT_EQ(corner.Neighbour(ChunkSide::ZMinus), nullptr);
    EXPECT_EQ(corner.Neighbour(ChunkSide::ZPlus), &At(0, 1));
    EXPECT_EQ(corner.Neighbour(ChunkSide::YPlus), nullptr);
    EXPECT_EQ(corner.Neighbour(ChunkSide::YMinus), nullptr);

    VoxelWorld wrapped;
    Config().infiniteTerrain = true;
    ASSERT_TRUE(wrapped.Initialize(nullptr));
    EXPECT_EQ(wrapped.FindChunk({0, 0, 2})->Neighbour(ChunkSide::XMinus), wrapped.FindChunk({3, 0, 2}));
    EXPECT_EQ(wrapped.FindChunk({3, 0, 2})->Neighbour(ChunkSide::XPlus), wrapped.FindChunk({0, 0, 2}));
    EXPECT_EQ(wrapped.FindChunk({1, 0, 0})->Neighbour(ChunkSide::ZMinus), wrapped.FindChunk({1, 0, 3}));
    EXPECT_EQ(wrapped.FindChunk({1, 0, 0})->Neighbour(ChunkSide::YMinus), nullptr);
}

class BlockLookup : public WorldTest {};

TEST_F(BlockLookup, DefaultWindowBounds) {
    VoxelWorld world;
    ASSERT_TRUE(world.Initialize(nullptr));
    EXPECT_EQ(world.CentreChunk(), (ChunkKey{8, 0, 8}));
    EXPECT_EQ(world.ChunkCount(), 256u);
    world.FindChunk({15, 0, 0})->SetBlock(31, 127, 0, 1);
    world.FindChunk({0, 0, 0})->SetBlock(0, 0, 0, 1);
    EXPECT_TRUE(world.IsBlockSolid(511, 127, 0));
    EXPECT_TRUE(world.IsBlockSolid(0, 0, 0));
    EXPECT_FALSE(world.IsBlockSolid(1, 0, 0));
    EXPECT_FALSE(world.IsBlockSolid(512, 127, 0));
    EXPECT_FALSE(world.IsBlockSolid(-1, 0, 0));
    EXPECT_FALSE(world.IsBlockSolid(0, -1, 0));
    EXPECT_FALSE(world.IsBlockSolid(511, 128, 0));
    EXPECT_FALSE(world.IsBlockSolid(0, 0, 512));
}

TEST_F(BlockLookup, NegativeCoordinatesMapToTheLastSlots) {
    Config().loadSpeed = 0;
    Config().updateSpeed = 0;
    VoxelWorld world;
    ASSERT_TRUE(world.Initialize(nullptr));
    world.Update(7.5f * 32.0f, 5.0f, 8.5f * 32.0f);  // window now x in [-32, 480)
    ASSERT_EQ(world.CentreChunk(), (ChunkKey{7, 0, 8}));
    Chunk& lastSlot = *world.FindChunk({15, 0, 8});
    Chunk& secondLast = *world.FindChunk({14, 0, 8});
    lastSlot.SetBlock(31, 4, 0, 1);   // x = -1
    lastSlot.SetBlock(0, 5, 0, 1);    // x = -32
    secondLast.SetBlock(31, 6, 0, 1); // x = -33, outside the window
    EXPECT_TRUE(world.IsBlockSolid(-1, 4, 256));
    EXPECT_TRUE(world.IsBlockSolid(-32, 5, 256));
    EXPECT_FALSE(world.IsBlockSolid(-33, 6, 256));
    EXPECT_FALSE(world.IsBlockSolid(-1, 5, 256));
}

class WorldSettingsRules : public WorldTest {};

TEST_F(WorldSettingsRules, BadSizesAreRefusedWithTheirRule) {
    struct Case {
        int32_t width, height;
        uint32_t terrain;
        const char* message;
    };
    const Case cases[] = {
        {12, 128, 48, "chunkWidth must be a positive multiple of 8"},
        {0, 128, 64, "chunkWidth must be a positive multiple of 8"},
        {32, 100, 512, "chunkHeight must be a positive multiple of 8"},
        {32, 128, 500, "terrainWidth must be a multiple of chunkWidth giving an even number of chunks"},
        {32, 128, 480, "terrainWidth must be a multiple of chunkWidth giving an even number of chunks"},
        {32, 128, 0, "terrainWidth must be a multiple of chunkWidth giving an even number of chunks"},
        {32, 256, 4096, "Cant reserve more than 2GB RAM."},
        {64, 1 << 30, 128, "Cant reserve more than 2GB RAM."},
    };
    for (const Case& c : cases) {
        CapturedMessages().clear();
        Config().chunkWidth = c.width;
        Config().chunkHeight = c.height;
        Config().terrainWidth = c.terrain;
        VoxelWorld world;
        EXPECT_FALSE(world.Initialize(nullptr)) << c.message;
        EXPECT_EQ(CapturedMessages(), std::vector<std::string>{c.message});
        EXPECT_EQ(world.ChunkCount(), 0u);
    }
}

TEST_F(WorldSettingsRules, TwoGibibytesExactlyIsAccepted) {
    // 4096 x 4096 x 128 blocks = 2 GiB; only the check runs, nothing is built.
    Config().terrainWidth = 4096;
    EXPECT_TRUE(ValidateWorldSettings(Config()));
    Config().terrainWidth = 4160;
    EXPECT_FALSE(ValidateWorldSettings(Config()));
}
