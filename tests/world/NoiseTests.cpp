#include <gtest/gtest.h>

#include "WorldTestSupport.h"
#include "world/SimplexNoise.h"
#include "world/TerrainGenerator.h"

namespace {
std::vector<int> FirstPerm(const SimplexNoise& noise, int count) {
    std::vector<int> values;
    for (int i = 0; i < count; ++i) values.push_back(noise.Perm(i));
    return values;
}
std::vector<int> FirstPermMod12(const SimplexNoise& noise, int count) {
    std::vector<int> values;
    for (int i = 0; i < count; ++i) values.push_back(noise.PermMod12(i));
    return values;
}
}  // namespace

TEST(SimplexNoiseSeed, LetterAGivesTheWorkedExampleTables) {
    SimplexNoise noise;
    noise.Initialize("abc");
    EXPECT_EQ(FirstPerm(noise, 4), (std::vector<int>{98, 235, 28, 150}));
    EXPECT_EQ(FirstPermMod12(noise, 4), (std::vector<int>{2, 7, 4, 6}));
}

TEST(SimplexNoiseSeed, TablesRepeatInTheUpperHalfAndStayBelow255) {
    SimplexNoise noise;
    noise.Initialize("voxmere");
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(noise.Perm(i), noise.Perm(i + 256));
        ASSERT_EQ(noise.PermMod12(i), noise.Perm(i) % 12);
        ASSERT_GE(noise.Perm(i), 0);
        ASSERT_LE(noise.Perm(i), 254);
    }
}

// 0xD8 widens as a signed byte to 0xFFFFFFD8 (w = 0x3FFFFFF6, z = 0x0FFFFFFD).
TEST(SimplexNoiseSeed, HighFirstByteIsWidenedAsSignedValue) {
    SimplexNoise noise;
    noise.Initialize("\xD8rest");
    EXPECT_EQ(FirstPerm(noise, 4), (std::vector<int>{164, 209, 59, 65}));
    EXPECT_EQ(FirstPermMod12(noise, 4), (std::vector<int>{8, 5, 11, 5}));
}

TEST(SimplexNoiseSeed, OnlyTheFirstByteMatters) {
    SimplexNoise a, b, empty, zero;
    a.Initialize("voxmere");
    b.Initialize("v");
    empty.Initialize("");
    zero.Initialize(std::string(1, '\0'));
    EXPECT_EQ(FirstPerm(a, 512), FirstPerm(b, 512));
    EXPECT_EQ(FirstPerm(empty, 512), FirstPerm(zero, 512));
    EXPECT_NE(FirstPerm(a, 512), FirstPerm(empty, 512));
}

TEST(FastFloor, NonPositiveIntegersMapOneLower) {
    EXPECT_EQ(FastFloor(0.0f), -1);
    EXPECT_EQ(FastFloor(-2.0f), -3);
    EXPECT_EQ(FastFloor(-0.5f), -1);
    EXPECT_EQ(FastFloor(-2.5f), -3);
    EXPECT_EQ(FastFloor(2.0f), 2);
    EXPECT_EQ(FastFloor(2.7f), 2);
    EXPECT_EQ(FastFloor(0.001f), 0);
}

TEST(SimplexNoiseValues, StayInsideTheUnitRangeAndDependOnTheSeed) {
    SimplexNoise a, b;
    a.Initialize("a");
    b.Initialize("z");
    bool differs = false;
    for (int i = 0; i < 2000; ++i) {
        const float x = static_cast<float>(i) * 0.37f - 300.0f;
        const float y = static_cast<float>(i % 97) * 1.13f;
        const float n2 = a.Noise2D(x, y);
        const float n3 = a.Noise3D(x, y, x * 0.5f);
        ASSERT_LE(std::abs(n2), 1.0f);
        ASSERT_LE(std::abs(n3), 1.0f);
        differs = differs || n2 != b.Noise2D(x, y);
    }
    EXPECT_TRUE(differs);
}

// The octave sum is (N(x/128) + 0.5 N(x/64)) / 1.5 for two octaves.
TEST(SimplexNoiseValues, OctaveSumWeightsTheOctaves) {
    SimplexNoise noise;
    noise.Initialize("voxmere");
    const float x = 100.0f, y = 37.0f;
    const float expected = (noise.Noise2D(x * 0.0078125f, y * 0.0078125f) * 1.0f +
                            noise.Noise2D(x * 0.015625f, y * 0.015625f) * 0.5f) /
                           1.5f;
    EXPECT_EQ(noise.OctaveNoise2D(x, y), expected);
}

class SeedTerrain : public WorldTest {};

TEST_F(SeedTerrain, SeedsSharingAFirstByteGiveTheSameTerrain) {
    UseSmallWorld(16, 32, 2);
    VoxelWorld world;
    ASSERT_TRUE(world.Initialize(nullptr));
    Chunk& chunk = *world.FindChunk({1, 0, 0});
    for (const int method : {1, 2}) {
        std::string first;
        for (const char* seed : {"voxmere", "very different text"}) {
            TerrainGenerator generator;
            generator.Initialize(seed, 16, 32);
            chunk.Clear();
            GenerateNow(generator, chunk, method, 100000);
            if (first.empty()) {
                first = GridBytes(chunk);
            } else {
                EXPECT_EQ(GridBytes(chunk), first) << "method " << method;
            }
        }
    }
}
