#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "WorldTestSupport.h"
#include "world/TerrainGenerator.h"

// A window of 4 x 4 chunks, 16 wide and 32 high, nothing generated yet.
class Generation : public WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        UseSmallWorld(16, 32, 4);
        settings.loadSpeed = 0;
        ASSERT_TRUE(world.Initialize(settings, nullptr));
        generator.Initialize(settings.mapSeed, 16, 32);
    }
    VoxelWorld world;
    TerrainGenerator generator;
};

// Every budget (0 included) and either chunk order give the block-by-block
// result and the same count of writes, whether columns are written one by one
// or all at once.
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
                ASSERT_EQ(GridBytes(*chunks[i]), expected[i]) << "method " << method << " budget " << budget;
                ASSERT_EQ(chunks[i]->Grid().writeCount, method == 1 ? 256u * 33 : 8192u) << "columns count H + 1";
            }
        }
    }
}

// Generation marks the chunks across the faces; a busy generator ignores the
// chunk it is handed and finishes its own.
TEST_F(Generation, CavesClearTheChunkWhenSamplingEndsAndABusyGeneratorKeepsItsChunk) {
    Chunk& chunk = *world.FindChunk({1, 0, 1});
    Chunk& other = *world.FindChunk({2, 0, 2});
    GenerateNow(generator, chunk, 1, 100000);
    ASSERT_TRUE(chunk.HasContent());
    for (const ChunkKey key : {ChunkKey{0, 0, 1}, {2, 0, 1}, {1, 0, 0}, {1, 0, 2}, {2, 0, 2}})
        EXPECT_EQ(world.FindChunk(key)->IsDirty(), key.x != 2 || key.z != 2) << "neighbours across faces only";
    // A cave sample costs 1: the call that takes the 45th (last) one stops at the first fill check.
    EXPECT_EQ(generator.GenerateCaves(&chunk, 44), 45);
    EXPECT_TRUE(generator.IsBusy());
    EXPECT_FALSE(chunk.HasContent());
    EXPECT_EQ(GridBytes(chunk), std::string(16 * 16 * 32, '\0'));
    EXPECT_EQ(GenerateNow(generator, other, 2, 8191), std::vector<int32_t>{16 * 16 * 32});  // a unit per block
    EXPECT_TRUE(chunk.HasContent());
    EXPECT_FALSE(other.HasContent());
}

// Start-up generation shared out among threads gives, for every seed, method
// and size, the blocks of the block-by-block rules and the visible cubes of
// the plain scan, and leaves every chunk's counts and flags as the
// single-threaded start-up leaves them: also after a frame that left a job
// half done and moved a layer (then queued twice) on infinite terrain.
// Neighbours are marked by later writes as before.
TEST_F(Generation, ParallelStartUpMatchesTheOracleAndTheSingleThreadedOne) {
    using Case = std::tuple<const char*, int, int32_t, int32_t, bool>;  // seed, method, width, height, infinite
    for (const auto& [seed, method, width, height, infinite] :
         {Case{"voxmere", 1, 16, 32, true}, Case{"\xD8", 2, 8, 16, true}, Case{"a", 2, 24, 16, false}}) {
        settings = WorldSettingsFrom(TypedSettings{});
        UseSmallWorld(width, height, 4);
        std::tie(settings.mapSeed, settings.mapGenerationMethod, settings.infiniteTerrain) =
            std::tuple(seed, method, infinite);
        settings.loadSpeed = 200;
        VoxelWorld single, parallel;
        ASSERT_TRUE(single.Initialize(settings, nullptr) && parallel.Initialize(settings, nullptr));
        for (VoxelWorld* w : {&single, &parallel}) w->Update(3.5f * width, 0.0f, 2.5f * width);
        single.PreGenerate(100000, 10000);
        parallel.PreGenerateInParallel(3);
        TerrainGenerator oracle;
        oracle.Initialize(seed, width, height);
        EXPECT_EQ(parallel.GenerationQueueSize() + parallel.RebuildQueueSize(), 0u);
        for (const auto& [key, chunk] : parallel.Chunks()) {
            const Chunk& expected = *single.FindChunk(key);
            const std::string where = std::string("seed '") + seed + "' method " + std::to_string(method);
            ASSERT_EQ(GridBytes(*chunk), ReferenceChunkBlocks(oracle.Noise(), method, chunk->Origin(), width, height))
                << where;
            ASSERT_EQ(VisibleFloats(*chunk), ReferenceVisibleCubes(*chunk)) << where;
            EXPECT_EQ(VisibleFloats(*chunk), VisibleFloats(expected)) << where;
            EXPECT_EQ(chunk->Grid().writeCount, expected.Grid().writeCount) << where;
            EXPECT_TRUE(chunk->IsDirty() == expected.IsDirty() && chunk->HasContent() == expected.HasContent() &&
                        chunk->IsQueued() == expected.IsQueued()) << where;
        }
        parallel.FindChunk({1, 0, 1})->SetBlock(0, 1, 1, 1);
        EXPECT_TRUE(parallel.FindChunk({0, 0, 1})->IsDirty()) << seed;
    }
}
