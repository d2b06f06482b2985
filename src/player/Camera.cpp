#include "player/Camera.h"

#include <cmath>
#include <cstring>

#include "platform/ErrorMessage.h"

namespace {

// The single-precision value of pi / 180.
constexpr float kDegreesToRadians = 0.0174532905f;

// A left-handed look-to matrix for row vectors.
Matrix4 LookTo(Vec3 eye, Vec3 direction, Vec3 upVector) {
    const Vec3 zAxis = Normalize(direction);
    const Vec3 xAxis = Normalize(Cross(upVector, zAxis));
    const Vec3 yAxis = Cross(zAxis, xAxis);
    Matrix4 view;
    view.m[0][0] = xAxis.x;
    view.m[0][1] = yAxis.x;
    view.m[0][2] = zAxis.x;
    view.m[1][0] = xAxis.y;
    view.m[1][1] = yAxis.y;
    view.m[1][2] = zAxis.y;
    view.m[2][0] = xAxis.z;
    view.m[2][1] = yAxis.z;
    view.m[2][2] = zAxis.z;
    view.m[3][0] = -Dot(xAxis, eye);
    view.m[3][1] = -Dot(yAxis, eye);
    view.m[3][2] = -Dot(zAxis, eye);
    view.m[3][3] = 1.0f;
    return view;
}

}  // namespace

Camera::Camera() : yaw_(0.0f), pitch_(0.0f) {}

bool Camera::Initialize(RenderDevice& device) {
    const BufferDesc desc{
        .byteWidth = kConstantBufferSize, .usage = Usage::Dynamic, .bind = BindFlag::ConstantBuffer, .cpuWrite = true};
    if (!device.CreateBuffer(desc, nullptr, constantBuffer_)) {
        ShowErrorMessage("failed to create camera buffer");
        return false;
    }
    return true;
}

void Camera::Release(RenderDevice& device) {
    if (constantBuffer_) {
        device.Release(constantBuffer_);
    }
}

void Camera::UpdateView() {
    const float cp = std::cos(pitch_);
    const float sp = std::sin(pitch_);
    const float cy = std::cos(yaw_);
    const float sy = std::sin(yaw_);

    // The unit axes turned by pitch about x, then yaw about y.
    right_ = {cy, 0.0f, -sy};
    const Vec3 rotatedUp{sp * sy, cp, sp * cy};
    forward_ = {cp * sy, -sp, cp * cy};
    up_ = Cross(forward_, right_);
    flatForward_ = Normalize(Cross(Vec3{0.0f, 1.0f, 0.0f}, right_ * -1.0f));

    const Vec3 focus = position_ + forward_;
    view_ = LookTo(position_, focus - position_, rotatedUp);
}

void Camera::BuildProjection(const ViewSettings& config) {
    const float fovY = config.fieldOfView * kDegreesToRadians;
    const float width = static_cast<float>(config.windowWidth);
    const float height = static_cast<float>(config.windowHeight);
    BuildPerspective(fovY, width / height, config.screenNear, config.screenDepth);
    BuildOrthographic(width, height, config.screenNear, config.screenDepth);
}

void Camera::BuildPerspective(float fovY, float aspect, float nearPlane, float farPlane) {
    const float halfFov = fovY / 2.0f;
    const float h = std::cos(halfFov) / std::sin(halfFov);
    const float w = h / aspect;
    const float q = farPlane / (farPlane - nearPlane);
    projection_ = Matrix4{};
    projection_.m[0][0] = w;
    projection_.m[1][1] = h;
    projection_.m[2][2] = q;
    projection_.m[2][3] = 1.0f;
    projection_.m[3][2] = -q * nearPlane;
}

void Camera::BuildOrthographic(float width, float height, float nearPlane, float farPlane) {
    const float q = 1.0f / (farPlane - nearPlane);
    orthographic_ = Matrix4{};
    orthographic_.m[0][0] = 2.0f / width;
    orthographic_.m[1][1] = 2.0f / height;
    orthographic_.m[2][2] = q;
    orthographic_.m[3][2] = -q * nearPlane;
    orthographic_.m[3][3] = 1.0f;
}

void Camera::EyeInViewSpace(float out[4]) const {
    const float eye[4] = {position_.x, position_.y, position_.z, 1.0f};
    for (int row = 0; row < 4; ++row) {
        const float* viewRow = view_.m[row];
        out[row] = viewRow[0] * eye[0] + viewRow[1] * eye[1] + viewRow[2] * eye[2] + viewRow[3] * eye[3];
    }
}

void Camera::Upload(RenderDevice& device) {
    void* mapped = device.MapDiscard(constantBuffer_);
    if (mapped == nullptr) {
        ShowErrorMessage("failed to lock constant buffer for camera");
        return;
    }
    float eyeInView[4];
    EyeInViewSpace(eyeInView);
    std::memcpy(mapped, eyeInView, sizeof(eyeInView));
    device.Unmap(constantBuffer_);
    device.SetConstantBuffer(ShaderStage::Vertex, 0, constantBuffer_);
    device.SetConstantBuffer(ShaderStage::Pixel, 0, constantBuffer_);
}
