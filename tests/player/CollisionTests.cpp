#include <gtest/gtest.h>

#include "SmallWorld.h"

namespace {

constexpr int kPatience = 600;

// Walking players on small block layouts. The floor's top face is at y = 5.
class CollisionTest : public SmallWorldTest {
protected:
    static constexpr int32_t kFloorY = 4;
    static constexpr float kFloorTop = 5.0f;

    void SetUp() override {
        SmallWorldTest::SetUp();
        StartWalking();
    }

    void RemoveBlock(int32_t x, int32_t y, int32_t z) {
        const ChunkKey slot{x / kChunkWidth, 0, z / kChunkWidth};
        world.FindChunk(slot)->SetBlock(x % kChunkWidth, y, z % kChunkWidth, 0);
    }

    // Runs frames until the player stands; false if it never does.
    static bool Land(Player& subject) {
        for (int frame = 0; frame < kPatience; ++frame) {
            subject.Update(kFrame);
            if (subject.IsOnGround()) {
                return true;
            }
        }
        return false;
    }

    static float Feet(const Player& subject) { return subject.Position().y - 1.5f; }

    void StandOnFloorAt(Player& subject, float x, float z) {
        subject.SetPosition({x, 9.0f, z});
        ASSERT_TRUE(Land(subject));
    }
};

TEST_F(CollisionTest, AFallingPlayerSinksIntoTheTopLayerAndStaysThere) {
    PlaceFloor(kFloorY, 12, 20, 12, 20);
    player.SetPosition({16.5f, 9.0f, 16.5f});
    ASSERT_TRUE(Land(player));

    const Vec3 rest = player.Position();
    EXPECT_EQ(player.Velocity().y, 0.0f);
    EXPECT_LT(Feet(player), kFloorTop);
    EXPECT_GT(Feet(player), kFloorTop - 15.0f * kFrame);  // at most one frame's fall

    RunFrames(120);
    EXPECT_TRUE(player.IsOnGround());
    EXPECT_EQ(player.Position().y, rest.y);
    EXPECT_EQ(player.Position().x, rest.x);
}

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

// A box 0.5 wide centred on a cell corner touches four columns; a block in
// any one of them carries it.
TEST_F(CollisionTest, TheDownwardTestSamplesAllFourCornerColumns) {
    PlaceEye({16.0f, 6.2f, 16.0f});
    const CellCoord corners[] = {{15, kFloorY, 15}, {16, kFloorY, 15}, {15, kFloorY, 16}, {16, kFloorY, 16}};
    for (const CellCoord& corner : corners) {
        EXPECT_FALSE(player.TestBelow());
        PlaceBlock(corner.x, corner.y, corner.z);
        EXPECT_TRUE(player.TestBelow()) << corner.x << "," << corner.z;
        RemoveBlock(corner.x, corner.y, corner.z);
    }
}

TEST_F(CollisionTest, EachSideTestSeesOnlyBlocksOnItsOwnSide) {
    struct Case {
        Vec3 eye;
        CellCoord block;
        bool (Player::*expectedHit)() const;
    };
    const Case cases[] = {{{16.2f, 10.0f, 16.5f}, {15, 9, 16}, &Player::TestNegX},
                          {{16.8f, 10.0f, 16.5f}, {17, 9, 16}, &Player::TestPosX},
                          {{16.5f, 10.0f, 16.2f}, {16, 9, 15}, &Player::TestNegZ},
                          {{16.5f, 10.0f, 16.8f}, {16, 9, 17}, &Player::TestPosZ}};
    bool (Player::*const sides[])() const = {&Player::TestNegX, &Player::TestPosX, &Player::TestNegZ,
                                             &Player::TestPosZ};
    for (const Case& c : cases) {
        PlaceBlock(c.block.x, c.block.y, c.block.z);
        PlaceEye(c.eye);
        for (auto side : sides) {
            EXPECT_EQ((player.*side)(), side == c.expectedHit) << c.block.x << "," << c.block.z;
        }
        RemoveBlock(c.block.x, c.block.y, c.block.z);
    }
}

// The box spans rows 8 (feet), 9 (centre) and 10 (top); side tests sample
// the centre and top rows only.
TEST_F(CollisionTest, SideTestsIgnoreTheRowOfTheFeet) {
    PlaceEye({16.8f, 10.0f, 16.5f});
    PlaceBlock(17, 8, 16);
    EXPECT_FALSE(player.TestPosX());
    PlaceBlock(17, 10, 16);
    EXPECT_TRUE(player.TestPosX());
}

TEST_F(CollisionTest, OverlapOfExactlyTheMarginDoesNotCount) {
    PlaceBlock(17, 9, 17);
    const float boxMaxX = 17.0f + 0.1f;
    const float eyeX = boxMaxX - 0.25f;
    ASSERT_EQ(eyeX + 0.25f, boxMaxX);
    ASSERT_EQ(boxMaxX - 0.1f, 17.0f);

    PlaceEye({eyeX, 10.0f, 16.75f});
    EXPECT_FALSE(player.TestPosZ());
    PlaceEye({eyeX + 0.01f, 10.0f, 16.75f});
    EXPECT_TRUE(player.TestPosZ());
}

// With the box inside one cell column, the block in that column lies beyond
// the box towards +x but not towards -x.
TEST_F(CollisionTest, ABlockInTheBoxOwnColumnStopsOnlyPositiveX) {
    PlaceBlock(16, 9, 16);
    PlaceEye({16.5f, 10.0f, 16.5f});
    EXPECT_FALSE(player.TestNegX());
    EXPECT_TRUE(player.TestPosX());

    player.ToggleFlight();
    player.SetVelocity({-3.0f, 0.0f, 0.0f});
    player.Update(kFrame);
    EXPECT_NEAR(player.Velocity().x, -3.0f * (1.0f - 8.0f * kFrame), 1e-6f);

    PlaceEye({16.5f, 10.0f, 16.5f});
    player.SetVelocity({3.0f, 0.0f, 0.0f});
    player.Update(kFrame);
    EXPECT_EQ(player.Velocity().x, 0.0f);
    EXPECT_EQ(player.Position().x, 16.5f);
}

// Walking across five floor cells, then against a block one row up.
TEST_F(CollisionTest, TheFloorNeverStopsWalkingButAWallOneRowUpDoes) {
    PlaceFloor(kFloorY, 10, 28, 12, 20);
    PlaceBlock(20, kFloorY + 1, 16);
    StandOnFloorAt(player, 14.5f, 16.5f);
    ASSERT_EQ(player.Box().cellCentreY, kFloorY + 1);

    player.SetIntents(false, false, false, true, false, false);
    RunFrames(120);
    EXPECT_TRUE(player.IsOnGround());
    EXPECT_GT(player.Box().max.x, 20.0f);
    EXPECT_LT(player.Box().max.x, 20.0f + 6.25f * kFrame);  // stopped within one frame's step
    EXPECT_EQ(player.Velocity().x, 0.0f);
}

TEST_F(CollisionTest, AHeadBlockStopsRisingButNoBlockIsPushedOut) {
    player.ToggleFlight();
    PlaceBlock(16, 10, 16);
    player.SetPosition({16.5f, 8.0f, 16.5f});
    player.SetVelocity({0.0f, 0.0f, 0.0f});
    player.SetIntents(false, false, false, false, true, false);
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
    for (int frame = 0; frame < 120; ++frame) {
        player.Update(kFrame);
        outside.Update(kFrame);
    }
    EXPECT_TRUE(player.IsOnGround());
    EXPECT_FALSE(outside.IsOnGround());
    EXPECT_LT(Feet(outside), 0.0f);
}

TEST_F(CollisionTest, SwitchingCollisionOffWhileStandingKeepsOnGround) {
    PlaceFloor(kFloorY, 12, 20, 12, 20);
    StandOnFloorAt(player, 16.5f, 16.5f);
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

TEST_F(CollisionTest, SwitchingCollisionOffWhileFallingFallsThroughTheFloor) {
    PlaceFloor(kFloorY, 12, 20, 12, 20);
    player.SetPosition({16.5f, 9.0f, 16.5f});
    RunFrames(5);
    ASSERT_FALSE(player.IsOnGround());
    player.ToggleCollision();
    RunFrames(120);
    EXPECT_FALSE(player.IsOnGround());
    EXPECT_LT(Feet(player), static_cast<float>(kFloorY));
}

TEST_F(CollisionTest, JumpActsOnlyOnGroundAndKeepsOnGroundUntilTheBoxLeaves) {
    PlaceFloor(kFloorY, 12, 20, 12, 20);
    player.SetPosition({16.5f, 9.0f, 16.5f});
    player.Update(kFrame);
    const Vec3 falling = player.Velocity();
    player.Jump();
    EXPECT_EQ(player.Velocity().y, falling.y);

    ASSERT_TRUE(Land(player));
    const float restY = player.Position().y;
    player.Jump();
    EXPECT_EQ(player.Velocity().y, 25.0f);
    EXPECT_TRUE(player.IsOnGround());
    player.Update(kFrame);
    EXPECT_TRUE(player.IsOnGround());  // the box still touched the block
    EXPECT_GT(player.Position().y, restY);
    player.Update(kFrame);
    EXPECT_FALSE(player.IsOnGround());

    ASSERT_TRUE(Land(player));
    EXPECT_LT(Feet(player), kFloorTop);
}

TEST_F(CollisionTest, BlocksAreVoxelSizeWideFromTheirLowCorner) {
    PlaceBlock(16, kFloorY, 16);
    PlaceEye({16.5f, 6.2f, 16.5f});  // feet at 4.7
    EXPECT_TRUE(player.TestBelow());

    Config().voxelSize = 0.5f;
    Player small;
    ASSERT_TRUE(small.Initialize(nullptr, &world));
    small.SetPosition({16.5f, 6.2f, 16.5f});
    small.RebuildBox();
    EXPECT_FALSE(small.TestBelow());  // the block's top is at 4.5
    small.SetPosition({16.5f, 5.9f, 16.5f});
    small.RebuildBox();
    EXPECT_TRUE(small.TestBelow());
}

}  // namespace
