#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <tuple>

#include "WorldTestSupport.h"
#include "text/OverlayRegistryAccess.h"
#include "world/WorldSettings.h"

TEST(WorldCoordinates, FloorDivisionRoundsDownForNegativeValues) {
    // value, quotient and remainder by 32
    for (const auto& c : {std::array{-1, -1, 31}, {-32, -1, 0}, {-33, -2, 31}, {31, 0, 31}})
        EXPECT_TRUE(FloorDivide(c[0], 32) == c[1] && FloorModulo(c[0], 32) == c[2]) << c[0];
    EXPECT_EQ(ChunkOfPosition(-0.1f, 128.0f, -32.5f, 32, 128), (ChunkKey{-1, 1, -2}));
}

// A window of 4 x 4 chunks of 8 x 16 x 8, fixed unless a test says otherwise.
class ChunkWrites : public WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        UseSmallWorld(8, 16, 4);
        settings.infiniteTerrain = false;
        settings.loadSpeed = settings.updateSpeed = 0;
        ASSERT_TRUE(world.Initialize(settings, nullptr));
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

// Blocks are stored z fastest, then y, then x; a write, even of air, counts
// and marks its chunk and the chunks across the faces it lies on. A column is
// solid below its height and never in the top layer, counts H + 1 writes, and
// a negative height writes nothing.
TEST_F(ChunkWrites, WritesCountAndMarkTheChunksAcrossTheFacesTheyTouch) {
    Chunk& chunk = At(1, 1);
    EXPECT_EQ(chunk.Origin(), (BlockPosition{8, 0, 8}));
    EXPECT_TRUE(chunk.Centre().x == 12.0f && chunk.Centre().y == 8.0f && chunk.Centre().z == 12.0f);
    EXPECT_FALSE(chunk.HasContent() || chunk.IsDirty() || chunk.IsQueued());
    chunk.SetColumn(2, 3, -1);
    EXPECT_FALSE(chunk.HasContent() || chunk.IsDirty());
    chunk.SetBlock(3, 3, 3, 0);  // inner: no neighbour
    EXPECT_TRUE(chunk.HasContent());
    EXPECT_EQ(Dirty(), (std::vector<ChunkKey>{{1, 0, 1}}));
    chunk.SetBlock(0, 3, 7, 1);  // on the x - 1 and z + 1 faces
    EXPECT_TRUE(chunk.Grid().data[(0 * 16 + 3) * 8 + 7] == 1 && chunk.Grid().writeCount == 2u);
    const uint8_t row[8] = {1, 0, 1, 1, 0, 0, 1, 1};
    At(3, 2).SetRow(7, 15, 0, 8, row);  // x + 1 has no chunk; z - 1 and z + 1 have
    EXPECT_TRUE(At(3, 2).Block(7, 15, 7) == 1 && At(3, 2).Grid().writeCount == 8u);
    At(0, 0).SetColumn(0, 7, 5);  // no x - 1 link without infinite terrain
    EXPECT_EQ(Dirty(), (std::vector<ChunkKey>{{0, 0, 0}, {0, 0, 1}, {1, 0, 1}, {1, 0, 2}, {3, 0, 1}, {3, 0, 2},
                                              {3, 0, 3}}));
    const std::pair<int32_t, int32_t> heights[] = {{100, 15}, {4, 4}, {0, 0}};  // height, solid blocks
    for (const auto& [height, solid] : heights) {
        chunk.SetColumn(2, 3, height);
        for (int y = 0; y < 16; ++y) EXPECT_EQ(chunk.Block(2, y, 3), y < solid ? 1 : 0) << height << " " << y;
    }
    EXPECT_EQ(chunk.Grid().writeCount, 2u + 3 * 17);
}

// Side links wrap round with infinite terrain and end at the edges without; y links are always null.
TEST_F(ChunkWrites, LinksFollowTheInfiniteTerrainSetting) {
    VoxelWorld wrapped;
    settings.infiniteTerrain = true;
    ASSERT_TRUE(wrapped.Initialize(settings, nullptr));
    const std::tuple<Direction, int32_t, int32_t> sides[] = {{Direction::XMinus, -1, 0}, {Direction::XPlus, 1, 0},
                                                             {Direction::ZMinus, 0, -1}, {Direction::ZPlus, 0, 1}};
    for (VoxelWorld* w : {&world, &wrapped}) {
        for (const auto& [key, chunk] : w->Chunks()) {
            for (const auto& [side, dx, dz] : sides) {
                const int32_t x = key.x + dx, z = key.z + dz;
                const bool inside = x >= 0 && x < 4 && z >= 0 && z < 4;
                const Chunk* expected = w == &wrapped || inside ? w->FindChunk({(x + 4) % 4, 0, (z + 4) % 4}) : nullptr;
                EXPECT_EQ(chunk->Neighbour(side), expected) << key.x << "," << key.z << " side " << int(side);
            }
            EXPECT_TRUE(!chunk->Neighbour(Direction::YMinus) && !chunk->Neighbour(Direction::YPlus)) << "y links";
        }
    }
    // Only blocks inside the window are solid; after a shift the slots of the
    // leaving layer hold the entering one, at negative coordinates here.
    wrapped.FindChunk({3, 0, 0})->SetBlock(7, 15, 0, 1);
    wrapped.FindChunk({0, 0, 0})->SetBlock(0, 0, 0, 1);
    const int32_t window[][4] = {{31, 15, 0, 1}, {0, 0, 0, 1},   {1, 0, 0, 0},   {32, 0, 0, 0},
                                 {-1, 0, 0, 0},  {0, -1, 0, 0},  {0, 16, 0, 0}, {0, 0, 32, 0}};  // x, y, z, solid
    for (const auto& c : window) EXPECT_EQ(wrapped.IsBlockSolid(c[0], c[1], c[2]), c[3] == 1) << c[0] << " " << c[1];
    wrapped.Update(1.5f * 8.0f, 5.0f, 2.5f * 8.0f);  // centre chunk x 1: the window is x in [-8, 24)
    ASSERT_EQ(wrapped.CentreChunk(), (ChunkKey{1, 0, 2}));
    wrapped.FindChunk({3, 0, 2})->SetBlock(7, 4, 0, 1);  // x = -1
    wrapped.FindChunk({3, 0, 2})->SetBlock(0, 5, 0, 1);  // x = -8
    EXPECT_TRUE(wrapped.IsBlockSolid(-1, 4, 16) && wrapped.IsBlockSolid(-8, 5, 16));
    EXPECT_FALSE(wrapped.IsBlockSolid(-1, 5, 16) || wrapped.IsBlockSolid(-9, 5, 16) || wrapped.IsBlockSolid(24, 5, 16));
}

TEST_F(WorldTest, BadSizesAreRefusedWithTheirRule) {
    const char* const widthRule = "chunkWidth must be a positive multiple of 8";
    const char* const heightRule = "chunkHeight must be a positive multiple of 8";
    const char* const terrainRule = "terrainWidth must be a multiple of chunkWidth giving an even number of chunks";
    const char* const memory = "Cant reserve more than 2GB RAM.";
    const std::tuple<int32_t, int32_t, uint32_t, const char*> cases[] = {  // width, height, terrain width
        {12, 128, 48, widthRule}, {0, 128, 64, widthRule}, {32, 100, 512, heightRule},
        {32, 128, 500, terrainRule}, {32, 128, 480, terrainRule}, {32, 128, 0, terrainRule},
        {32, 128, 1u << 31, memory},  // 2^69 bytes: more than any machine holds
        {64, 1 << 30, 128, memory}};  // 2^42 blocks in one chunk
    for (const auto& [width, height, terrain, message] : cases) {
        CapturedMessages().clear();
        std::tie(settings.chunkWidth, settings.chunkHeight, settings.terrainWidth) = std::tie(width, height, terrain);
        EXPECT_FALSE(ValidateWorldSettings(settings)) << message;
        EXPECT_EQ(CapturedMessages(), std::vector<std::string>{message});
    }
    // The storage must fit the machine's memory (0: unknown), and each chunk's grid below 2^31 blocks.
    settings = WorldSettingsFrom(TypedSettings{});
    EXPECT_TRUE(BlockStorageFits(settings, 512u * 512u * 128u) && BlockStorageFits(settings, 0));
    EXPECT_FALSE(BlockStorageFits(settings, 512u * 512u * 128u - 1));
    std::tie(settings.terrainWidth, settings.chunkWidth) = std::tuple(8192u, 4096);
    EXPECT_FALSE(BlockStorageFits(settings, 0)) << "4096 x 4096 x 128 blocks is 2^31";
    settings.chunkHeight = 120;
    EXPECT_TRUE(BlockStorageFits(settings, 0));
}

// A world's statistics callback lives from its start to its shutdown: a refresh after a second start asks only
// the second world, and a refresh after its shutdown asks nobody.
TEST_F(WorldTest, EachWorldRemovesItsStatisticsCallbackAtShutdown) {
    UseSmallWorld(8, 16, 2);
    const auto refresh = [] {
        std::vector<std::string> texts;
        for (TCallback* callback : RegisteredCallbacks()) {
            OverlayLine line;
            (*callback)(&line);
            texts.push_back(line.text);
        }
        return texts;
    };
    const std::pair<uint32_t, std::string> worlds[] = {{2, "chunks rendered   0 /   4 (     0 cubes)"},
                                                      {4, "chunks rendered   0 /  16 (     0 cubes)"}};
    for (const auto& [chunksPerSide, line] : worlds) {
        settings.terrainWidth = 8 * chunksPerSide;
        auto world = std::make_unique<VoxelWorld>();
        ASSERT_TRUE(world->Initialize(settings, nullptr));
        EXPECT_EQ(refresh(), std::vector<std::string>{line});
        world->Shutdown();
        EXPECT_TRUE(refresh().empty());
    }
}
