#include <gtest/gtest.h>

#include <tuple>

#include "WorldTestSupport.h"
#include "world/WorldSettings.h"

TEST(WorldCoordinates, FloorDivisionRoundsDownForNegativeValues) {
    // value, divisor, quotient, remainder
    const int32_t cases[][4] = {{-1, 32, -1, 31}, {-32, 32, -1, 0}, {-33, 32, -2, 31}, {31, 32, 0, 31}};
    for (const auto& c : cases) {
        EXPECT_EQ(FloorDivide(c[0], c[1]), c[2]) << c[0] << " / " << c[1];
        EXPECT_EQ(FloorModulo(c[0], c[1]), c[3]) << c[0] << " % " << c[1];
    }
    EXPECT_EQ(ChunkOfPosition(-0.1f, 128.0f, -32.5f, 32, 128), (ChunkKey{-1, 1, -2}));
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
    std::string Column(Chunk& chunk, int x, int z) {
        std::string blocks;
        for (int y = 0; y < 16; ++y) blocks += static_cast<char>('0' + chunk.Block(x, y, z));
        return blocks;
    }
    VoxelWorld world;
};

// Blocks are stored z fastest, then y, then x; a write marks its chunk and
// the chunks across the faces it lies on.
TEST_F(ChunkWrites, WritesCountBlocksAndMarkTheChunksAcrossTheFacesTheyTouch) {
    Chunk& chunk = At(1, 1);
    EXPECT_EQ(chunk.Origin(), (BlockPosition{8, 0, 8}));
    EXPECT_TRUE(chunk.Centre().x == 12.0f && chunk.Centre().y == 8.0f && chunk.Centre().z == 12.0f);
    EXPECT_FALSE(chunk.HasContent() || chunk.IsDirty() || chunk.IsQueued());

    chunk.SetBlock(3, 3, 3, 0);  // an inner write, even of air, counts and marks no neighbour
    EXPECT_TRUE(chunk.HasContent());
    EXPECT_EQ(Dirty(), (std::vector<ChunkKey>{{1, 0, 1}}));
    chunk.SetBlock(0, 3, 7, 1);  // on the x - 1 and z + 1 faces
    EXPECT_EQ(chunk.Grid().data[(0 * 16 + 3) * 8 + 7], 1);
    EXPECT_EQ(chunk.Grid().writeCount, 2u);
    EXPECT_EQ(Dirty(), (std::vector<ChunkKey>{{0, 0, 1}, {1, 0, 1}, {1, 0, 2}}));

    const uint8_t row[8] = {1, 0, 1, 1, 0, 0, 1, 1};
    At(3, 2).SetRow(7, 15, 0, 8, row);  // x + 1 has no chunk; z - 1 and z + 1 have
    EXPECT_EQ(Column(At(3, 2), 7, 2).back(), '1');
    EXPECT_EQ(At(3, 2).Grid().writeCount, 8u);
    EXPECT_EQ(Dirty(), (std::vector<ChunkKey>{{0, 0, 1}, {1, 0, 1}, {1, 0, 2}, {3, 0, 1}, {3, 0, 2}, {3, 0, 3}}));
}

// A column is solid below its height and never in the top layer; each
// counts as H + 1 writes; a negative height writes nothing.
TEST_F(ChunkWrites, ColumnsFillBelowTheHeightAndBatchedColumnsMatchSingleOnes) {
    Chunk& chunk = At(1, 1);
    chunk.SetColumn(2, 3, -1);
    EXPECT_FALSE(chunk.HasContent() || chunk.IsDirty());
    const std::pair<int32_t, const char*> heights[] = {
        {100, "1111111111111110"}, {4, "1111000000000000"}, {0, "0000000000000000"}};
    for (const auto& [height, blocks] : heights) {
        chunk.SetColumn(2, 3, height);
        EXPECT_EQ(Column(chunk, 2, 3), blocks) << height;
    }
    EXPECT_EQ(chunk.Grid().writeCount, 51u);
    At(0, 0).SetColumn(0, 7, 5);  // no x - 1 link without infinite terrain
    EXPECT_EQ(Dirty(), (std::vector<ChunkKey>{{0, 0, 0}, {0, 0, 1}, {1, 0, 1}}));

    for (const int offset : {0, -3}) {  // the second round has negative heights, which leave columns as they were
        Chunk& single = At(2, 1);
        Chunk& batched = At(2, 2);
        for (Chunk* c : {&single, &batched}) c->Clear(), c->SetColumn(0, 0, 9);
        int32_t columnHeights[64];
        for (int i = 0; i < 64; ++i) columnHeights[i] = (i * 7) % 20 + offset;
        for (int i = 0; i < 64; ++i) single.SetColumn(i / 8, i % 8, columnHeights[i]);
        batched.SetAllColumns(columnHeights);
        EXPECT_EQ(GridBytes(single), GridBytes(batched)) << offset;
        EXPECT_EQ(single.Grid().writeCount, batched.Grid().writeCount) << offset;
    }
    EXPECT_TRUE(At(1, 2).IsDirty() && At(3, 2).IsDirty() && At(2, 3).IsDirty());
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
            EXPECT_TRUE(chunk->Neighbour(ChunkSide::YMinus) == nullptr && chunk->Neighbour(ChunkSide::YPlus) == nullptr);
        }
    }
}

// Only blocks inside the window are solid; after a shift the slots of the
// leaving layer hold the entering one, at negative coordinates here.
TEST_F(ChunkWrites, BlockLookupCoversOnlyTheWindowAndFollowsItsShift) {
    Config().infiniteTerrain = true;
    Config().loadSpeed = Config().updateSpeed = 0;
    VoxelWorld moving;
    ASSERT_TRUE(moving.Initialize(nullptr));
    moving.FindChunk({3, 0, 0})->SetBlock(7, 15, 0, 1);
    moving.FindChunk({0, 0, 0})->SetBlock(0, 0, 0, 1);
    const struct {
        int32_t x, y, z;
        bool solid;
    } window[] = {{31, 15, 0, true}, {0, 0, 0, true},   {1, 0, 0, false}, {32, 0, 0, false},
                  {-1, 0, 0, false}, {0, -1, 0, false}, {31, 16, 0, false}, {0, 0, 32, false}};
    for (const auto& c : window) EXPECT_EQ(moving.IsBlockSolid(c.x, c.y, c.z), c.solid) << c.x << " " << c.y;

    moving.Update(1.5f * 8.0f, 5.0f, 2.5f * 8.0f);  // centre chunk x 1: the window is x in [-8, 24)
    ASSERT_EQ(moving.CentreChunk(), (ChunkKey{1, 0, 2}));
    moving.FindChunk({3, 0, 2})->SetBlock(7, 4, 0, 1);  // x = -1
    moving.FindChunk({3, 0, 2})->SetBlock(0, 5, 0, 1);  // x = -8
    EXPECT_TRUE(moving.IsBlockSolid(-1, 4, 16) && moving.IsBlockSolid(-8, 5, 16));
    EXPECT_FALSE(moving.IsBlockSolid(-1, 5, 16) || moving.IsBlockSolid(-9, 5, 16) || moving.IsBlockSolid(24, 5, 16));
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
    } cases[] = {{12, 128, 48, width},     {0, 128, 64, width},
                 {32, 100, 512, "chunkHeight must be a positive multiple of 8"},
                 {32, 128, 500, terrain},  {32, 128, 480, terrain}, {32, 128, 0, terrain},
                 {32, 128, 1u << 31, memory},  // 2^69 bytes: more than any machine holds
                 {64, 1 << 30, 128, memory}};  // 2^42 blocks in one chunk
    for (const auto& c : cases) {
        CapturedMessages().clear();
        TypedSettings settings;
        std::tie(settings.chunkWidth, settings.chunkHeight, settings.terrainWidth) = std::tie(c.width, c.height, c.terrain);
        EXPECT_FALSE(ValidateWorldSettings(settings)) << c.message;
        EXPECT_EQ(CapturedMessages(), std::vector<std::string>{c.message});
    }
    // The storage must fit the machine's memory (0: unknown), and each chunk's grid below 2^31 blocks.
    TypedSettings settings;
    EXPECT_TRUE(BlockStorageFits(settings, 512u * 512u * 128u));
    EXPECT_FALSE(BlockStorageFits(settings, 512u * 512u * 128u - 1));
    EXPECT_TRUE(BlockStorageFits(settings, 0));
    settings.terrainWidth = 8192;
    settings.chunkWidth = 4096;
    EXPECT_FALSE(BlockStorageFits(settings, 0)) << "4096 x 4096 x 128 blocks is 2^31";
    settings.chunkHeight = 120;
    EXPECT_TRUE(BlockStorageFits(settings, 0));
}
