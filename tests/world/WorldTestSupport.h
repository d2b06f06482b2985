#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/Settings.h"
#include "platform/ErrorMessage.h"
#include "world/Chunk.h"
#include "world/VoxelWorld.h"

// Every message shown while a test runs.
std::vector<std::string>& CapturedMessages();

// Small worlds for fast tests; resets the settings, the captured messages and
// the overlay registry around each test.
class WorldTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // chunkWidth x chunkHeight chunks, chunksPerSide per side.
    static void UseSmallWorld(int32_t chunkWidth, int32_t chunkHeight, uint32_t chunksPerSide);

private:
    ErrorMessageSink previousSink_ = nullptr;
};

class TerrainGenerator;

// Runs one generation job (method 1 or 2) to its end; returns the work count
// of every call.
std::vector<int32_t> GenerateNow(TerrainGenerator& generator, Chunk& chunk, int method, int32_t budget);

// Rebuilds a chunk's visible-cube list at once.
void RebuildNow(Chunk& chunk);

// The blocks of a chunk as one string of bytes, for whole-grid comparisons.
std::string GridBytes(const Chunk& chunk);
