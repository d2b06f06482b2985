#pragma once

#include "graphics/Matrix.h"
#include "graphics/RenderDevice.h"
#include "player/PlayerSettings.h"

// The eye of the player: turns a position and two view angles into the axes
// that movement uses and the left-handed view, perspective and orthographic
// matrices that rendering uses. Owns a small constant buffer holding the eye
// position in view space, bound to slot 0 of both shader stages.
class Camera {
public:
    Camera();

    // Creates the 16-byte dynamic constant buffer.
    bool Initialize(RenderDevice& device);
    void Release(RenderDevice& device);

    // Recomputes the axes and the view from yaw, pitch and position.
    void UpdateView();
    // Builds both projections from the window size and view distances.
    void BuildProjection(const ViewSettings& view);
    // Fills and binds the constant buffer.
    void Upload(RenderDevice& device);

    void SetPosition(Vec3 position) { position_ = position; }
    void SetYaw(float yaw) { yaw_ = yaw; }
    void SetPitch(float pitch) { pitch_ = pitch; }

    Vec3 Position() const { return position_; }
    float Yaw() const { return yaw_; }
    float Pitch() const { return pitch_; }
    Vec3 Up() const { return up_; }
    Vec3 Right() const { return right_; }
    Vec3 Forward() const { return forward_; }
    Vec3 FlatForward() const { return flatForward_; }
    const Matrix4& View() const { return view_; }
    const Matrix4& Projection() const { return projection_; }
    const Matrix4& Orthographic() const { return orthographic_; }
    BufferHandle ConstantBuffer() const { return constantBuffer_; }

    static constexpr uint32_t kConstantBufferSize = 16;

private:
    void BuildPerspective(float fovY, float aspect, float nearPlane, float farPlane);
    void BuildOrthographic(float width, float height, float nearPlane, float farPlane);
    // The eye position multiplied by the transposed view matrix.
    void EyeInViewSpace(float out[4]) const;

    float yaw_;
    float pitch_;
    Vec3 position_;
    Vec3 up_;
    Vec3 right_;
    Vec3 forward_;
    Vec3 flatForward_;
    Matrix4 view_;
    Matrix4 projection_;
    Matrix4 orthographic_;
    BufferHandle constantBuffer_;
};
