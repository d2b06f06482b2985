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
};

// Feet exactly on a block's top are not yet on the ground: the box must
// reach into the block. A box 0.5 wide centred on a cell corner stands on
// any of the four columns under it. Gravity acts before the tests: a player
// at rest reaching into a block stands from its first update.
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
    ASSERT_TRUE(resting.Initialize(nullptr, &world));
    resting.ToggleFlight();
    resting.SetPosition({16.5f, kFloorTop + 1.45f, 16.5f});
    resting.SetVelocity({0.0f, 0.0f, 0.0f});
    resting.Update(kFrame);
    EXPECT_TRUE(resting.IsOnGround() && resting.Velocity().y == 0.0f);
}

// The box spans rows 8 (feet), 9 (centre) and 10 (top); side tests sample the
// centre and top rows. With the box inside one cell column, the block in that
// column lies beyond it towards + only. Across the test's direction the box
// must overlap a block by more than the 0.1 margin on either side.
TEST_F(CollisionTest, EachSideTestSeesOnlyBlocksOnItsOwnSideAboveTheFeetBeyondTheMargin) {
    bool (Player::*const sides[])() const = {&Player::TestNegX, &Player::TestPosX, &Player::TestNegZ,
                                             &Player::TestPosZ};
    const struct {
        Vec3 eye;
        CellCoord block;
        int hits;  // bit i set: sides[i] sees the block
    } cases[] = {{{16.2f, 10.0f, 16.5f}, {15, 9, 16}, 1},  {{16.8f, 10.0f, 16.5f}, {17, 9, 16}, 2},
                 {{16.5f, 10.0f, 16.2f}, {16, 9, 15}, 4},  {{16.5f, 10.0f, 16.8f}, {16, 9, 17}, 8},
                 {{16.8f, 10.0f, 16.5f}, {17, 10, 16}, 2}, {{16.8f, 10.0f, 16.5f}, {17, 8, 16}, 0},
                 {{16.5f, 10.0f, 16.5f}, {16, 9, 16}, 2 | 8},
                 {{17.0f + 0.1f - 0.25f, 10.0f, 16.75f}, {17, 9, 17}, 0},  // overlaps x by exactly the margin
                 {{17.01f + 0.1f - 0.25f, 10.0f, 16.75f}, {17, 9, 17}, 8},
                 {{16.0f - 0.1f + 0.25f, 10.0f, 16.75f}, {15, 9, 17}, 0},  // the same from the other side
                 {{15.99f - 0.1f + 0.25f, 10.0f, 16.75f}, {15, 9, 17}, 8}};
    for (const auto& c : cases) {
        SetBlock(c.block.x, c.block.y, c.block.z);
        PlaceEye(c.eye);
        for (int side = 0; side < 4; ++side) {
            EXPECT_EQ((player.*sides[side])(), (c.hits >> side & 1) != 0)
                << "side " << side << " eye x " << c.eye.x << " block x " << c.block.x << " y " << c.block.y;
        }
        SetBlock(c.block.x, c.block.y, c.block.z, 0);
    }
}

// Each test cancels only the velocity component that points at its block,
// deciding by the velocity before damping (which turns it round in long frames).
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

// Collision off keeps the ground flag as it was: a standing player then
// neither falls nor stops jumps from stacking; a falling one falls through.
TEST_F(CollisionTest, CollisionOffKeepsTheGroundFlag) {
    PlaceFloor(kFloorY, 12, 20, 12, 20);
    player.SetPosition({16.5f, 9.0f, 16.5f});
    ASSERT_TRUE(Land(player));
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

// A falling player sinks into the top layer by at most a frame's fall and
// rests there; it jumps with 25 only from the ground, and the box still
// touches the block in the first frame of the jump.
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
}

// Blocks reach one voxel size from their low corner: with voxelSize 0.5 the
// block at y = 4 has its top at 4.5.
TEST_F(CollisionTest, BlocksAreVoxelSizeWideFromTheirLowCorner) {
    SetBlock(16, kFloorY, 16);
    Config().voxelSize = 0.5f;
    Player small;
    ASSERT_TRUE(small.Initialize(nullptr, &world));
    for (const auto& [eyeY, below] : {std::pair{6.2f, false}, {5.9f, true}}) {
        small.SetPosition({16.5f, eyeY, 16.5f});
        small.RebuildBox();
        EXPECT_EQ(small.TestBelow(), below) << eyeY;
    }
}

}  // namespace
