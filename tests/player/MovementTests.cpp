#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "RecordingDevice.h"
#include "SmallWorld.h"
#include "platform/ErrorMessage.h"

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
    EXPECT_EQ(player.Velocity().y, -1.0f);
    EXPECT_TRUE(player.HasCollision());
    EXPECT_FALSE(player.IsOnGround());
    const CollisionBox& box = player.Box();
    EXPECT_TRUE(box.min.x == 15.75f && box.min.y == 14.5f && box.max.y == 16.5f && box.max.z == 16.25f);
    const Camera* camera = player.GetCamera();
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(camera->Position().y, 16.0f);
    EXPECT_EQ(camera->Yaw(), 0.0f);
    EXPECT_FLOAT_EQ(camera->Projection().m[1][1], 1.0f);

    EXPECT_TRUE(player.IsFlying() && !player.HasGravity());
    player.SetVelocity({1.0f, 2.0f, 3.0f});
    player.ToggleFlight();
    EXPECT_TRUE(!player.IsFlying() && player.HasGravity());
    EXPECT_EQ(player.Velocity().z, 3.0f);
    Config().instantStart = false;
    Player walker;
    ASSERT_TRUE(walker.Initialize(nullptr, &world));
    EXPECT_TRUE(!walker.IsFlying() && walker.HasGravity());
}

TEST_F(PlayerStartTest, CreatesTheCameraBufferOnlyWithADevice) {
    static std::vector<std::string> messages;
    RecordingDevice device;
    Player withDevice;
    ASSERT_TRUE(withDevice.Initialize(&device, &world));
    EXPECT_EQ(device.Count("CreateBuffer 16"), 1u);
    withDevice.GetCamera()->Release(device);

    const ErrorMessageSink previous = SetErrorMessageSink([](const char* text) { messages.emplace_back(text); });
    device.failing = {"CreateBuffer"};
    Player failing;
    EXPECT_FALSE(failing.Initialize(&device, &world));
    SetErrorMessageSink(previous);
    EXPECT_EQ(messages, std::vector<std::string>{"failed to create camera buffer"});
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
    static void ApplyPitch(Player& subject, float pitch) {
        Hold(subject, "");
        subject.GetCamera()->SetPitch(pitch);
        subject.Update(kFrame);
        subject.SetVelocity({0.0f, 0.0f, 0.0f});
    }
};

TEST_F(MovementTest, HeldKeysSettleAtTheDampedSteadySpeed) {
    Hold(player, "F");
    RunFrames(600);
    EXPECT_NEAR(player.Velocity().z, SteadySpeed(200.0f, kFrame), 1e-3f);  // flying
    EXPECT_NEAR(player.Velocity().z, 21.6667f, 1e-3f);
    EXPECT_EQ(player.Velocity().y, 0.0f);  // no gravity while flying

    player.ToggleFlight();
    player.SetVelocity({0.0f, 0.0f, 0.0f});
    RunFrames(600);
    EXPECT_NEAR(player.Velocity().z, SteadySpeed(50.0f, kFrame), 1e-3f);  // walking
    EXPECT_NEAR(player.Velocity().z, 5.4167f, 1e-3f);
    EXPECT_NEAR(player.Velocity().y, -SteadySpeed(120.0f, kFrame), 1e-3f);  // free fall
    EXPECT_NEAR(player.Velocity().x, 0.0f, 1e-6f);
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

TEST_F(MovementTest, OppositeKeysHeldTogetherFavourForwardRightAndDown) {
    Hold(player, "FBLRUD");
    player.Update(kFrame);
    EXPECT_GT(player.Velocity().z, 0.0f);
    EXPECT_GT(player.Velocity().x, 0.0f);
    EXPECT_LT(player.Velocity().y, 0.0f);
}

TEST_F(MovementTest, WalkingIsHorizontalAtAnyPitchAndIgnoresUp) {
    player.ToggleFlight();
    ApplyPitch(player, kHalfPi);  // looking straight down
    Hold(player, "FU");
    player.Update(kFrame);
    EXPECT_NEAR(player.Velocity().z, Step(50.0f), 1e-5f);
    EXPECT_NEAR(player.Velocity().y, -Step(120.0f), 1e-5f);  // gravity only
    EXPECT_EQ(player.Position().x, 16.0f);
    EXPECT_EQ(player.GetCamera()->Position().y, player.Position().y);  // the camera follows
}

TEST_F(MovementTest, FlyingFollowsTheLookDirectionAndTheTiltedUpAxis) {
    ApplyPitch(player, kHalfPi);
    Hold(player, "F");
    player.Update(kFrame);
    EXPECT_NEAR(player.Velocity().y, -Step(200.0f), 1e-4f);
    EXPECT_NEAR(player.Velocity().z, 0.0f, 1e-4f);

    const float pitch = 0.7853982f;  // looking down at 45 degrees
    ApplyPitch(player, pitch);
    Hold(player, "U");
    player.Update(kFrame);
    EXPECT_NEAR(player.Velocity().y, Step(200.0f) * std::cos(pitch), 1e-4f);
    EXPECT_NEAR(player.Velocity().z, Step(200.0f) * std::sin(pitch), 1e-4f);

    ApplyPitch(player, kHalfPi);
    Hold(player, "D");
    player.Update(kFrame);
    EXPECT_NEAR(player.Velocity().y, 0.0f, 1e-4f);  // up is horizontal now
    EXPECT_NEAR(player.Velocity().z, -Step(200.0f), 1e-4f);
}

using LookTest = SmallWorldTest;

TEST_F(LookTest, TurnsByTheProcessWideFactorsPerPixelAtTheNextUpdate) {
    const Camera& camera = *player.GetCamera();
    player.Look(100, 0);
    EXPECT_FLOAT_EQ(camera.Yaw(), 0.5f);
    EXPECT_EQ(camera.Pitch(), 0.0f);
    EXPECT_NEAR(camera.Forward().z, 1.0f, 1e-6f);  // the axes turn only at the next update
    player.Update(kFrame);
    EXPECT_NEAR(camera.Forward().x, std::sin(0.5f), 1e-5f);
    player.Look(0, 20);  // cursor moved down: look down
    EXPECT_FLOAT_EQ(camera.Pitch(), 0.1f);

    MouseAcceleration() = MouseFactors{0.01f, 0.002f};
    player.Look(10, 10);
    EXPECT_FLOAT_EQ(camera.Yaw(), 0.6f);
    EXPECT_FLOAT_EQ(camera.Pitch(), 0.12f);
}

TEST_F(LookTest, PitchStopsAtAQuarterTurnAndYawWrapsOncePerCall) {
    Camera& camera = *player.GetCamera();
    player.Look(0, 400);
    EXPECT_EQ(camera.Pitch(), kHalfPi);
    player.Look(0, -1000);
    EXPECT_EQ(camera.Pitch(), -kHalfPi);

    const std::pair<float, float> wraps[] = {{6.3f, 0.0168145f}, {-0.1f, 6.1831855f}};
    for (const auto& [yaw, wrapped] : wraps) {
        camera.SetYaw(yaw);
        player.Look(0, 0);
        EXPECT_NEAR(camera.Yaw(), wrapped, 1e-6f) << yaw;
    }
    camera.SetYaw(0.0f);
    player.Look(-4000, 0);  // -20 radians: one period added only
    EXPECT_NEAR(camera.Yaw(), -20.0f + 6.2831855f, 1e-5f);
}

}  // namespace
