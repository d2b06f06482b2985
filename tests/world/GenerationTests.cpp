#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "ReferenceTerrain.h"
#include "WorldTestSupport.h"
#include "world/TerrainGenerator.h"

class Generation : public WorldTest {
protected:
    // A window of 4 x 4 chunks, 16 wide and 32 high, nothing generated yet.
    void Build(bool infinite = true) {
        UseSmallWorld(16, 32, 4);
        Config().infiniteTerrain = infinite;
        ASSERT_TRUE(world.Initialize(nullptr));
        generator.Initialize(Config().mapSeed, 16, 32);
    }
    std::vector<std::string> GenerateAll(int method, int32_t budget) {
        std::vector<std::string> grids;
        for (auto& entry : world.Chunks()) {
            entry.second->Clear();
            GenerateNow(generator, *entry.second, method, budget);
            grids.push_back(GridBytes(*entry.second));
        }
        return grids;
    }
    VoxelWorld world;
    TerrainGenerator generator;
};

TEST_F(Generation, BothMethodsMatchTheBlockByBlockRules) {
    Build();
    for (const int method : {1, 2}) {
        const std::vector<std::string> grids = GenerateAll(method, 100000);
        size_t solid = 0, total = 0;
        for (const std::string& grid : grids) {
            solid += static_cast<size_t>(std::count(grid.begin(), grid.end(), '\1'));
            total += grid.size();
        }
        EXPECT_GT(solid, total / 10);  // a real landscape, neither empty nor full
        EXPECT_LT(solid, total * 9 / 10);
        size_t i = 0;
        for (auto& entry : world.Chunks()) {
            const std::string expected =
                ReferenceChunkBlocks(generator.Noise(), method, entry.second->Origin(), 16, 32);
            EXPECT_EQ(grids[i++], expected) << "method " << method << " chunk " << entry.first.x << ","
                                            << entry.first.z;
        }
    }
}

TEST_F(Generation, ResultDoesNotDependOnTheBudget) {
    Build();
    for (const int method : {1, 2}) {
        const std::vector<std::string> expected = GenerateAll(method, 100000);
        for (const int32_t budget : {0, 1, 4, 7, 130, 1000, 4099}) {
            EXPECT_EQ(GenerateAll(method, budget), expected) << "method " << method << " budget " << budget;
        }
    }
}

TEST_F(Generation, OrderOfChunksDoesNotMatter) {
    Build();
    const std::vector<std::string> forward = GenerateAll(2, 100000);
    std::vector<std::string> backward(forward.size());
    size_t i = forward.size();
    for (auto it = world.Chunks().rbegin(); it != world.Chunks().rend(); ++it) {
        it->second->Clear();
        GenerateNow(generator, *it->second, 2, 777);
        backward[--i] = GridBytes(*it->second);
    }
    EXPECT_EQ(backward, forward);
}

TEST_F(Generation, HeightmapChunkCostsSamplesTimesFivePlusColumns) {
    VoxelWorld big;
    ASSERT_TRUE(big.Initialize(nullptr));
    TerrainGenerator defaults;
    defaults.Initialize("voxmere", 32, 128);
    Chunk& chunk = *big.FindChunk({3, 0, 4});
    EXPECT_EQ(GenerateNow(defaults, chunk, 1, 100000), std::vector<int32_t>{1149});
    EXPECT_EQ(GenerateNow(defaults, chunk, 1, 1000), (std::vector<int32_t>{1001, 148}));
    // A budget of 0 still does one unit per call: 25 samples, then 1024 columns.
    const std::vector<int32_t> single = GenerateNow(defaults, chunk, 1, 0);
    ASSERT_EQ(single.size(), 25u + 1024u);
    EXPECT_EQ(single.front(), 5);
    EXPECT_EQ(single.back(), 1);
    EXPECT_EQ(std::accumulate(single.begin(), single.end(), 0), 1149);
    EXPECT_FALSE(defaults.IsBusy());
}

TEST_F(Generation, CavesCostOnePerSampleAndBlock) {
    Build();
    Chunk& chunk = *world.FindChunk({0, 0, 0});
    const std::vector<int32_t> counts = GenerateNow(generator, chunk, 2, 100000);
    EXPECT_EQ(counts, std::vector<int32_t>{3 * 3 * 5 + 16 * 16 * 32});
}

TEST_F(Generation, CavesClearTheChunkWhenSamplingEnds) {
    Build();
    Chunk& chunk = *world.FindChunk({1, 0, 1});
    GenerateNow(generator, chunk, 1, 100000);
    ASSERT_TRUE(chunk.HasContent());
    // 45 samples: the call that takes the 45th sample ends sampling and then
    // stops at the first fill check.
    EXPECT_EQ(generator.GenerateCaves(&chunk, 44), 45);
    EXPECT_TRUE(generator.IsBusy());
    EXPECT_FALSE(generator.IsSamplingPending());
    EXPECT_FALSE(chunk.HasContent());
    EXPECT_EQ(chunk.Grid().writeCount, 0u);
    EXPECT_EQ(GridBytes(chunk), std::string(16 * 16 * 32, '\0'));
}

TEST_F(Generation, BusyGeneratorIgnoresTheChunkArgument) {
    Build();
    Chunk& first = *world.FindChunk({0, 0, 0});
    Chunk& other = *world.FindChunk({2, 0, 2});
    generator.GenerateHeightmap(&first, 10);
    while (generator.IsBusy()) generator.GenerateHeightmap(&other, 10);
    EXPECT_TRUE(first.HasContent());
    EXPECT_FALSE(other.HasContent());
}

TEST_F(Generation, TerrainIsMirroredAboutXZeroAndZZero) {
    Config().loadSpeed = 0;
    Build();
    // Move the window so that it straddles x = 0 and z = 0: centre (1, 0, 1)
    // becomes (0, 0, 0), then (-1, 0, -1) is reached step by step.
    world.Update(16.5f, 1.0f, 16.5f);
    world.Update(0.5f, 1.0f, 0.5f);
    ASSERT_EQ(world.CentreChunk(), (ChunkKey{0, 0, 0}));
    for (const int method : {1, 2}) {
        GenerateAll(method, 100000);
        for (int32_t x = 1; x < 32; x += 3) {
            for (int32_t z = 0; z < 32; z += 5) {
                for (int32_t y = 0; y < 32; ++y) {
                    ASSERT_EQ(world.IsBlockSolid(x, y, z), world.IsBlockSolid(-x, y, z)) << x << " " << y << " " << z;
                    ASSERT_EQ(world.IsBlockSolid(x, y, z), world.IsBlockSolid(x, y, -z)) << x << " " << y << " " << z;
                }
            }
        }
    }
}
