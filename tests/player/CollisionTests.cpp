#include <gtest/gtest.h>

#include "SmallWorld.h"

namespace {

// Walking players on small block layouts; the floor layer is y = 4, its top face at y = 5.
class CollisionTest : public SmallWorldTest {
protected:
    static constexpr int32_t kFloorY = 4;
    static constexpr float kFloorTop = 5.0f;

    void SetUp() override {
        SmallWorldTest::SetUp();
        player.ToggleFlight();
    }
    // Runs frames until the player stands; false if it never does.
    static bool Land(Player& subject) {
        for (int frame = 0; frame < 600; ++frame) {
            subject.Update(kFrame);
            if (subject.IsOnGround()) return true;
        }
        return false;
    }
    static float Feet(const Player& subject) { return subject.Position().y - 1.5f; }
    void StandOnFloor(float x = 16.5f, float z = 16.5f) {
        PlaceFloor(kFloorY, 10, 28, 12, 20);
        player.SetPosition({x, 9.0f, z});
        ASSERT_TRUE(Land(player));
    }
};

TEST_F(CollisionTest, FeetExactlyOnABlockTopAreNotYetOnGround) {
    PlaceFloor(kFloorY, 12, 20, 12, 20);
    PlaceEye({16.5f, kFloorTop + 1.5f, 16.5f});
    EXPECT_FALSE(player.TestBelow());
    player.Update(kFrame);
    EXPECT_FALSE(player.IsOnGround());
    EXPECT_LT(Feet(player), kFloorTop);
    player.Update(kFrame);
    EXPECT_TRUE(player.IsOnGround());
}

// A box 0.5 wide centred on a cell corner touches four columns; a block in any one carries it.
TEST_F(CollisionTest, TheDownwardTestSamplesAllFourCornerColumns) {
    PlaceEye({16.0f, 6.2f, 16.0f});
    for (const auto& [x, z] : {std::pair{15, 15}, {16, 15}, {15, 16}, {16, 16}}) {
        EXPECT_FALSE(player.TestBelow());
        SetBlock(x, kFloorY, z);
        EXPECT_TRUE(player.TestBelow()) << x << "," << z;
        SetBlock(x, kFloorY, z, 0);
    }
}

// The box spans rows 8 (feet), 9 (centre) and 10 (top); side tests sample the centre and top rows.
// With the box inside one cell column, the block in that column lies beyond it towards + only.
TEST_F(CollisionTest, EachSideTestSeesOnlyBlocksOnItsOwnSideAboveTheFeet) {
    bool (Player::*const sides[])() const = {&Player::TestNegX, &Player::TestPosX, &Player::TestNegZ,
                                             &Player::TestPosZ};
    const struct {
        Vec3 eye;
        CellCoord block;
        int hits;  // bit i set: sides[i] sees the block
    } cases[] = {{{16.2f, 10.0f, 16.5f}, {15, 9, 16}, 1},  {{16.8f, 10.0f, 16.5f}, {17, 9, 16}, 2},
                 {{16.5f, 10.0f, 16.2f}, {16, 9, 15}, 4},  {{16.5f, 10.0f, 16.8f}, {16, 9, 17}, 8},
                 {{16.8f, 10.0f, 16.5f}, {17, 10, 16}, 2}, {{16.8f, 10.0f, 16.5f}, {17, 8, 16}, 0},
                 {{16.5f, 10.0f, 16.5f}, {16, 9, 16}, 2 | 8}};
    for (const auto& c : cases) {
        SetBlock(c.block.x, c.block.y, c.block.z);
        PlaceEye(c.eye);
        for (int side = 0; side < 4; ++side) {
            EXPECT_EQ((player.*sides[side])(), (c.hits >> side & 1) != 0)
                << "side " << side << " block " << c.block.x << "," << c.block.y << "," << c.block.z;
        }
        SetBlock(c.block.x, c.block.y, c.block.z, 0);
    }
}

TEST_F(CollisionTest, OverlapOfExactlyTheMarginDoesNotCount) {
    SetBlock(17, 9, 17);
    const float eyeX = 17.0f + 0.1f - 0.25f;  // the box's max x is the block's low x plus the margin
    ASSERT_EQ(eyeX + 0.25f - 0.1f, 17.0f);
    PlaceEye({eyeX, 10.0f, 16.75f});
    EXPECT_FALSE(player.TestPosZ());
    PlaceEye({eyeX + 0.01f, 10.0f, 16.75f});
    EXPECT_TRUE(player.TestPosZ());
}

TEST_F(CollisionTest, ABlockInTheBoxOwnColumnStopsMotionTowardsPositiveXOnly) {
    SetBlock(16, 9, 16);
    player.ToggleFlight();
    for (const float vx : {-3.0f, 3.0f}) {
        PlaceEye({16.5f, 10.0f, 16.5f});
        player.SetVelocity({vx, 0.0f, 0.0f});
        player.Update(kFrame);
        EXPECT_NEAR(player.Velocity().x, vx < 0 ? vx * (1.0f - 8.0f * kFrame) : 0.0f, 1e-6f) << vx;
    }
    EXPECT_EQ(player.Position().x, 16.5f);
}

TEST_F(CollisionTest, TheFloorNeverStopsWalkingButAWallOneRowUpDoes) {
    SetBlock(20, kFloorY + 1, 16);
    StandOnFloor(14.5f, 16.5f);
    ASSERT_EQ(player.Box().cellCentreY, kFloorY + 1);
    Hold(player, "R");
    RunFrames(120);  // across five floor cells
    EXPECT_TRUE(player.IsOnGround());
    EXPECT_GT(player.Box().max.x, 20.0f);
    EXPECT_LT(player.Box().max.x, 20.0f + 6.25f * kFrame);  // stopped within one frame's step
    EXPECT_EQ(player.Velocity().x, 0.0f);
}

TEST_F(CollisionTest, AHeadBlockStopsRising) {
    player.ToggleFlight();
    SetBlock(16, 10, 16);
    player.SetPosition({16.5f, 8.0f, 16.5f});
    player.SetVelocity({0.0f, 0.0f, 0.0f});
    Hold(player, "U");
    RunFrames(120);
    EXPECT_EQ(player.Velocity().y, 0.0f);
    EXPECT_GE(player.Box().max.y, 10.0f);
    EXPECT_LT(player.Box().max.y, 10.0f + 25.0f * kFrame);
}

TEST_F(CollisionTest, NothingOutsideTheWindowIsSolid) {
    // x = 27 and x = -5 share slot 3 and local x 3; only 27 is in the window.
    PlaceFloor(kFloorY, 27, 27, 16, 20);
    Player outside;
    ASSERT_TRUE(outside.Initialize(nullptr, &world));
    outside.ToggleFlight();
    player.SetPosition({27.5f, 9.0f, 17.5f});
    outside.SetPosition({-4.5f, 9.0f, 17.5f});
    for (int frame = 0; frame < 120; ++frame) player.Update(kFrame), outside.Update(kFrame);
    EXPECT_TRUE(player.IsOnGround());
    EXPECT_FALSE(outside.IsOnGround());
    EXPECT_LT(Feet(outside), 0.0f);
}

TEST_F(CollisionTest, CollisionOffWhileStandingKeepsOnGroundAndLetsJumpsStack) {
    StandOnFloor();
    const float restY = player.Position().y;
    player.ToggleCollision();
    RunFrames(30);
    EXPECT_TRUE(player.IsOnGround());
    EXPECT_EQ(player.Position().y, restY);
    player.Jump();
    EXPECT_EQ(player.Velocity().y, 25.0f);
    player.Update(kFrame);
    const float rising = player.Velocity().y;
    player.Jump();
    EXPECT_EQ(player.Velocity().y, rising + 25.0f);
    RunFrames(120);
    EXPECT_GT(player.Position().y, restY);  // no gravity while onGround stays set
}

TEST_F(CollisionTest, CollisionOffWhileFallingFallsThroughTheFloor) {
    PlaceFloor(kFloorY, 12, 20, 12, 20);
    player.SetPosition({16.5f, 9.0f, 16.5f});
    RunFrames(5);
    ASSERT_FALSE(player.IsOnGround());
    player.ToggleCollision();
    RunFrames(120);
    EXPECT_FALSE(player.IsOnGround());
    EXPECT_LT(Feet(player), static_cast<float>(kFloorY));
}

TEST_F(CollisionTest, AFallingPlayerSinksIntoTheTopLayerStaysAndJumpsOnlyFromTheGround) {
    PlaceFloor(kFloorY, 12, 20, 12, 20);
    player.SetPosition({16.5f, 9.0f, 16.5f});
    player.Update(kFrame);
    const float falling = player.Velocity().y;
    player.Jump();
    EXPECT_EQ(player.Velocity().y, falling);

    ASSERT_TRUE(Land(player));
    const Vec3 rest = player.Position();
    EXPECT_EQ(player.Velocity().y, 0.0f);
    EXPECT_LT(Feet(player), kFloorTop);
    EXPECT_GT(Feet(player), kFloorTop - 15.0f * kFrame);  // at most one frame's fall
    RunFrames(120);
    EXPECT_TRUE(player.IsOnGround());
    EXPECT_TRUE(player.Position().y == rest.y && player.Position().x == rest.x);

    player.Jump();
    EXPECT_EQ(player.Velocity().y, 25.0f);
    EXPECT_TRUE(player.IsOnGround());
    player.Update(kFrame);
    EXPECT_TRUE(player.IsOnGround());  // the box still touched the block
    EXPECT_GT(player.Position().y, rest.y);
    player.Update(kFrame);
    EXPECT_FALSE(player.IsOnGround());
    ASSERT_TRUE(Land(player));
    EXPECT_LT(Feet(player), kFloorTop);
}

TEST_F(CollisionTest, BlocksAreVoxelSizeWideFromTheirLowCorner) {
    SetBlock(16, kFloorY, 16);
    PlaceEye({16.5f, 6.2f, 16.5f});  // feet at 4.7
    EXPECT_TRUE(player.TestBelow());
    Config().voxelSize = 0.5f;
    Player small;
    ASSERT_TRUE(small.Initialize(nullptr, &world));
    for (const auto& [eyeY, below] : {std::pair{6.2f, false}, {5.9f, true}}) {  // the block's top is at 4.5
        small.SetPosition({16.5f, eyeY, 16.5f});
        small.RebuildBox();
        EXPECT_EQ(small.TestBelow(), below) << eyeY;
    }
}

}  // namespace
