#pragma once

#include <gtest/gtest.h>

#include "config/Settings.h"
#include "input/InputState.h"
#include "player/Camera.h"
#include "player/Player.h"
#include "world/Chunk.h"
#include "world/VoxelWorld.h"

// A 4 x 1 x 4 window of 8 x 16 x 8 chunks, all air, nothing generated: the
// window covers x and z in [0, 32) and y in [0, 16); the centre chunk is
// (2, 0, 2), so the player starts at (16, 16, 16), flying.
class SmallWorldTest : public ::testing::Test {
protected:
    static constexpr int32_t kChunkWidth = 8;
    static constexpr int32_t kChunkHeight = 16;
    static constexpr float kFrame = 1.0f / 60.0f;

    void SetUp() override {
        Config() = TypedSettings{};
        Config().chunkWidth = kChunkWidth;
        Config().chunkHeight = kChunkHeight;
        Config().terrainWidth = 32;
        Config().instantStart = true;
        MouseAcceleration() = MouseFactors{};
        ASSERT_TRUE(world.Initialize(nullptr));
        ASSERT_TRUE(player.Initialize(nullptr, &world));
    }

    void TearDown() override {
        world.Shutdown();
        Config() = TypedSettings{};
        MouseAcceleration() = MouseFactors{};
    }

    // Places a solid block at a world position inside the window.
    void PlaceBlock(int32_t x, int32_t y, int32_t z) {
        const ChunkKey slot{x / kChunkWidth, 0, z / kChunkWidth};
        world.FindChunk(slot)->SetBlock(x % kChunkWidth, y, z % kChunkWidth, 1);
    }

    // A solid layer at height y over x in [x0, x1] and z in [z0, z1].
    void PlaceFloor(int32_t y, int32_t x0, int32_t x1, int32_t z0, int32_t z1) {
        for (int32_t x = x0; x <= x1; ++x) {
            for (int32_t z = z0; z <= z1; ++z) {
                PlaceBlock(x, y, z);
            }
        }
    }

    void StartWalking() {
        if (player.IsFlying()) {
            player.ToggleFlight();
        }
    }

    void RunFrames(int count, float dt = kFrame) {
        for (int i = 0; i < count; ++i) {
            player.Update(dt);
        }
    }

    // Places the eye and rebuilds the box there, ready for the side tests.
    void PlaceEye(Vec3 eye) {
        player.SetPosition(eye);
        player.RebuildBox();
    }

    VoxelWorld world;
    Player player;
};
