#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>

#include "config/Settings.h"
#include "input/InputState.h"
#include "player/Camera.h"
#include "player/Player.h"
#include "world/Chunk.h"
#include "world/VoxelWorld.h"

namespace {

constexpr float kHalfPi = 1.5707964f;
constexpr float kFrame = 1.0f / 60.0f;

// A 4 x 1 x 4 window of 8 x 16 x 8 chunks, all air: x and z in [0, 32), y in [0, 16); the player starts flying
// over the centre chunk (2, 0, 2) at (16, 16, 16).
class SmallWorldTest : public ::testing::Test {
protected:
    void SetUp() override {
        WorldSettings worldSettings = WorldSettingsFrom(TypedSettings{});
        worldSettings.chunkWidth = 8;
        worldSettings.chunkHeight = 16;
        worldSettings.terrainWidth = 32;
        MouseAcceleration() = MouseFactors{};
        ASSERT_TRUE(world.Initialize(worldSettings, nullptr));
        ASSERT_TRUE(player.Initialize(settings, nullptr, &world));
    }
    void SetBlock(int32_t x, int32_t y, int32_t z, uint8_t value = 1) {
        world.FindChunk({x / 8, 0, z / 8})->SetBlock(x % 8, y, z % 8, value);
    }
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
    PlayerSettings settings = PlayerSettingsFrom(TypedSettings{});
    VoxelWorld world;
    Player player;
};

float Step(float acceleration) { return acceleration * kFrame * (1.0f - 8.0f * kFrame); }  // from rest: k t (1 - 8t)

TEST_F(SmallWorldTest, PlayerStartsOverTheCentreChunkFallingSlowlyFlyingPerInstantStart) {
    EXPECT_EQ(world.CentreChunk(), (ChunkKey{2, 0, 2}));
    EXPECT_TRUE(player.Position().x == 16.0f && player.Position().y == 16.0f && player.Position().z == 16.0f);
    EXPECT_TRUE(player.Velocity().y == -1.0f && player.HasCollision() && !player.IsOnGround());
    const CollisionBox& box = player.Box();
    EXPECT_TRUE(box.min.x == 15.75f && box.min.y == 14.5f && box.max.y == 16.5f && box.max.z == 16.25f);
    EXPECT_TRUE(player.GetCamera()->Position().y == 16.0f && player.GetCamera()->Yaw() == 0.0f);
    EXPECT_FLOAT_EQ(player.GetCamera()->Projection().m[1][1], 1.0f);
    EXPECT_TRUE(player.IsFlying() && !player.HasGravity());
    settings.instantStart = false;
    Player walker;
    ASSERT_TRUE(walker.Initialize(settings, nullptr, &world));
    EXPECT_TRUE(!walker.IsFlying() && walker.HasGravity());
}

// Collision off (the world is all air anyway), starting at rest.
class MovementTest : public SmallWorldTest {
protected:
    void SetUp() override {
        SmallWorldTest::SetUp();
        player.ToggleCollision();
        player.SetVelocity({0.0f, 0.0f, 0.0f});
    }
    // A new pitch reaches the camera axes at the end of an update with no key held.
    void ApplyPitch(float pitch) {
        Hold(player, "");
        player.GetCamera()->SetPitch(pitch);
        player.Update(kFrame);
        player.SetVelocity({0.0f, 0.0f, 0.0f});
    }
};

// Switched on in mid-air, flight stops gravity: the fall dies away under damping and the player hovers.
TEST_F(MovementTest, FlightSwitchedOnWhileFallingHovers) {
    player.ToggleFlight();
    RunFrames(60);
    ASSERT_LT(player.Velocity().y, -10.0f);
    player.ToggleFlight();
    float previous = player.Velocity().y;
    for (int frame = 0; frame < 120; ++frame) {
        player.Update(kFrame);
        ASSERT_GT(player.Velocity().y, previous) << frame;
        ASSERT_LE(player.Velocity().y, 0.0f) << frame;
        previous = player.Velocity().y;
    }
    EXPECT_GT(previous, -1e-3f);
    const float y = player.Position().y;
    RunFrames(60);
    EXPECT_NEAR(player.Position().y, y, 1e-3f);
}

TEST_F(MovementTest, LongFramesCountAsAFifthOfASecondAndDampingFlipsAboveAnEighth) {
    // From rest at t = 0.2, flying forward: +40, then the factor 1 - 1.6 turns it round to -24.
    Hold(player, "F");
    player.Update(0.5f);
    EXPECT_NEAR(player.Velocity().z, -24.0f, 1e-4f);
    EXPECT_NEAR(player.Position().z, 16.0f - 24.0f * 0.2f, 1e-4f);
    Hold(player, "");
    const std::pair<float, float> damping[] = {{0.1f, -0.2f}, {0.2f, 0.6f}, {0.125f, 0.0f}};  // dt, new vy
    for (const auto& [dt, vy] : damping) {
        player.SetVelocity({0.0f, -1.0f, 0.0f});
        player.Update(dt);
        EXPECT_NEAR(player.Velocity().y, vy, 1e-6f) << "dt " << dt;
    }
}

// Flying follows the camera's up axis, which tilts with the pitch. Of two opposite keys forward, right and down win.
TEST_F(MovementTest, WalkingIsHorizontalAndFlyingFollowsTheCameraAxes) {
    Hold(player, "FBLRUD");
    player.Update(kFrame);
    EXPECT_TRUE(player.Velocity().z > 0.0f && player.Velocity().x > 0.0f && player.Velocity().y < 0.0f);
    player.ToggleFlight();
    ApplyPitch(kHalfPi);  // looking straight down
    Hold(player, "FU");
    player.Update(kFrame);
    EXPECT_NEAR(player.Velocity().z, Step(50.0f), 1e-5f);
    EXPECT_NEAR(player.Velocity().y, -Step(120.0f), 1e-5f);  // gravity only
    EXPECT_EQ(player.Velocity().x, 0.0f);
    EXPECT_EQ(player.GetCamera()->Position().y, player.Position().y);  // the camera follows
    player.ToggleFlight();
    const std::tuple<float, const char*, float, float> flights[] = {  // pitch, keys, vy, vz
        {kHalfPi, "F", -Step(200.0f), 0.0f},
        {0.7853982f, "U", Step(200.0f) * std::cos(0.7853982f), Step(200.0f) * std::sin(0.7853982f)},
        {kHalfPi, "D", 0.0f, -Step(200.0f)}};
    for (const auto& [pitch, keys, vy, vz] : flights) {
        ApplyPitch(pitch);
        Hold(player, keys);
        player.Update(kFrame);
        EXPECT_NEAR(player.Velocity().y, vy, 1e-4f) << keys;
        EXPECT_NEAR(player.Velocity().z, vz, 1e-4f) << keys;
    }
}

// The camera axes follow at the next update.
TEST_F(SmallWorldTest, LookTurnsByTheFactorsStopsPitchAndWrapsYawOnce) {
    const Camera& camera = *player.GetCamera();
    player.Look(100, 20);
    EXPECT_FLOAT_EQ(camera.Yaw(), 0.5f);
    EXPECT_FLOAT_EQ(camera.Pitch(), 0.1f);  // cursor moved down: look down
    EXPECT_NEAR(camera.Forward().z, 1.0f, 1e-6f);
    player.Update(kFrame);
    EXPECT_NEAR(camera.Forward().x, std::sin(0.5f) * std::cos(0.1f), 1e-5f);
    MouseAcceleration() = MouseFactors{0.01f, 0.002f};
    player.Look(10, 10);
    EXPECT_FLOAT_EQ(camera.Yaw(), 0.6f);
    EXPECT_FLOAT_EQ(camera.Pitch(), 0.12f);
    player.Look(0, 726);  // just beyond each limit
    EXPECT_NEAR(camera.Pitch(), kHalfPi, 1e-6f);
    player.Look(0, -1572);
    EXPECT_NEAR(camera.Pitch(), -kHalfPi, 1e-6f);
    // -2000 pixels are -20 radians: one period added only.
    const std::tuple<float, int32_t, float> wraps[] = {{6.3f, 0, 0.0168145f}, {-0.1f, 0, 6.1831855f},
                                                       {0.0f, -2000, -20.0f + 6.2831855f}};
    for (const auto& [yaw, dx, wrapped] : wraps) {
        player.GetCamera()->SetYaw(yaw);
        player.Look(dx, 0);
        EXPECT_NEAR(camera.Yaw(), wrapped, 1e-5f) << yaw;
    }
}

// Walking players on small block layouts; the floor layer is y = 4, its top face at y = 5.
class CollisionTest : public SmallWorldTest {
protected:
    static constexpr int32_t kFloorY = 4;
    static constexpr float kFloorTop = 5.0f;

    void SetUp() override {
        SmallWorldTest::SetUp();
        player.ToggleFlight();
    }
    static bool Land(Player& subject) {
        for (int frame = 0; frame < 600; ++frame) {
            subject.Update(kFrame);
            if (subject.IsOnGround()) return true;
        }
        return false;
    }
    static float Feet(const Player& subject) { return subject.Position().y - 1.5f; }
};

// Feet exactly on a block's top are not yet on the ground: the box must reach into the block. Gravity acts
// before the tests: a player at rest reaching into a block stands from its first update.
TEST_F(CollisionTest, TheDownwardTestNeedsOverlapAndSamplesAllFourCornerColumns) {
    PlaceEye({16.0f, 6.2f, 16.0f});
    for (const auto& [x, z] : {std::pair{15, 15}, {16, 15}, {15, 16}, {16, 16}}) {
        EXPECT_FALSE(player.TestBelow());
        SetBlock(x, kFloorY, z);
        EXPECT_TRUE(player.TestBelow()) << x << "," << z;
        SetBlock(x, kFloorY, z, 0);
    }
    PlaceFloor(kFloorY, 12, 20, 12, 20);
    PlaceEye({16.5f, kFloorTop + 1.5f, 16.5f});
    EXPECT_FALSE(player.TestBelow());
    player.Update(kFrame);
    EXPECT_TRUE(!player.IsOnGround() && Feet(player) < kFloorTop);
    player.Update(kFrame);
    EXPECT_TRUE(player.IsOnGround());
    Player resting;
    ASSERT_TRUE(resting.Initialize(settings, nullptr, &world));
    resting.ToggleFlight();
    resting.SetPosition({16.5f, kFloorTop + 1.45f, 16.5f});
    resting.SetVelocity({0.0f, 0.0f, 0.0f});
    resting.Update(kFrame);
    EXPECT_TRUE(resting.IsOnGround() && resting.Velocity().y == 0.0f);
}

// The box spans rows 8 (feet), 9 (centre) and 10 (top). With the box inside one cell column, the block in that
// column lies beyond it towards + only. Across the test's direction the overlap must exceed the 0.1 margin.
TEST_F(CollisionTest, EachSideTestSeesOnlyBlocksOnItsOwnSideAboveTheFeetBeyondTheMargin) {
    bool (Player::*const sides[])() const = {&Player::TestNegX, &Player::TestPosX, &Player::TestNegZ,
                                             &Player::TestPosZ};
    const std::tuple<Vec3, CellCoord, int> cases[] = {  // eye, block, bit i set: sides[i] sees the block
        {{16.2f, 10.0f, 16.5f}, {15, 9, 16}, 1},  {{16.8f, 10.0f, 16.5f}, {17, 9, 16}, 2},
        {{16.5f, 10.0f, 16.2f}, {16, 9, 15}, 4},  {{16.5f, 10.0f, 16.8f}, {16, 9, 17}, 8},
        {{16.8f, 10.0f, 16.5f}, {17, 10, 16}, 2}, {{16.8f, 10.0f, 16.5f}, {17, 8, 16}, 0},
        {{16.5f, 10.0f, 16.5f}, {16, 9, 16}, 2 | 8},
        {{17.0f + 0.1f - 0.25f, 10.0f, 16.75f}, {17, 9, 17}, 0},  // overlaps x by exactly the margin
        {{17.01f + 0.1f - 0.25f, 10.0f, 16.75f}, {17, 9, 17}, 8},
        {{16.0f - 0.1f + 0.25f, 10.0f, 16.75f}, {15, 9, 17}, 0},  // the same from the other side
        {{15.99f - 0.1f + 0.25f, 10.0f, 16.75f}, {15, 9, 17}, 8}};
    for (const auto& [eye, block, hits] : cases) {
        SetBlock(block.x, block.y, block.z);
        PlaceEye(eye);
        for (int side = 0; side < 4; ++side) {
            EXPECT_EQ((player.*sides[side])(), (hits >> side & 1) != 0) << eye.x << " " << block.x << " side " << side;
        }
        SetBlock(block.x, block.y, block.z, 0);
    }
}

// Decided by the velocity before damping, which turns it round in long frames.
TEST_F(CollisionTest, BlocksStopOnlyMotionTowardsThem) {
    SetBlock(16, 9, 16);  // in the box's own column: seen towards +x only
    player.ToggleFlight();
    for (const float dt : {kFrame, 0.2f}) {
        for (const float vx : {-3.0f, 3.0f}) {
            PlaceEye({16.5f, 10.0f, 16.5f});
            player.SetVelocity({vx, 0.0f, 0.0f});
            player.Update(dt);
            EXPECT_NEAR(player.Velocity().x, vx < 0 ? vx * (1.0f - 8.0f * dt) : 0.0f, 1e-6f) << vx << " " << dt;
        }
    }
    SetBlock(16, 9, 16, 0);
    SetBlock(16, 10, 16);  // a head block stops rising
    player.SetPosition({16.5f, 8.0f, 16.5f});
    player.SetVelocity({0.0f, 0.0f, 0.0f});
    Hold(player, "U");
    RunFrames(120);
    EXPECT_EQ(player.Velocity().y, 0.0f);
    EXPECT_TRUE(player.Box().max.y >= 10.0f && player.Box().max.y < 10.0f + 25.0f * kFrame);
}

// A player sinks into the top layer by at most a frame's fall; the box still touches the block in the first frame
// of a jump. Collision off keeps the ground flag: a standing player then neither falls nor stops jumps stacking.
TEST_F(CollisionTest, AFallingPlayerRestsInTheTopLayerJumpsOnlyFromTheGroundAndCollisionOffKeepsTheFlag) {
    PlaceFloor(kFloorY, 12, 20, 12, 20);
    player.SetPosition({16.5f, 9.0f, 16.5f});
    player.Update(kFrame);
    const float falling = player.Velocity().y;
    player.Jump();
    EXPECT_EQ(player.Velocity().y, falling);
    ASSERT_TRUE(Land(player));
    const Vec3 rest = player.Position();
    EXPECT_EQ(player.Velocity().y, 0.0f);
    EXPECT_TRUE(Feet(player) < kFloorTop && Feet(player) > kFloorTop - 15.0f * kFrame);
    RunFrames(120);
    EXPECT_TRUE(player.IsOnGround() && player.Position().y == rest.y && player.Position().x == rest.x);
    player.Jump();
    EXPECT_EQ(player.Velocity().y, 25.0f);
    player.Update(kFrame);
    EXPECT_TRUE(player.IsOnGround() && player.Position().y > rest.y);
    player.Update(kFrame);
    EXPECT_FALSE(player.IsOnGround());
    ASSERT_TRUE(Land(player));
    EXPECT_LT(Feet(player), kFloorTop);
    const float restY = player.Position().y;
    player.ToggleCollision();
    RunFrames(30);
    EXPECT_TRUE(player.IsOnGround() && player.Position().y == restY);
    player.Jump();
    player.Jump();
    EXPECT_EQ(player.Velocity().y, 50.0f);
    player.ToggleCollision();
    player.SetPosition({16.5f, 9.0f, 16.5f});
    player.Update(kFrame);  // leaves the ground
    player.ToggleCollision();
    RunFrames(120);
    EXPECT_LT(Feet(player), static_cast<float>(kFloorY));
}

// With voxelSize 0.5 the block at y = 4 has its top at 4.5; feet touching it stand on it.
TEST_F(CollisionTest, BlocksAreVoxelSizeWideFromTheirLowCorner) {
    SetBlock(16, kFloorY, 16);
    settings.voxelSize = 0.5f;
    Player small;
    ASSERT_TRUE(small.Initialize(settings, nullptr, &world));
    for (const auto& [eyeY, below] : {std::pair{6.2f, false}, {6.0f, true}, {5.9f, true}}) {
        small.SetPosition({16.5f, eyeY, 16.5f});
        small.RebuildBox();
        EXPECT_EQ(small.TestBelow(), below) << eyeY;
    }
}

}  // namespace
