#include <gtest/gtest.h>

#include "WorldTestSupport.h"
#include "world/SimplexNoise.h"
#include "world/TerrainGenerator.h"

namespace {
std::vector<int> Perm(const SimplexNoise& noise, int count, bool mod12 = false) {
    std::vector<int> values;
    for (int i = 0; i < count; ++i) values.push_back(mod12 ? noise.PermMod12(i) : noise.Perm(i));
    return values;
}
}  // namespace

TEST(SimplexNoiseSeed, FirstByteBuildsTheTables) {
    // "\xD8" widens as a signed byte to 0xFFFFFFD8 (w = 0x3FFFFFF6, z = 0x0FFFFFFD).
    const struct {
        const char* seed;
        std::vector<int> perm, mod12;
    } cases[] = {{"abc", {98, 235, 28, 150}, {2, 7, 4, 6}}, {"\xD8rest", {164, 209, 59, 65}, {8, 5, 11, 5}}};
    for (const auto& c : cases) {
        SimplexNoise noise;
        noise.Initialize(c.seed);
        EXPECT_EQ(Perm(noise, 4), c.perm) << c.seed;
        EXPECT_EQ(Perm(noise, 4, true), c.mod12) << c.seed;
        for (int i = 0; i < 256; ++i) {
            ASSERT_EQ(noise.Perm(i), noise.Perm(i + 256)) << i;
            ASSERT_EQ(noise.PermMod12(i + 256), noise.Perm(i) % 12) << i;
            ASSERT_LE(noise.Perm(i), 254) << i;
        }
    }
    SimplexNoise a, b, empty, zero;
    a.Initialize("voxmere");
    b.Initialize("v");
    empty.Initialize("");
    zero.Initialize(std::string(1, '\0'));
    EXPECT_EQ(Perm(a, 512), Perm(b, 512));
    EXPECT_EQ(Perm(empty, 512), Perm(zero, 512));
    EXPECT_NE(Perm(a, 512), Perm(empty, 512));
}

TEST(FastFloor, NonPositiveIntegersMapOneLower) {
    const std::pair<float, int> cases[] = {{0.0f, -1}, {-2.0f, -3}, {-0.5f, -1}, {-2.5f, -3},
                                           {2.0f, 2},  {2.7f, 2},   {0.001f, 0}};
    for (const auto& [in, out] : cases) EXPECT_EQ(FastFloor(in), out) << in;
}

TEST(SimplexNoiseValues, StayInsideTheUnitRangeDependOnTheSeedAndWeightTheOctaves) {
    SimplexNoise a, b;
    a.Initialize("a");
    b.Initialize("z");
    bool differs = false;
    for (int i = 0; i < 2000; ++i) {
        const float x = static_cast<float>(i) * 0.37f - 300.0f, y = static_cast<float>(i % 97) * 1.13f;
        ASSERT_LE(std::abs(a.Noise2D(x, y)), 1.0f);
        ASSERT_LE(std::abs(a.Noise3D(x, y, x * 0.5f)), 1.0f);
        differs = differs || a.Noise2D(x, y) != b.Noise2D(x, y);
    }
    EXPECT_TRUE(differs);
    // Two octaves: (N(p/128) + 0.5 N(p/64)) / 1.5.
    EXPECT_EQ(a.OctaveNoise2D(100.0f, 37.0f),
              (a.Noise2D(100.0f / 128, 37.0f / 128) + a.Noise2D(100.0f / 64, 37.0f / 64) * 0.5f) / 1.5f);
}

class SeedTerrain : public WorldTest {};

TEST_F(SeedTerrain, SeedsSharingAFirstByteGiveTheSameTerrain) {
    UseSmallWorld(16, 32, 2);
    VoxelWorld world;
    ASSERT_TRUE(world.Initialize(nullptr));
    Chunk& chunk = *world.FindChunk({1, 0, 0});
    for (const int method : {1, 2}) {
        std::vector<std::string> grids;
        for (const char* seed : {"voxmere", "very different text"}) {
            TerrainGenerator generator;
            generator.Initialize(seed, 16, 32);
            chunk.Clear();
            GenerateNow(generator, chunk, method, 100000);
            grids.push_back(GridBytes(chunk));
        }
        EXPECT_EQ(grids[0], grids[1]) << "method " << method;
    }
}
