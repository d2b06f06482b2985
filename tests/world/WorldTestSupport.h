#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/Settings.h"
#include "platform/ErrorMessage.h"
#include "world/Chunk.h"
#include "world/VoxelWorld.h"
#include "world/WorldSettings.h"

class SimplexNoise;
class TerrainGenerator;

std::vector<std::string>& CapturedMessages();  // every message shown during the test

// Resets the world settings, the captured messages and the overlay registry around each test.
class WorldTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void UseSmallWorld(int32_t chunkWidth, int32_t chunkHeight, uint32_t chunksPerSide);

    WorldSettings settings;  // the defaults at the start of each test

private:
    ErrorMessageSink previousSink_ = nullptr;
};

// Runs one generation job (method 1 or 2) to its end; returns each call's work count.
std::vector<int32_t> GenerateNow(TerrainGenerator& generator, Chunk& chunk, int method, int32_t budget);
void RebuildNow(Chunk& chunk);
std::string GridBytes(const Chunk& chunk);
std::vector<float> Floats(const CubeInstance* cubes, uint32_t count);  // x, y, z of each cube
inline std::vector<float> VisibleFloats(const Chunk& c) { return Floats(c.VisibleCubes(), c.VisibleCount()); }

// The oracle: plain block-by-block versions of the terrain and visibility
// rules, slow and obvious, to check the batched code against.
std::string ReferenceChunkBlocks(const SimplexNoise& noise, int method, const BlockPosition& origin, int width,
                                 int height);
std::vector<float> ReferenceVisibleCubes(const Chunk& chunk);
std::vector<float> ReferenceFaces(const Chunk& chunk, Direction direction);  // x, y, z of each listed cube
