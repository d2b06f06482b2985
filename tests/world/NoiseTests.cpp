#include <gtest/gtest.h>

#include "WorldTestSupport.h"
#include "world/SimplexNoise.h"
#include "world/TerrainGenerator.h"

// Expected noise values and heights come from an independent double-precision
// Python version of Gustavson's published simplex noise with this program's
// seeding rule (first seed byte as a signed char, the multiply-with-carry
// generator, perm = int((r + 1) * 2.328306435454494e-10 * 255)), octaves and
// column rule (trunc(128 h) + 128) / 2. The points were chosen so that
// together they use all twelve gradients and all six 3-D simplex orders, and
// lie away from cell borders.

TEST(SimplexNoiseSeed, FirstByteAsSignedCharBuildsTheTables) {
    // "\xD8" widens to 0xFFFFFFD8 (w = 0x3FFFFFF6, z = 0x0FFFFFFD).
    const struct {
        const char* seed;
        std::vector<int> perm, mod12;
    } cases[] = {{"abc", {98, 235, 28, 150}, {2, 7, 4, 6}},
                 {"\xD8rest", {164, 209, 59, 65}, {8, 5, 11, 5}},
                 {"voxmere", {241, 81, 216, 160}, {1, 9, 0, 4}}};
    for (const auto& c : cases) {
        SimplexNoise noise;
        noise.Initialize(c.seed);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(noise.Perm(i), c.perm[i]) << c.seed << " " << i;
            EXPECT_EQ(noise.PermMod12(i), c.mod12[i]) << c.seed << " " << i;
        }
        for (int i = 0; i < 256; ++i) {
            ASSERT_TRUE(noise.Perm(i + 256) == noise.Perm(i) && noise.PermMod12(i + 256) == noise.Perm(i) % 12) << i;
        }
    }
}

TEST(FastFloor, NonPositiveIntegersMapOneLower) {
    const std::pair<float, int> cases[] = {{0.0f, -1}, {-2.0f, -3}, {-0.5f, -1}, {2.0f, 2}, {2.7f, 2}, {0.001f, 0}};
    for (const auto& [in, out] : cases) EXPECT_EQ(FastFloor(in), out) << in;
}

TEST(SimplexNoiseValues, MatchTheIndependentlyComputedOnes) {
    SimplexNoise noise;
    noise.Initialize("voxmere");
    const struct {
        float x, y;
        double value;
    } plane[] = {{89.875f, -8.25f, 0.820913174},  {3.0f, -51.875f, 0.130020449}, {-69.25f, 3.625f, 0.618884151},
                 {-98.375f, 78.25f, -0.477845213}, {21.25f, -98.0f, -0.484287911}};
    for (const auto& p : plane) EXPECT_NEAR(noise.Noise2D(p.x, p.y), p.value, 1e-5) << p.x << " " << p.y;
    const struct {
        float x, y, z;
        double value;
    } space[] = {{80.0f, -90.25f, 41.375f, 0.017241796},     {-73.125f, 49.5f, -79.375f, -0.127051726},
                 {-20.75f, -76.5f, 65.125f, -0.128088091},   {-56.25f, 92.625f, -93.5f, 0.161374689},
                 {-57.625f, -44.375f, -85.0f, 0.047212059}, {56.75f, -46.875f, 40.0f, 0.031032324}};
    for (const auto& p : space) EXPECT_NEAR(noise.Noise3D(p.x, p.y, p.z), p.value, 1e-5) << p.x << " " << p.y;
    EXPECT_NEAR(noise.OctaveNoise2D(100.0f, 37.0f), 0.042827599, 1e-5);
    EXPECT_NEAR(noise.OctaveNoise3D(100.0f, 37.0f, 250.0f), 0.023728587, 1e-5);
}

// Surface heights of the default 32 x 128 chunks: blocks below the column
// height are solid. Columns at x and -x mirror each other.
TEST(TerrainHeights, MatchTheIndependentlyComputedOnes) {
    TerrainGenerator generator;
    generator.Initialize("voxmere", 32, 128);
    const struct {
        BlockPosition origin;
        int32_t x, z, height;
    } columns[] = {{{0, 0, 0}, 5, 7, 46},       {{-32, 0, 0}, -5, 7, 46},      {{0, 0, 0}, 16, 24, 29},
                   {{-32, 0, 0}, -16, 24, 29},  {{0, 0, 0}, 27, 3, 55},        {{64, 0, -96}, 70, -90, 45},
                   {{64, 0, -96}, 93, -71, 97}, {{64, 0, -96}, 64, -96, 47}};
    for (const auto& c : columns) {
        Chunk chunk;
        chunk.Initialize(32, 128);
        chunk.MoveTo(c.origin);
        GenerateNow(generator, chunk, 1, 100000);
        int32_t solid = 0;
        while (solid < 128 && chunk.Block(c.x - c.origin.x, solid, c.z - c.origin.z) != 0) ++solid;
        EXPECT_EQ(solid, c.height) << "column " << c.x << ", " << c.z;
    }
}
