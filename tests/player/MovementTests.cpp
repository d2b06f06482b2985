#include <gtest/gtest.h>

#include <cmath>

#include "SmallWorld.h"

namespace {

constexpr float kHalfPi = 1.5707964f;
constexpr float kFrame = SmallWorldTest::kFrame;

// The speed a held key settles at under damping: k (1 - 8t) / 8.
float SteadySpeed(float acceleration, float t) { return acceleration * (1.0f - 8.0f * t) / 8.0f; }
// One frame's gain from rest: k t (1 - 8t).
float Step(float acceleration) { return acceleration * kFrame * (1.0f - 8.0f * kFrame); }

using PlayerStartTest = SmallWorldTest;

TEST_F(PlayerStartTest, StartsOverTheCentreChunkFallingSlowlyFlyingPerInstantStart) {
    EXPECT_EQ(world.CentreChunk(), (ChunkKey{2, 0, 2}));
    EXPECT_TRUE(player.Position().x == 16.0f && player.Position().y == 16.0f && player.Position().z == 16.0f);
    EXPECT_TRUE(player.Velocity().y == -1.0f && player.HasCollision() && !player.IsOnGround());
    const CollisionBox& box = player.Box();
    EXPECT_TRUE(box.min.x == 15.75f && box.min.y == 14.5f && box.max.y == 16.5f && box.max.z == 16.25f);
    EXPECT_TRUE(player.GetCamera()->Position().y == 16.0f && player.GetCamera()->Yaw() == 0.0f);
    EXPECT_FLOAT_EQ(player.GetCamera()->Projection().m[1][1], 1.0f);
    EXPECT_TRUE(player.IsFlying() && !player.HasGravity());
    player.ToggleFlight();
    EXPECT_TRUE(!player.IsFlying() && player.HasGravity());
    Config().instantStart = false;
    Player walker;
    ASSERT_TRUE(walker.Initialize(nullptr, &world));
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

TEST_F(MovementTest, HeldKeysSettleAtTheDampedSteadySpeed) {
    Hold(player, "F");
    RunFrames(600);
    EXPECT_NEAR(player.Velocity().z, 21.6667f, 1e-3f);  // flying: 200 (1 - 8t) / 8
    EXPECT_EQ(player.Velocity().y, 0.0f);
    player.ToggleFlight();
    player.SetVelocity({0.0f, 0.0f, 0.0f});
    RunFrames(600);
    EXPECT_NEAR(player.Velocity().z, 5.4167f, 1e-3f);  // walking: 50 (1 - 8t) / 8
    EXPECT_NEAR(player.Velocity().y, -SteadySpeed(120.0f, kFrame), 1e-3f);  // free fall
    EXPECT_NEAR(player.Velocity().x, 0.0f, 1e-6f);
}

// Switched on in mid-air, flight stops gravity: the fall dies away under
// damping and the player hovers.
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

// Walking ignores the pitch and the up key; flying follows the look direction
// and the camera's up axis, which tilts with the pitch. Of two opposite keys
// forward, right and down win.
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
    const struct {
        float pitch;
        const char* keys;
        float vy, vz;
    } flights[] = {{kHalfPi, "F", -Step(200.0f), 0.0f},
                   {0.7853982f, "U", Step(200.0f) * std::cos(0.7853982f), Step(200.0f) * std::sin(0.7853982f)},
                   {kHalfPi, "D", 0.0f, -Step(200.0f)}};
    for (const auto& f : flights) {
        ApplyPitch(f.pitch);
        Hold(player, f.keys);
        player.Update(kFrame);
        EXPECT_NEAR(player.Velocity().y, f.vy, 1e-4f) << f.keys;
        EXPECT_NEAR(player.Velocity().z, f.vz, 1e-4f) << f.keys;
    }
}

using LookTest = SmallWorldTest;

// Yaw and pitch turn by the process-wide factors per pixel (the camera axes
// follow at the next update); pitch stops at a quarter turn, yaw wraps once
// per call.
TEST_F(LookTest, TurnsByTheFactorsStopsPitchAndWrapsYawOnce) {
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
    const std::pair<int32_t, float> pitches[] = {{726, kHalfPi}, {-1572, -kHalfPi}};  // just beyond each limit
    for (const auto& [dy, pitch] : pitches) {
        player.Look(0, dy);
        EXPECT_NEAR(camera.Pitch(), pitch, 1e-6f) << dy;
    }
    const std::pair<float, float> wraps[] = {{6.3f, 0.0168145f}, {-0.1f, 6.1831855f}};
    for (const auto& [yaw, wrapped] : wraps) {
        player.GetCamera()->SetYaw(yaw);
        player.Look(0, 0);
        EXPECT_NEAR(camera.Yaw(), wrapped, 1e-6f) << yaw;
    }
    player.GetCamera()->SetYaw(0.0f);
    player.Look(-2000, 0);  // -20 radians: one period added only
    EXPECT_NEAR(camera.Yaw(), -20.0f + 6.2831855f, 1e-5f);
}

}  // namespace
