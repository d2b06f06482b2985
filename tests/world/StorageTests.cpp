#include <gtest/gtest.h>

#include <tuple>

#include "WorldTestSupport.h"
#include "world/WorldSettings.h"

TEST(WorldCoordinates, FloorDivisionRoundsDownForNegativeValues) {
    // value, divisor, quotient, remainder
    const int32_t cases[][4] = {{-1, 32, -1, 31}, {-32, 32, -1, 0}, {-33, 32, -2, 31}, {31, 32, 0, 31},
                                {-1, 16, -1, 15}};
    for (const auto& c : cases) {
        EXPECT_EQ(FloorDivide(c[0], c[1]), c[2]) << c[0] << " / " << c[1];
        EXPECT_EQ(FloorModulo(c[0], c[1]), c[3]) << c[0] << " % " << c[1];
    }
    const std::pair<float, int32_t> positions[] = {{-32.0f, -1}, {-32.5f, -2}, {31.9f, 0}, {-0.1f, -1}};
    for (const auto& [x, chunk] : positions) EXPECT_EQ(ChunkOfPosition(x, 0.0f, 0.0f, 32, 128).x, chunk) << x;
    EXPECT_EQ(ChunkOfPosition(100.0f, 128.0f, -1.0f, 32, 128), (ChunkKey{3, 1, -1}));
}

// A fixed 4 x 4 window of 8 x 16 x 8 chunks.
class ChunkWrites : public WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        UseSmallWorld(8, 16, 4);
        Config().infiniteTerrain = false;
        ASSERT_TRUE(world.Initialize(nullptr));
    }
    Chunk& At(int32_t x, int32_t z) { return *world.FindChunk({x, 0, z}); }
    std::vector<ChunkKey> Dirty() {
        std::vector<ChunkKey> keys;
        for (const auto& [key, chunk] : world.Chunks())
            if (chunk->IsDirty()) keys.push_back(key);
        return keys;
    }
    VoxelWorld world;
};

TEST_F(ChunkWrites, SetBlockStoresZFastestAndMarksOnlyTheFacesItTouches) {
    Chunk& chunk = At(1, 1);
    EXPECT_EQ(chunk.Origin(), (BlockPosition{8, 0, 8}));
    EXPECT_FLOAT_EQ(chunk.Centre().x, 12.0f);
    EXPECT_FLOAT_EQ(chunk.Centre().y, 8.0f);
    EXPECT_FALSE(chunk.HasContent() || chunk.IsDirty() || chunk.IsQueued());
    EXPECT_EQ(GridBytes(chunk), std::string(8 * 8 * 16, '\0'));

    chunk.SetBlock(0, 3, 7, 1);  // on the x - 1 and z + 1 faces
    EXPECT_EQ(chunk.Grid().data[(0 * 16 + 3) * 8 + 7], 1);
    EXPECT_EQ(chunk.Grid().writeCount, 1u);
    EXPECT_TRUE(chunk.HasContent());
    EXPECT_EQ(Dirty(), (std::vector<ChunkKey>{{0, 0, 1}, {1, 0, 1}, {1, 0, 2}}));
    chunk.SetBlock(3, 3, 3, 0);  // an inner air write still counts, marks no neighbour
    EXPECT_EQ(chunk.Grid().writeCount, 2u);
    EXPECT_EQ(Dirty().size(), 3u);
}

TEST_F(ChunkWrites, SetColumnFillsBelowTheHeightKeepsTheTopLayerAirAndMarksNeighbours) {
    Chunk& chunk = At(1, 1);
    const auto column = [&] {
        std::string blocks;
        for (int y = 0; y < 16; ++y) blocks += static_cast<char>('0' + chunk.Block(2, y, 3));
        return blocks;
    };
    chunk.SetColumn(2, 3, -1);  // negative: nothing written, not even flags
    EXPECT_EQ(chunk.Grid().writeCount, 0u);
    EXPECT_FALSE(chunk.HasContent());
    EXPECT_TRUE(Dirty().empty());
    chunk.SetColumn(2, 3, 100);
    EXPECT_EQ(column(), "1111111111111110");
    EXPECT_EQ(chunk.Grid().writeCount, 17u);  // H + 1 per column
    EXPECT_EQ(Dirty(), (std::vector<ChunkKey>{{1, 0, 1}}));  // an inner column
    chunk.SetColumn(2, 3, 4);
    EXPECT_EQ(column(), "1111000000000000");
    chunk.SetColumn(2, 3, 0);
    EXPECT_EQ(column(), "0000000000000000");
    EXPECT_EQ(chunk.Grid().writeCount, 51u);

    At(1, 1).SetColumn(0, 7, 5);
    EXPECT_EQ(Dirty(), (std::vector<ChunkKey>{{0, 0, 1}, {1, 0, 1}, {1, 0, 2}}));
    // The corner chunk has no x - 1 or z - 1 link without infinite terrain.
    At(0, 0).SetColumn(0, 0, 5);
    EXPECT_EQ(Dirty(), (std::vector<ChunkKey>{{0, 0, 0}, {0, 0, 1}, {1, 0, 1}, {1, 0, 2}}));
}

TEST_F(ChunkWrites, BatchedColumnsMatchSingleColumns) {
    // Heights above the top, zero, and (second round) negative ones, which
    // leave their column as it was.
    for (const int offset : {0, -3}) {
        Chunk& single = At(1, 1);
        Chunk& batched = At(2, 2);
        for (Chunk* chunk : {&single, &batched}) chunk->Clear(), chunk->SetColumn(0, 0, 9);
        int32_t heights[8 * 8];
        for (int i = 0; i < 64; ++i) heights[i] = (i * 7) % 20 + offset;
        for (int i = 0; i < 64; ++i) single.SetColumn(i / 8, i % 8, heights[i]);
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
    EXPECT_EQ(Dirty(), (std::vector<ChunkKey>{{3, 0, 1}, {3, 0, 2}, {3, 0, 3}}));
    At(1, 1).SetRow(3, 4, 2, 5, row);
    EXPECT_EQ(At(1, 1).Grid().writeCount, 3u);
    EXPECT_EQ(Dirty().size(), 4u);
}

// Side links wrap round with infinite terrain and end at the edges without; y links are always null.
TEST_F(ChunkWrites, LinksFollowTheInfiniteTerrainSetting) {
    VoxelWorld wrapped;
    Config().infiniteTerrain = true;
    ASSERT_TRUE(wrapped.Initialize(nullptr));
    const std::tuple<ChunkSide, int32_t, int32_t> sides[] = {{ChunkSide::XMinus, -1, 0}, {ChunkSide::XPlus, 1, 0},
                                                             {ChunkSide::ZMinus, 0, -1}, {ChunkSide::ZPlus, 0, 1}};
    for (VoxelWorld* w : {&world, &wrapped}) {
        for (const auto& [key, chunk] : w->Chunks()) {
            for (const auto& [side, dx, dz] : sides) {
                const int32_t x = key.x + dx, z = key.z + dz;
                const bool inside = x >= 0 && x < 4 && z >= 0 && z < 4;
                const Chunk* expected =
                    w == &wrapped || inside ? w->FindChunk({(x + 4) % 4, 0, (z + 4) % 4}) : nullptr;
                EXPECT_EQ(chunk->Neighbour(side), expected) << key.x << "," << key.z << " side " << int(side);
            }
            EXPECT_EQ(chunk->Neighbour(ChunkSide::YMinus), nullptr);
            EXPECT_EQ(chunk->Neighbour(ChunkSide::YPlus), nullptr);
        }
    }
}

class BlockLookup : public WorldTest {};

TEST_F(BlockLookup, WindowBoundsAndNegativeCoordinatesInTheLastSlots) {
    Config().loadSpeed = 0;
    Config().updateSpeed = 0;
    VoxelWorld world;
    ASSERT_TRUE(world.Initialize(nullptr));
    EXPECT_EQ(world.CentreChunk(), (ChunkKey{8, 0, 8}));
    EXPECT_EQ(world.ChunkCount(), 256u);
    world.FindChunk({15, 0, 0})->SetBlock(31, 127, 0, 1);
    world.FindChunk({0, 0, 0})->SetBlock(0, 0, 0, 1);
    const struct {
        int32_t x, y, z;
        bool solid;
    } window[] = {{511, 127, 0, true}, {0, 0, 0, true},   {1, 0, 0, false},    {512, 127, 0, false},
                  {-1, 0, 0, false},   {0, -1, 0, false}, {511, 128, 0, false}, {0, 0, 512, false}};
    for (const auto& c : window) EXPECT_EQ(world.IsBlockSolid(c.x, c.y, c.z), c.solid) << c.x << " " << c.y;

    world.Update(7.5f * 32.0f, 5.0f, 8.5f * 32.0f);  // window now x in [-32, 480)
    ASSERT_EQ(world.CentreChunk(), (ChunkKey{7, 0, 8}));
    world.FindChunk({15, 0, 8})->SetBlock(31, 4, 0, 1);  // x = -1
    world.FindChunk({15, 0, 8})->SetBlock(0, 5, 0, 1);   // x = -32
    world.FindChunk({14, 0, 8})->SetBlock(31, 6, 0, 1);  // x = -33, outside the window
    EXPECT_TRUE(world.IsBlockSolid(-1, 4, 256));
    EXPECT_TRUE(world.IsBlockSolid(-32, 5, 256));
    EXPECT_FALSE(world.IsBlockSolid(-33, 6, 256));
    EXPECT_FALSE(world.IsBlockSolid(-1, 5, 256));
}

class WorldSettingsRules : public WorldTest {};

TEST_F(WorldSettingsRules, BadSizesAreRefusedWithTheirRule) {
    const char* const width = "chunkWidth must be a positive multiple of 8";
    const char* const terrain = "terrainWidth must be a multiple of chunkWidth giving an even number of chunks";
    const char* const memory = "Cant reserve more than 2GB RAM.";
    const struct {
        int32_t width, height;
        uint32_t terrain;
        const char* message;
    } cases[] = {{12, 128, 48, width},      {0, 128, 64, width},
                 {32, 100, 512, "chunkHeight must be a positive multiple of 8"},
                 {32, 128, 500, terrain},   {32, 128, 480, terrain}, {32, 128, 0, terrain},
                 {32, 128, 1u << 31, memory},  // 2^69 bytes: more than any machine holds
                 {64, 1 << 30, 128, memory}};  // 2^42 blocks in one chunk
    for (const auto& c : cases) {
        CapturedMessages().clear();
        Config().chunkWidth = c.width;
        Config().chunkHeight = c.height;
        Config().terrainWidth = c.terrain;
        VoxelWorld world;
        EXPECT_FALSE(world.Initialize(nullptr)) << c.message;
        EXPECT_EQ(CapturedMessages(), std::vector<std::string>{c.message});
        EXPECT_EQ(world.ChunkCount(), 0u);
    }
    // The storage must fit the machine's memory, and each chunk's grid below 2^31 blocks.
    TypedSettings settings;
    EXPECT_EQ(BlockStorageBytes(settings), 512u * 512u * 128u);
    EXPECT_TRUE(BlockStorageFits(settings, 512u * 512u * 128u));
    EXPECT_FALSE(BlockStorageFits(settings, 512u * 512u * 128u - 1));
    EXPECT_TRUE(BlockStorageFits(settings, 0)) << "memory unknown";
    settings.terrainWidth = 8192;
    settings.chunkWidth = 4096;
    EXPECT_FALSE(BlockStorageFits(settings, 0)) << "4096 x 4096 x 128 blocks is 2^31";
    settings.chunkHeight = 120;
    EXPECT_TRUE(BlockStorageFits(settings, 0));
}
