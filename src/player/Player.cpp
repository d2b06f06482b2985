#include "player/Player.h"

#include "input/InputState.h"
#include "player/Camera.h"
#include "world/VoxelWorld.h"

namespace {

float Component(const Vec3& v, Axis axis) { return axis == Axis::X ? v.x : axis == Axis::Y ? v.y : v.z; }
int32_t Component(const CellCoord& c, Axis axis) { return axis == Axis::X ? c.x : axis == Axis::Y ? c.y : c.z; }

struct Extent {
    float low;
    float high;
};

// Across the direction of a test the box must overlap the block by more than
// the margin, so that brushing past a block's edge does not stop the player.
bool OverlapsBeyondMargin(Extent box, Extent block) {
    return box.high - Player::kContactMargin > block.low && block.high > box.low + Player::kContactMargin;
}

// Towards a negative direction: the block's face that points back at the box
// lies within the box.
bool FacingSideWithin(Extent box, Extent block) { return block.high >= box.low && box.high >= block.high; }

// Towards a positive direction: block and box overlap, touching included.
bool Overlaps(Extent box, Extent block) { return box.high >= block.low && block.high >= box.low; }

}  // namespace

Player::Player()
    : world_(nullptr),
      moveForward_(false),
      moveBackward_(false),
      moveLeft_(false),
      moveRight_(false),
      moveUp_(false),
      moveDown_(false),
      onGround_(false),
      flying_(false),
      gravity_(true),
      collision_(true),
      halfVoxel_(0.0f) {}

Player::~Player() = default;

bool Player::Initialize(const PlayerSettings& config, RenderDevice* device, VoxelWorld* world) {
    world_ = world;

    const ChunkKey centre = world_->CentreChunk();
    const int32_t width = world_->ChunkWidth();
    position_ = {static_cast<float>(centre.x * width), static_cast<float>((centre.y + 1) * world_->ChunkHeight()),
                 static_cast<float>(centre.z * width)};
    velocity_ = {0.0f, -1.0f, 0.0f};
    halfVoxel_ = config.voxelSize * 0.5f;
    box_.PlaceAround(position_);

    camera_ = std::make_unique<Camera>();
    if (device != nullptr && !camera_->Initialize(*device)) {
        return false;
    }
    camera_->SetPosition(position_);
    camera_->UpdateView();
    camera_->SetYaw(0.0f);
    camera_->SetPitch(0.0f);
    camera_->BuildProjection(config.view);

    if (config.instantStart) {
        ToggleFlight();
    }
    return true;
}

void Player::Update(float dt) {
    const float t = dt > kLargestTimeStep ? kLargestTimeStep : dt;
    const float a = t * (flying_ ? kFlyingAcceleration : kWalkingAcceleration);

    AccelerateSideways(a);
    ApplyGravity(t);
    AccelerateForward(a);
    AccelerateVertically(a);
    if (collision_) {
        ApplyCollision();
    }
    Damp(t);
    position_ = position_ + velocity_ * t;

    camera_->SetPosition(position_);
    camera_->UpdateView();
}

void Player::AccelerateSideways(float a) {
    if (moveRight_) {
        velocity_ = velocity_ + camera_->Right() * a;
    } else if (moveLeft_) {
        velocity_ = velocity_ - camera_->Right() * a;
    }
}

// Uses onGround as the previous update left it.
void Player::ApplyGravity(float t) {
    if (!onGround_ && gravity_) {
        velocity_.y -= t * kGravity;
    }
}

// Walking ignores the pitch; flying follows the full look direction.
void Player::AccelerateForward(float a) {
    const Vec3 direction = flying_ ? camera_->Forward() : camera_->FlatForward();
    if (moveForward_) {
        velocity_ = velocity_ + direction * a;
    } else if (moveBackward_) {
        velocity_ = velocity_ - direction * a;
    }
}

// Along the camera's up axis, which tilts with the pitch; only while flying.
void Player::AccelerateVertically(float a) {
    if (!flying_) {
        return;
    }
    if (moveDown_) {
        velocity_ = velocity_ - camera_->Up() * a;
    } else if (moveUp_) {
        velocity_ = velocity_ + camera_->Up() * a;
    }
}

// The box is taken from the position before this update's motion, and every
// sign decision uses the velocity as it was before any test cancelled a part.
void Player::ApplyCollision() {
    RebuildBox();
    const Vec3 snapshot = velocity_;
    CollideVertically(snapshot.y);
    CollideX(snapshot.x);
    CollideZ(snapshot.z);
}

void Player::CollideVertically(float vy) {
    if (vy < 0.0f || onGround_) {
        onGround_ = false;
        if (TestBelow()) {
            onGround_ = true;
            if (vy < 0.0f) {
                velocity_.y = 0.0f;
            }
        }
    } else if (vy > 0.0f && TestAbove()) {
        velocity_.y = 0.0f;
    }
}

void Player::CollideX(float vx) {
    if ((vx < 0.0f && TestNegX()) || (vx > 0.0f && TestPosX())) {
        velocity_.x = 0.0f;
    }
}

void Player::CollideZ(float vz) {
    if ((vz < 0.0f && TestNegZ()) || (vz > 0.0f && TestPosZ())) {
        velocity_.z = 0.0f;
    }
}

// The factor 1 - 8t is deliberately not clamped: above t = 0.125 the
// velocity changes sign.
void Player::Damp(float t) { velocity_ = velocity_ - velocity_ * (kDampingRate * t); }

void Player::SetIntents(bool forward, bool backward, bool left, bool right, bool up, bool down) {
    moveForward_ = forward;
    moveBackward_ = backward;
    moveLeft_ = left;
    moveRight_ = right;
    moveUp_ = up;
    moveDown_ = down;
}

void Player::ToggleFlight() {
    gravity_ = flying_;
    flying_ = !flying_;
}

void Player::ToggleCollision() { collision_ = !collision_; }

// onGround stays set: the next update's downward test clears it once the box
// has left the block.
void Player::Jump() {
    if (onGround_) {
        velocity_.y += kJumpImpulse;
    }
}

void Player::Look(int32_t dx, int32_t dy) {
    const MouseFactors& factors = MouseAcceleration();
    float pitch = camera_->Pitch() + static_cast<float>(dy) * factors.accelerationY;
    float yaw = camera_->Yaw() + static_cast<float>(dx) * factors.accelerationX;

    if (pitch < -kPitchLimit) {
        pitch = -kPitchLimit;
    } else if (pitch > kPitchLimit) {
        pitch = kPitchLimit;
    }
    // One wrap per call only.
    if (yaw > kYawPeriod) {
        yaw -= kYawPeriod;
    } else if (yaw < 0.0f) {
        yaw += kYawPeriod;
    }
    camera_->SetPitch(pitch);
    camera_->SetYaw(yaw);
}

void Player::RebuildBox() {
    box_.PlaceAround(position_);
    box_.UpdateCells();
}

void Player::SetPosition(Vec3 position) {
    position_ = position;
    if (camera_) {
        camera_->SetPosition(position_);
    }
}

bool Player::BlockTouches(const CellCoord& cell, Axis testAxis, bool towardsNegative) const {
    const float blockSize = 2.0f * halfVoxel_;
    for (const Axis axis : {Axis::X, Axis::Y, Axis::Z}) {
        const float low = static_cast<float>(Component(cell, axis));
        const Extent block{low, low + blockSize};
        const Extent box{Component(box_.min, axis), Component(box_.max, axis)};
        bool passes = false;
        if (axis != testAxis) {
            passes = OverlapsBeyondMargin(box, block);
        } else {
            passes = towardsNegative ? FacingSideWithin(box, block) : Overlaps(box, block);
        }
        if (!passes) {
            return false;
        }
    }
    return true;
}

bool Player::TestSamples(const CellCoord (&samples)[4], Axis testAxis, bool towardsNegative) const {
    for (const CellCoord& cell : samples) {
        if (world_->IsBlockSolid(cell.x, cell.y, cell.z) && BlockTouches(cell, testAxis, towardsNegative)) {
            return true;
        }
    }
    return false;
}

// Vertical tests sample the four corner columns in the row of the feet or of
// the box top.
bool Player::TestBelow() const {
    const CellCoord& lo = box_.cellMin;
    const CellCoord& hi = box_.cellMax;
    const CellCoord samples[4] = {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}};
    return TestSamples(samples, Axis::Y, true);
}

bool Player::TestAbove() const {
    const CellCoord& lo = box_.cellMin;
    const CellCoord& hi = box_.cellMax;
    const CellCoord samples[4] = {{lo.x, hi.y, lo.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, hi.z}, {hi.x, hi.y, hi.z}};
    return TestSamples(samples, Axis::Y, false);
}

// Side tests sample the rows of the box centre and the box top, never the
// row of the feet, so the block underfoot is never a wall.
bool Player::TestNegX() const {
    const CellCoord& lo = box_.cellMin;
    const CellCoord& hi = box_.cellMax;
    const int32_t mid = box_.cellCentreY;
    const CellCoord samples[4] = {{lo.x, mid, lo.z}, {lo.x, hi.y, lo.z}, {lo.x, mid, hi.z}, {lo.x, hi.y, hi.z}};
    return TestSamples(samples, Axis::X, true);
}

bool Player::TestPosX() const {
    const CellCoord& lo = box_.cellMin;
    const CellCoord& hi = box_.cellMax;
    const int32_t mid = box_.cellCentreY;
    const CellCoord samples[4] = {{hi.x, mid, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, mid, hi.z}, {hi.x, hi.y, hi.z}};
    return TestSamples(samples, Axis::X, false);
}

bool Player::TestNegZ() const {
    const CellCoord& lo = box_.cellMin;
    const CellCoord& hi = box_.cellMax;
    const int32_t mid = box_.cellCentreY;
    const CellCoord samples[4] = {{lo.x, mid, lo.z}, {lo.x, hi.y, lo.z}, {hi.x, mid, lo.z}, {hi.x, hi.y, lo.z}};
    return TestSamples(samples, Axis::Z, true);
}

bool Player::TestPosZ() const {
    const CellCoord& lo = box_.cellMin;
    const CellCoord& hi = box_.cellMax;
    const int32_t mid = box_.cellCentreY;
    const CellCoord samples[4] = {{lo.x, mid, hi.z}, {lo.x, hi.y, hi.z}, {hi.x, mid, hi.z}, {hi.x, hi.y, hi.z}};
    return TestSamples(samples, Axis::Z, false);
}
