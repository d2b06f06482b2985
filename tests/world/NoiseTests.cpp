#include <gtest/gtest.h>

#include <array>

#include "WorldTestSupport.h"
#include "world/SimplexNoise.h"
#include "world/TerrainGenerator.h"

// Expected tables, noise values and heights come from a separate double-precision
// Python version of Gustavson's simplex noise with this program's seeding rule
// (first seed byte as a signed char, multiply-with-carry generator), octaves and
// column rule (trunc(128 h) + 128) / 2. The points use all twelve gradients and
// all six 3-D simplex orders, away from cell borders.

// "\xD8" widens to 0xFFFFFFD8 (w = 0x3FFFFFF6, z = 0x0FFFFFFD); the second half repeats the first.
TEST(SimplexNoise, FirstByteAsSignedCharBuildsTheTablesAndFastFloorMapsNonPositiveIntegersOneLower) {
    const std::pair<const char*, std::array<int, 8>> cases[] = {{"abc", {98, 235, 28, 150, 2, 7, 4, 6}},
                                                                {"\xD8rest", {164, 209, 59, 65, 8, 5, 11, 5}},
                                                                {"voxmere", {241, 81, 216, 160, 1, 9, 0, 4}}};
    for (const auto& [seed, tables] : cases) {
        SimplexNoise noise;
        noise.Initialize(seed);
        for (int i = 0; i < 4; ++i) EXPECT_TRUE(noise.Perm(i) == tables[i] && noise.PermMod12(i) == tables[4 + i]) << i;
        for (int i = 0; i < 256; ++i)
            ASSERT_TRUE(noise.Perm(i + 256) == noise.Perm(i) && noise.PermMod12(i + 256) == noise.Perm(i) % 12) << i;
    }
    const std::pair<float, int> floors[] = {{0.0f, -1}, {-2.0f, -3}, {-0.5f, -1}, {2.0f, 2}, {2.7f, 2}, {0.001f, 0}};
    for (const auto& [in, out] : floors) EXPECT_EQ(FastFloor(in), out) << in;
}

// By the whole text: FNV-1a 64 of the bytes, the SplitMix64 finaliser, its
// low word | 1 as w and high word | 1 as z (tables from the Python version).
// Seeds that share a first byte differ then, and only then.
TEST(SimplexNoise, WholeTextSeedsTheTablesFromEveryByte) {
    const std::pair<const char*, std::array<int, 8>> cases[] = {{"voxmere", {100, 145, 62, 125, 4, 1, 2, 5}},
                                                                {"valley", {136, 74, 115, 119, 4, 2, 7, 11}},
                                                                {"", {65, 37, 84, 235, 5, 1, 0, 7}}};
    for (const auto& [seed, tables] : cases) {
        SimplexNoise noise;
        noise.Initialize(seed, SeedRule::WholeText);
        for (int i = 0; i < 4; ++i) EXPECT_TRUE(noise.Perm(i) == tables[i] && noise.PermMod12(i) == tables[4 + i]) << i;
    }
    SimplexNoise first, second;
    first.Initialize("voxmere", SeedRule::FirstByte);
    second.Initialize("valley", SeedRule::FirstByte);
    for (int i = 0; i < SimplexNoise::kTableSize; ++i) ASSERT_EQ(first.Perm(i), second.Perm(i)) << i;
}

TEST(SimplexNoiseValues, MatchTheIndependentlyComputedOnes) {
    SimplexNoise noise;
    noise.Initialize("voxmere");
    const std::array<float, 3> plane[] = {{89.875f, -8.25f, 0.820913174f},  {3.0f, -51.875f, 0.130020449f},
                                          {-69.25f, 3.625f, 0.618884151f},  {-98.375f, 78.25f, -0.477845213f},
                                          {21.25f, -98.0f, -0.484287911f}};
    for (const auto& p : plane) EXPECT_NEAR(noise.Noise2D(p[0], p[1]), p[2], 1e-5) << p[0] << " " << p[1];
    const std::array<float, 4> space[] = {
        {80.0f, -90.25f, 41.375f, 0.017241796f},   {-73.125f, 49.5f, -79.375f, -0.127051726f},
        {-20.75f, -76.5f, 65.125f, -0.128088091f}, {-56.25f, 92.625f, -93.5f, 0.161374689f},
        {-57.625f, -44.375f, -85.0f, 0.047212059f}, {56.75f, -46.875f, 40.0f, 0.031032324f}};
    for (const auto& p : space) EXPECT_NEAR(noise.Noise3D(p[0], p[1], p[2]), p[3], 1e-5) << p[0] << " " << p[1];
    EXPECT_NEAR(noise.OctaveNoise2D(100.0f, 37.0f), 0.042827599, 1e-5);
    EXPECT_NEAR(noise.OctaveNoise3D(100.0f, 37.0f, 250.0f), 0.023728587, 1e-5);
}

// Surface heights of the default 32 x 128 chunks: blocks below the column
// height are solid. Columns at x and -x mirror each other. Samples cost 5
// units, columns 1, and a call stops once its count exceeds the budget.
TEST(TerrainHeights, MatchTheIndependentlyComputedOnes) {
    TerrainGenerator generator;
    generator.Initialize("voxmere", 32, 128);
    const int32_t columns[][5] = {{0, 0, 5, 7, 46},       {-32, 0, -5, 7, 46},     {0, 0, 16, 24, 29},
                                  {-32, 0, -16, 24, 29},  {0, 0, 27, 3, 55},       {64, -96, 70, -90, 45},
                                  {64, -96, 93, -71, 97}, {64, -96, 64, -96, 47}};  // origin x, z; x, z; height
    for (const auto& c : columns) {
        Chunk chunk;
        chunk.Initialize(32, 128);
        chunk.MoveTo({c[0], 0, c[1]});
        EXPECT_EQ(GenerateNow(generator, chunk, 1, 1000), (std::vector<int32_t>{1001, 25 * 5 + 1024 - 1001}));
        int32_t solid = 0;
        while (solid < 128 && chunk.Block(c[2] - c[0], solid, c[3] - c[1]) != 0) ++solid;
        EXPECT_EQ(solid, c[4]) << "column " << c[2] << ", " << c[3];
    }
}
