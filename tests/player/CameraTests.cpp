#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "RecordingDevice.h"
#include "config/Settings.h"
#include "platform/ErrorMessage.h"
#include "player/Camera.h"

namespace {

constexpr float kHalfPi = 1.5707964f;

void ExpectVec(Vec3 actual, Vec3 expected, float tolerance = 2e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

Vec3 TransformPoint(Vec3 p, const Matrix4& m) {  // p x M, row vector with w = 1
    const float in[4] = {p.x, p.y, p.z, 1.0f};
    float out[3] = {};
    for (int i = 0; i < 12; ++i) out[i % 3] += in[i / 3] * m.m[i / 3][i % 3];
    return {out[0], out[1], out[2]};
}

Camera CameraAt(Vec3 position, float yaw, float pitch) {
    Camera camera;
    camera.SetPosition(position);
    camera.SetYaw(yaw);
    camera.SetPitch(pitch);
    camera.UpdateView();
    return camera;
}

TEST(CameraAxesTest, YawAndPitchTurnTheAxes) {
    const float s = std::sin(0.7f), c = std::cos(0.7f);
    const struct {
        float yaw, pitch;
        Vec3 forward, right, up, flat;
    } cases[] = {{0.0f, 0.0f, {0, 0, 1}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
                 {kHalfPi, 0.0f, {1, 0, 0}, {0, 0, -1}, {0, 1, 0}, {1, 0, 0}},
                 {0.7f, kHalfPi, {0, -1, 0}, {c, 0, -s}, {s, 0, c}, {s, 0, c}}};  // straight down
    for (const auto& t : cases) {
        SCOPED_TRACE(testing::Message() << "yaw " << t.yaw << " pitch " << t.pitch);
        const Camera camera = CameraAt({3.0f, 40.0f, -2.0f}, t.yaw, t.pitch);
        ExpectVec(camera.Forward(), t.forward, 1e-6f);
        ExpectVec(camera.Right(), t.right, 1e-6f);
        ExpectVec(camera.Up(), t.up, 1e-6f);
        ExpectVec(camera.FlatForward(), t.flat, 1e-6f);
    }
}

// The view maps the eye to the origin and right, up, forward to +x, +y, +z,
// looking straight down or up included.
TEST(CameraViewTest, MapsTheCameraAxesToTheViewSpaceAxes) {
    const Vec3 eye{12.5f, 70.0f, -31.0f};
    const float angles[][2] = {{2.2f, -0.6f}, {0.7f, kHalfPi}, {4.0f, -kHalfPi}};
    for (const auto& yawPitch : angles) {
        SCOPED_TRACE(testing::Message() << "yaw " << yawPitch[0] << " pitch " << yawPitch[1]);
        const Camera camera = CameraAt(eye, yawPitch[0], yawPitch[1]);
        ExpectVec(TransformPoint(eye, camera.View()), {0.0f, 0.0f, 0.0f});
        ExpectVec(TransformPoint(eye + camera.Right(), camera.View()), {1.0f, 0.0f, 0.0f});
        ExpectVec(TransformPoint(eye + camera.Up(), camera.View()), {0.0f, 1.0f, 0.0f});
        ExpectVec(TransformPoint(eye + camera.Forward(), camera.View()), {0.0f, 0.0f, 1.0f});
        EXPECT_TRUE(camera.View().m[3][3] == 1.0f && camera.View().m[0][3] == 0.0f);
    }
}

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        Config() = TypedSettings{};
        captured().clear();
        previousSink_ = SetErrorMessageSink([](const char* text) { captured().emplace_back(text); });
    }
    void TearDown() override {
        SetErrorMessageSink(previousSink_);
        Config() = TypedSettings{};
    }
    static std::vector<std::string>& captured() {
        static std::vector<std::string> messages;
        return messages;
    }
    std::vector<float> BufferFloats(const Camera& camera) const {
        const std::vector<uint8_t>& bytes = device.BufferBytes(camera.ConstantBuffer());
        std::vector<float> floats(bytes.size() / sizeof(float));
        std::memcpy(floats.data(), bytes.data(), floats.size() * sizeof(float));
        return floats;
    }
    RecordingDevice device;
    ErrorMessageSink previousSink_ = nullptr;
};

// Left-handed: perspective (w, h, q, 1, -q near) with h = cot(fov / 2) and
// w = h / aspect; orthographic (2 / width, 2 / height, 1 / (far - near), -near / (far - near)).
TEST_F(CameraTest, ProjectionsFollowTheSettings) {
    Config().windowWidth = 800;
    Config().windowHeight = 600;
    Config().screenNear = 0.5f;
    Config().screenDepth = 100.5f;
    Config().fieldOfView = 60.0f;
    Camera camera;
    camera.BuildProjection();
    const Matrix4& p = camera.Projection();
    const float q = 100.5f / 100.0f;
    EXPECT_NEAR(p.m[1][1], std::sqrt(3.0f), 1e-5f);
    EXPECT_NEAR(p.m[0][0], std::sqrt(3.0f) * 0.75f, 1e-5f);
    EXPECT_FLOAT_EQ(p.m[2][2], q);
    EXPECT_FLOAT_EQ(p.m[3][2], -q * 0.5f);
    EXPECT_TRUE(p.m[2][3] == 1.0f && p.m[3][3] == 0.0f && p.m[0][1] == 0.0f && p.m[3][0] == 0.0f);
    const Matrix4& o = camera.Orthographic();
    EXPECT_FLOAT_EQ(o.m[0][0], 2.0f / 800.0f);
    EXPECT_FLOAT_EQ(o.m[1][1], 2.0f / 600.0f);
    EXPECT_FLOAT_EQ(o.m[2][2], 0.01f);
    EXPECT_FLOAT_EQ(o.m[3][2], -0.005f);
    EXPECT_TRUE(o.m[3][3] == 1.0f && o.m[2][3] == 0.0f);
}

// The 16-byte buffer holds view x eye (the view's rows times the eye as a
// column); it is bound to slot 0 of both shader stages. A failed map writes
// nothing; a failed creation says so.
TEST_F(CameraTest, BufferHoldsTheEyeInViewSpaceForBothStagesAndFailuresSaySo) {
    Camera camera;
    ASSERT_TRUE(camera.Initialize(device));
    EXPECT_EQ(device.BufferDescription(camera.ConstantBuffer()).byteWidth, 16u);
    camera.SetPosition({1.0f, 2.0f, 3.0f});
    camera.UpdateView();
    camera.Upload(device);
    const std::string id = std::to_string(camera.ConstantBuffer().id);
    EXPECT_EQ(device.CallsStartingWith("SetConstantBuffer"),
              (std::vector<std::string>{"SetConstantBuffer VS 0 " + id, "SetConstantBuffer PS 0 " + id}));
    // The level view at (1, 2, 3) has the unit rows and (-1, -2, -3, 1).
    EXPECT_EQ(BufferFloats(camera), (std::vector<float>{1.0f, 2.0f, 3.0f, -1.0f - 4.0f - 9.0f + 1.0f}));
    EXPECT_TRUE(captured().empty());

    device.failing = {"MapDiscard"};
    camera.SetPosition({5.0f, 6.0f, 7.0f});
    camera.UpdateView();
    camera.Upload(device);
    EXPECT_EQ(BufferFloats(camera)[0], 1.0f);
    camera.Release(device);
    EXPECT_EQ(device.LiveObjects(), 0u);

    device.failing = {"CreateBuffer"};
    Camera failing;
    EXPECT_FALSE(failing.Initialize(device));
    EXPECT_EQ(captured(), (std::vector<std::string>{"failed to lock constant buffer for camera",
                                                    "failed to create camera buffer"}));
}

}  // namespace
