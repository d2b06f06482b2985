#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "WorldTestSupport.h"
#include "world/TerrainGenerator.h"

// A window of 4 x 4 chunks, 16 wide and 32 high, nothing generated yet.
class Generation : public WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        UseSmallWorld(16, 32, 4);
        Config().loadSpeed = 0;
        ASSERT_TRUE(world.Initialize(nullptr));
        generator.Initialize(Config().mapSeed, 16, 32);
    }
    VoxelWorld world;
    TerrainGenerator generator;
};

// Every budget (0 included) and either chunk order give the block-by-block result.
TEST_F(Generation, BothMethodsMatchTheBlockByBlockRulesForAnyBudgetAndOrder) {
    std::vector<Chunk*> chunks;
    for (auto& entry : world.Chunks()) chunks.push_back(entry.second);
    for (const int method : {1, 2}) {
        std::vector<std::string> expected;
        size_t solid = 0;
        for (Chunk* chunk : chunks) {
            expected.push_back(ReferenceChunkBlocks(generator.Noise(), method, chunk->Origin(), 16, 32));
            solid += static_cast<size_t>(std::count(expected.back().begin(), expected.back().end(), '\1'));
        }
        const size_t total = chunks.size() * 16 * 16 * 32;
        EXPECT_TRUE(solid > total / 10 && solid < total * 9 / 10) << "a real landscape, neither empty nor full";
        for (const int32_t budget : {100000, 0, 7, 777, 4099}) {
            for (size_t k = 0; k < chunks.size(); ++k) {
                const size_t i = budget % 2 ? chunks.size() - 1 - k : k;  // odd budgets walk backwards
                chunks[i]->Clear();
                GenerateNow(generator, *chunks[i], method, budget);
                ASSERT_EQ(GridBytes(*chunks[i]), expected[i]) << "method " << method << " budget " << budget
                                                              << " chunk " << i;
            }
        }
    }
}

// A call stops once its count exceeds the budget: a sample of the height
// map costs 5, a column 1; a cave sample or block 1.
TEST_F(Generation, WorkCountsPerCall) {
    EXPECT_EQ(GenerateNow(generator, *world.FindChunk({0, 0, 0}), 2, 100000),
              std::vector<int32_t>{3 * 3 * 5 + 16 * 16 * 32});
    TerrainGenerator defaults;
    defaults.Initialize("voxmere", 32, 128);
    Chunk chunk;
    chunk.Initialize(32, 128);
    chunk.MoveTo({96, 0, 128});
    EXPECT_EQ(GenerateNow(defaults, chunk, 1, 100000), std::vector<int32_t>{25 * 5 + 1024});
    EXPECT_EQ(GenerateNow(defaults, chunk, 1, 1000), (std::vector<int32_t>{1001, 148}));
    const std::vector<int32_t> single = GenerateNow(defaults, chunk, 1, 0);  // one unit per call
    ASSERT_EQ(single.size(), 25u + 1024u);
    EXPECT_TRUE(single.front() == 5 && single.back() == 1);
    EXPECT_EQ(std::accumulate(single.begin(), single.end(), 0), 1149);
}

// A busy generator ignores the chunk it is handed and finishes its own.
TEST_F(Generation, CavesClearTheChunkWhenSamplingEndsAndABusyGeneratorKeepsItsChunk) {
    Chunk& chunk = *world.FindChunk({1, 0, 1});
    Chunk& other = *world.FindChunk({2, 0, 2});
    GenerateNow(generator, chunk, 1, 100000);
    ASSERT_TRUE(chunk.HasContent());
    // The call that takes the 45th (last) sample stops at the first fill check.
    EXPECT_EQ(generator.GenerateCaves(&chunk, 44), 45);
    EXPECT_TRUE(generator.IsBusy() && !generator.IsSamplingPending());
    EXPECT_FALSE(chunk.HasContent());
    EXPECT_EQ(GridBytes(chunk), std::string(16 * 16 * 32, '\0'));
    while (generator.IsBusy()) generator.GenerateCaves(&other, 10);
    EXPECT_TRUE(chunk.HasContent());
    EXPECT_FALSE(other.HasContent());
}

// Start-up generation shared out among threads gives, for every seed, method
// and size, the blocks of the block-by-block rules and the visible cubes of
// the plain scan, and leaves every chunk's counts and flags as the
// single-threaded start-up leaves them.
TEST_F(Generation, ParallelStartUpMatchesTheOracleAndTheSingleThreadedOne) {
    struct Case {
        const char* seed;
        int method;
        int32_t width, height;
        bool infinite;
    };
    for (const Case& c : {Case{"voxmere", 1, 16, 32, true}, Case{"\xD8", 2, 8, 16, true}, Case{"a", 2, 24, 16, false}}) {
        Config() = TypedSettings{};
        UseSmallWorld(c.width, c.height, 4);
        Config().mapSeed = c.seed;
        Config().mapGenerationMethod = c.method;
        Config().infiniteTerrain = c.infinite;
        VoxelWorld single, parallel;
        ASSERT_TRUE(single.Initialize(nullptr) && parallel.Initialize(nullptr));
        single.PreGenerate(100000, 10000);
        parallel.PreGenerateInParallel(3);
        TerrainGenerator oracle;
        oracle.Initialize(c.seed, c.width, c.height);
        EXPECT_EQ(parallel.GenerationQueueSize() + parallel.RebuildQueueSize(), 0u);
        for (const auto& [key, chunk] : parallel.Chunks()) {
            const Chunk& expected = *single.FindChunk(key);
            const std::string where = std::string("seed '") + c.seed + "' method " + std::to_string(c.method);
            ASSERT_EQ(GridBytes(*chunk), ReferenceChunkBlocks(oracle.Noise(), c.method, chunk->Origin(), c.width, c.height))
                << where;
            ASSERT_EQ(VisibleFloats(*chunk), ReferenceVisibleCubes(*chunk)) << where;
            EXPECT_EQ(VisibleFloats(*chunk), VisibleFloats(expected)) << where;
            EXPECT_EQ(chunk->Grid().writeCount, expected.Grid().writeCount) << where;
            EXPECT_TRUE(chunk->HasContent() == expected.HasContent() && chunk->IsDirty() == expected.IsDirty() &&
                        chunk->IsQueued() == expected.IsQueued())
                << where;
        }
    }
}
