#pragma once

#include <gtest/gtest.h>

#include <string>

#include "config/Settings.h"
#include "input/InputState.h"
#include "player/Camera.h"
#include "player/Player.h"
#include "world/Chunk.h"
#include "world/VoxelWorld.h"

// A 4 x 1 x 4 window of 8 x 16 x 8 chunks, all air, nothing generated: the
// window covers x and z in [0, 32) and y in [0, 16); the player starts over
// the centre chunk (2, 0, 2) at (16, 16, 16), flying.
class SmallWorldTest : public ::testing::Test {
public:
    static constexpr float kFrame = 1.0f / 60.0f;

protected:
    void SetUp() override {
        Config() = TypedSettings{};
        Config().chunkWidth = 8;
        Config().chunkHeight = 16;
        Config().terrainWidth = 32;
        MouseAcceleration() = MouseFactors{};
        ASSERT_TRUE(world.Initialize(nullptr));
        ASSERT_TRUE(player.Initialize(nullptr, &world));
    }
    void TearDown() override {
        Config() = TypedSettings{};
        MouseAcceleration() = MouseFactors{};
    }
    void SetBlock(int32_t x, int32_t y, int32_t z, uint8_t value = 1) {
        world.FindChunk({x / 8, 0, z / 8})->SetBlock(x % 8, y, z % 8, value);
    }
    // A solid layer at height y over x in [x0, x1] and z in [z0, z1].
    void PlaceFloor(int32_t y, int32_t x0, int32_t x1, int32_t z0, int32_t z1) {
        for (int32_t x = x0; x <= x1; ++x)
            for (int32_t z = z0; z <= z1; ++z) SetBlock(x, y, z);
    }
    void RunFrames(int count, float dt = kFrame) {
        for (int i = 0; i < count; ++i) player.Update(dt);
    }
    void PlaceEye(Vec3 eye) {  // and rebuild the box there
        player.SetPosition(eye);
        player.RebuildBox();
    }
    // Presses forward, backward, left, right, up, down as given by "FBLRUD" letters.
    static void Hold(Player& subject, const char* keys) {
        const auto has = [&](char c) { return std::string(keys).find(c) != std::string::npos; };
        subject.SetIntents(has('F'), has('B'), has('L'), has('R'), has('U'), has('D'));
    }

    VoxelWorld world;
    Player player;
};
