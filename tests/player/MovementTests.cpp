#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "RecordingDevice.h"
#include "SmallWorld.h"
#include "platform/ErrorMessage.h"

namespace {

constexpr float kHalfPi = 1.5707964f;

// The speed a held key settles at under damping: k (1 - 8t) / 8.
float SteadySpeed(float acceleration, float t) { return acceleration * (1.0f - 8.0f * t) / 8.0f; }

using PlayerStartTest = SmallWorldTest;

TEST_F(PlayerStartTest, StartsOverTheCentreChunkFallingSlowly) {
    EXPECT_EQ(world.CentreChunk(), (ChunkKey{2, 0, 2}));
    const Vec3 position = player.Position();
    EXPECT_EQ(position.x, 16.0f);
    EXPECT_EQ(position.y, 16.0f);
    EXPECT_EQ(position.z, 16.0f);
    EXPECT_EQ(player.Velocity().y, -1.0f);
    EXPECT_TRUE(player.HasCollision());
    EXPECT_FALSE(player.IsOnGround());

    const CollisionBox& box = player.Box();
    EXPECT_EQ(box.min.x, 15.75f);
    EXPECT_EQ(box.min.y, 14.5f);
    EXPECT_EQ(box.max.y, 16.5f);
    EXPECT_EQ(box.max.z, 16.25f);

    const Camera* camera = player.GetCamera();
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(camera->Position().y, 16.0f);
    EXPECT_EQ(camera->Yaw(), 0.0f);
    EXPECT_FLOAT_EQ(camera->Projection().m[1][1], 1.0f);
}

TEST_F(PlayerStartTest, InstantStartDecidesBetweenFlyingAndWalking) {
    EXPECT_TRUE(player.IsFlying());
    EXPECT_FALSE(player.HasGravity());

    Config().instantStart = false;
    Player walker;
    ASSERT_TRUE(walker.Initialize(nullptr, &world));
    EXPECT_FALSE(walker.IsFlying());
    EXPECT_TRUE(walker.HasGravity());
}

std::vector<std::string> messages;
void Capture(const char* text) { messages.emplace_back(text); }

TEST_F(PlayerStartTest, CreatesTheCameraBufferOnlyWithADevice) {
    RecordingDevice device;
    Player withDevice;
    ASSERT_TRUE(withDevice.Initialize(&device, &world));
    EXPECT_EQ(device.Count("CreateBuffer 16"), 1u);
    withDevice.GetCamera()->Release(device);

    messages.clear();
    const ErrorMessageSink previous = SetErrorMessageSink(Capture);
    device.failing = {"CreateBuffer"};
    Player failing;
    EXPECT_FALSE(failing.Initialize(&device, &world));
    SetErrorMessageSink(previous);
    EXPECT_EQ(messages, std::vector<std::string>{"failed to create camera buffer"});
    EXPECT_NE(failing.GetCamera(), nullptr);
}

TEST_F(PlayerStartTest, ToggleFlightKeepsGravityTheOppositeOfFlying) {
    player.SetVelocity({1.0f, 2.0f, 3.0f});
    player.ToggleFlight();
    EXPECT_FALSE(player.IsFlying());
    EXPECT_TRUE(player.HasGravity());
    player.ToggleFlight();
    EXPECT_TRUE(player.IsFlying());
    EXPECT_FALSE(player.HasGravity());
    EXPECT_EQ(player.Velocity().z, 3.0f);
}

class MovementTest : public SmallWorldTest {
protected:
    void SetUp() override {
        SmallWorldTest::SetUp();
        player.ToggleCollision();  // movement alone; the world is all air anyway
        player.SetVelocity({0.0f, 0.0f, 0.0f});
    }

    // A new pitch reaches the camera axes at the end of an update; that
    // update runs with no key held and the player is stopped afterwards.
    static void ApplyPitch(Player& subject, float pitch) {
        subject.SetIntents(false, false, false, false, false, false);
        subject.GetCamera()->SetPitch(pitch);
        subject.Update(kFrame);
        subject.SetVelocity({0.0f, 0.0f, 0.0f});
    }
};

TEST_F(MovementTest, HeldKeysSettleAtTheDampedSteadySpeed) {
    player.SetIntents(true, false, false, false, false, false);
    RunFrames(600);
    EXPECT_NEAR(player.Velocity().z, SteadySpeed(200.0f, kFrame), 1e-3f);
    EXPECT_NEAR(player.Velocity().z, 21.6667f, 1e-3f);

    StartWalking();
    player.SetVelocity({0.0f, 0.0f, 0.0f});
    RunFrames(600);
    EXPECT_NEAR(player.Velocity().z, SteadySpeed(50.0f, kFrame), 1e-3f);
    EXPECT_NEAR(player.Velocity().z, 5.4167f, 1e-3f);
    EXPECT_NEAR(player.Velocity().y, -SteadySpeed(120.0f, kFrame), 1e-3f);
    EXPECT_NEAR(player.Velocity().x, 0.0f, 1e-6f);
}

// One step at t = 0.2 from rest, flying forward: the velocity gains 40 and
// the unclamped factor 1 - 1.6 turns it round to -24.
TEST_F(MovementTest, LongFramesAreClampedToAFifthOfASecond) {
    player.SetIntents(true, false, false, false, false, false);
    player.Update(0.5f);
    EXPECT_NEAR(player.Velocity().z, -24.0f, 1e-4f);
    EXPECT_NEAR(player.Position().z, 16.0f - 24.0f * 0.2f, 1e-4f);

    Player reference;
    ASSERT_TRUE(reference.Initialize(nullptr, &world));
    reference.ToggleCollision();
    reference.SetVelocity({0.0f, 0.0f, 0.0f});
    reference.SetIntents(true, false, false, false, false, false);
    reference.Update(0.2f);
    EXPECT_EQ(player.Velocity().z, reference.Velocity().z);
    EXPECT_EQ(player.Position().z, reference.Position().z);
}

TEST_F(MovementTest, DampingFlipsTheVelocityAboveAnEighthOfASecond) {
    player.SetVelocity({0.0f, -1.0f, 0.0f});
    player.Update(0.1f);
    EXPECT_NEAR(player.Velocity().y, -0.2f, 1e-6f);

    player.SetVelocity({0.0f, -1.0f, 0.0f});
    player.Update(0.2f);
    EXPECT_NEAR(player.Velocity().y, 0.6f, 1e-6f);  // factor -0.6: now rising

    player.SetVelocity({0.0f, -1.0f, 0.0f});
    player.Update(0.125f);
    EXPECT_EQ(player.Velocity().y, 0.0f);
}

TEST_F(MovementTest, OppositeKeysHeldTogetherFavourForwardRightAndDown) {
    player.SetIntents(true, true, true, true, true, true);
    player.Update(kFrame);
    EXPECT_GT(player.Velocity().z, 0.0f);
    EXPECT_GT(player.Velocity().x, 0.0f);
    EXPECT_LT(player.Velocity().y, 0.0f);
}

TEST_F(MovementTest, GravityPullsOnlyWhileWalkingInTheAir) {
    player.Update(kFrame);
    EXPECT_EQ(player.Velocity().y, 0.0f);
    StartWalking();
    player.SetIntents(false, false, false, false, true, false);  // no effect while walking
    player.Update(kFrame);
    EXPECT_NEAR(player.Velocity().y, -2.0f * (1.0f - 8.0f * kFrame), 1e-5f);
    EXPECT_EQ(player.Position().x, 16.0f);
    EXPECT_EQ(player.GetCamera()->Position().y, player.Position().y);  // the camera follows
}

TEST_F(MovementTest, WalkingIgnoresThePitchOfTheView) {
    StartWalking();
    Player level;
    ASSERT_TRUE(level.Initialize(nullptr, &world));
    level.ToggleFlight();
    level.ToggleCollision();
    level.SetVelocity({0.0f, 0.0f, 0.0f});

    ApplyPitch(player, kHalfPi);  // looking straight down
    ApplyPitch(level, 0.0f);
    for (Player* walker : {&player, &level}) {
        walker->SetIntents(true, false, false, false, false, false);
        walker->Update(kFrame);
    }
    EXPECT_NEAR(player.Velocity().z, 50.0f * kFrame * (1.0f - 8.0f * kFrame), 1e-5f);
    EXPECT_NEAR(player.Velocity().z, level.Velocity().z, 1e-5f);
    EXPECT_EQ(player.Velocity().y, level.Velocity().y);  // gravity only
}

TEST_F(MovementTest, FlyingForwardFollowsTheLookDirection) {
    ApplyPitch(player, kHalfPi);
    player.SetIntents(true, false, false, false, false, false);
    player.Update(kFrame);
    const float expected = 200.0f * kFrame * (1.0f - 8.0f * kFrame);
    EXPECT_NEAR(player.Velocity().y, -expected, 1e-4f);
    EXPECT_NEAR(player.Velocity().z, 0.0f, 1e-4f);
}

TEST_F(MovementTest, FlyingUpAndDownFollowTheTiltedUpAxis) {
    const float pitch = 0.7853982f;  // looking down at 45 degrees
    ApplyPitch(player, pitch);
    player.SetIntents(false, false, false, false, true, false);
    player.Update(kFrame);
    const float step = 200.0f * kFrame * (1.0f - 8.0f * kFrame);
    EXPECT_NEAR(player.Velocity().y, step * std::cos(pitch), 1e-4f);
    EXPECT_NEAR(player.Velocity().z, step * std::sin(pitch), 1e-4f);

    ApplyPitch(player, kHalfPi);
    player.SetIntents(false, false, false, false, false, true);
    player.Update(kFrame);
    EXPECT_NEAR(player.Velocity().y, 0.0f, 1e-4f);  // up is horizontal now
    EXPECT_NEAR(player.Velocity().z, -step, 1e-4f);
}

using LookTest = SmallWorldTest;

TEST_F(LookTest, TurnsByTheProcessWideFactorsPerPixel) {
    player.Look(100, 0);
    EXPECT_FLOAT_EQ(player.GetCamera()->Yaw(), 0.5f);
    EXPECT_EQ(player.GetCamera()->Pitch(), 0.0f);
    player.Look(0, 20);  // cursor moved down: look down
    EXPECT_FLOAT_EQ(player.GetCamera()->Pitch(), 0.1f);

    MouseAcceleration() = MouseFactors{0.01f, 0.002f};
    player.Look(10, 10);
    EXPECT_FLOAT_EQ(player.GetCamera()->Yaw(), 0.6f);
    EXPECT_FLOAT_EQ(player.GetCamera()->Pitch(), 0.12f);
}

TEST_F(LookTest, PitchStopsAtExactlyAQuarterTurn) {
    player.Look(0, 400);
    EXPECT_EQ(player.GetCamera()->Pitch(), 1.5707964f);
    player.Look(0, -1000);
    EXPECT_EQ(player.GetCamera()->Pitch(), -1.5707964f);
}

TEST_F(LookTest, YawWrapsOncePerCall) {
    Camera& camera = *player.GetCamera();
    camera.SetYaw(6.3f);
    player.Look(0, 0);
    EXPECT_NEAR(camera.Yaw(), 0.0168145f, 1e-6f);

    camera.SetYaw(-0.1f);
    player.Look(0, 0);
    EXPECT_NEAR(camera.Yaw(), 6.1831855f, 1e-6f);

    camera.SetYaw(0.0f);
    player.Look(-4000, 0);  // -20 radians: one period added only
    EXPECT_NEAR(camera.Yaw(), -20.0f + 6.2831855f, 1e-5f);
}

TEST_F(LookTest, TheViewTurnsOnlyAtTheNextUpdate) {
    player.Look(314, 0);
    EXPECT_NEAR(player.GetCamera()->Forward().z, 1.0f, 1e-6f);
    player.Update(SmallWorldTest::kFrame);
    EXPECT_NEAR(player.GetCamera()->Forward().x, std::sin(1.57f), 1e-5f);
}

}  // namespace
