#pragma once

#include <cstdint>
#include <memory>

#include "graphics/Matrix.h"
#include "player/CollisionBox.h"
#include "player/PlayerSettings.h"
#include "world/Directions.h"

class Camera;
class RenderDevice;
class VoxelWorld;

// The first-person body that carries the camera through the world: walks
// with gravity and jumps, or flies; damps its velocity and, while collision
// is on, cancels the velocity components that would push its box into solid
// blocks. It never moves itself out of a block.
class Player {
public:
    static constexpr float kLargestTimeStep = 0.2f;
    static constexpr float kWalkingAcceleration = 50.0f;
    static constexpr float kFlyingAcceleration = 200.0f;
    static constexpr float kGravity = 120.0f;
    static constexpr float kDampingRate = 8.0f;
    static constexpr float kJumpImpulse = 25.0f;
    static constexpr float kPitchLimit = 1.5707964f;
    static constexpr float kYawPeriod = 6.2831855f;
    static constexpr float kContactMargin = 0.1f;

    Player();
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Places the player over the world's centre chunk and builds the camera.
    // Without a device the camera gets no constant buffer (logic-only use).
    bool Initialize(const PlayerSettings& settings, RenderDevice* device, VoxelWorld* world);

    void Update(float dt);
    void SetIntents(bool forward, bool backward, bool left, bool right, bool up, bool down);
    void ToggleFlight();
    void ToggleCollision();
    void Jump();
    // Turns the camera by a cursor offset in pixels (y grows downwards).
    void Look(int32_t dx, int32_t dy);

    // Whether the box touches a solid block on that side, judged from the
    // box as last rebuilt.
    bool TestBelow() const;
    bool TestAbove() const;
    bool TestNegX() const;
    bool TestPosX() const;
    bool TestNegZ() const;
    bool TestPosZ() const;

    // Rebuilds the box and its cells around the current position.
    void RebuildBox();

    // Moves the player (and its camera) without any test; for tools, replays
    // and tests.
    void SetPosition(Vec3 position);
    void SetVelocity(Vec3 velocity) { velocity_ = velocity; }

    Vec3 Position() const { return position_; }
    Vec3 Velocity() const { return velocity_; }
    bool IsFlying() const { return flying_; }
    bool HasGravity() const { return gravity_; }
    bool HasCollision() const { return collision_; }
    bool IsOnGround() const { return onGround_; }
    const CollisionBox& Box() const { return box_; }
    Camera* GetCamera() { return camera_.get(); }
    const Camera* GetCamera() const { return camera_.get(); }

private:
    void AccelerateSideways(float a);
    void ApplyGravity(float t);
    void AccelerateForward(float a);
    void AccelerateVertically(float a);
    void ApplyCollision();
    void CollideVertically(float vy);
    void CollideX(float vx);
    void CollideZ(float vz);
    void Damp(float t);

    // Whether a solid sample cell passes the test along testAxis towards
    // the negative or the positive side.
    bool TestSamples(const CellCoord (&samples)[4], Axis testAxis, bool towardsNegative) const;
    bool BlockTouches(const CellCoord& cell, Axis testAxis, bool towardsNegative) const;

    std::unique_ptr<Camera> camera_;
    VoxelWorld* world_;
    CollisionBox box_;
    bool moveForward_;
    bool moveBackward_;
    bool moveLeft_;
    bool moveRight_;
    bool moveUp_;
    bool moveDown_;
    bool onGround_;
    bool flying_;
    bool gravity_;
    bool collision_;
    Vec3 position_;
    Vec3 velocity_;
    float halfVoxel_;
};
