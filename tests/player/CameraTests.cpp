#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "RecordingDevice.h"
#include "config/Settings.h"
#include "platform/ErrorMessage.h"
#include "player/Camera.h"

namespace {

constexpr float kHalfPi = 1.5707964f;

void ExpectVec(Vec3 actual, Vec3 expected, float tolerance = 2e-5f) {
    EXPECT_TRUE(std::abs(actual.x - expected.x) <= tolerance && std::abs(actual.y - expected.y) <= tolerance &&
                std::abs(actual.z - expected.z) <= tolerance) << actual.x << " " << actual.y << " " << actual.z;
}

Vec3 TransformPoint(Vec3 p, const Matrix4& m) {  // p x M, row vector with w = 1
    const float in[4] = {p.x, p.y, p.z, 1.0f};
    float out[3] = {};
    for (int i = 0; i < 12; ++i) out[i % 3] += in[i / 3] * m.m[i / 3][i % 3];
    return {out[0], out[1], out[2]};
}

// The view maps the eye to the origin and right, up, forward to +x, +y, +z.
TEST(CameraTest, YawAndPitchTurnTheAxesAndTheViewMapsThemToTheViewSpaceAxes) {
    const float s = std::sin(0.7f), c = std::cos(0.7f);
    const std::tuple<float, float, Vec3, Vec3, Vec3, Vec3> cases[] = {  // yaw, pitch, forward, right, up, flat
        {0.0f, 0.0f, {0, 0, 1}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
        {kHalfPi, 0.0f, {1, 0, 0}, {0, 0, -1}, {0, 1, 0}, {1, 0, 0}},
        {0.7f, kHalfPi, {0, -1, 0}, {c, 0, -s}, {s, 0, c}, {s, 0, c}},  // straight down
        {0.0f, -kHalfPi, {0, 1, 0}, {1, 0, 0}, {0, 0, -1}, {0, 0, 1}},  // straight up
        {0.7f, 0.7f, {s * c, -s, c * c}, {c, 0, -s}, {s * s, c, c * s}, {s, 0, c}}};
    const Vec3 eye{12.5f, 70.0f, -31.0f};
    for (const auto& [yaw, pitch, forward, right, up, flat] : cases) {
        SCOPED_TRACE(testing::Message() << "yaw " << yaw << " pitch " << pitch);
        Camera camera;
        camera.SetPosition(eye);
        camera.SetYaw(yaw);
        camera.SetPitch(pitch);
        camera.UpdateView();
        ExpectVec(camera.Forward(), forward, 1e-6f);
        ExpectVec(camera.Right(), right, 1e-6f);
        ExpectVec(camera.Up(), up, 1e-6f);
        ExpectVec(camera.FlatForward(), flat, 1e-6f);
        ExpectVec(TransformPoint(eye, camera.View()), {0.0f, 0.0f, 0.0f});
        ExpectVec(TransformPoint(eye + right, camera.View()), {1.0f, 0.0f, 0.0f});
        ExpectVec(TransformPoint(eye + up, camera.View()), {0.0f, 1.0f, 0.0f});
        ExpectVec(TransformPoint(eye + forward, camera.View()), {0.0f, 0.0f, 1.0f});
        EXPECT_TRUE(camera.View().m[3][3] == 1.0f && camera.View().m[0][3] == 0.0f);
    }
}

// Left-handed; perspective q = far / (far - near).
TEST(CameraTest, ProjectionsFollowTheSettings) {
    Camera camera;
    camera.BuildProjection(
        ViewSettings{.fieldOfView = 60.0f, .windowWidth = 800, .windowHeight = 600, .screenNear = 0.5f, .screenDepth = 100.5f});
    const Matrix4& p = camera.Projection();
    const Matrix4& o = camera.Orthographic();
    const std::pair<float, float> entries[] = {  // actual, expected
        {p.m[1][1], std::sqrt(3.0f)}, {p.m[0][0], std::sqrt(3.0f) * 0.75f}, {p.m[2][2], 1.005f}, {p.m[3][2], -0.5025f},
        {p.m[2][3], 1.0f},           {p.m[3][3], 0.0f},  {p.m[0][1], 0.0f},      {p.m[3][0], 0.0f},
        {o.m[0][0], 2.0f / 800.0f},  {o.m[1][1], 2.0f / 600.0f}, {o.m[2][2], 0.01f}, {o.m[3][2], -0.005f},
        {o.m[3][3], 1.0f},           {o.m[2][3], 0.0f}};
    for (const auto& e : entries) EXPECT_NEAR(e.first, e.second, 1e-5f) << "entry " << &e - entries;
}

std::vector<std::string> g_messages;

// The 16-byte buffer holds view x eye (the view's rows times the eye as a column). A failed map writes nothing.
TEST(CameraTest, BufferHoldsTheEyeInViewSpaceForBothStagesAndFailuresSaySo) {
    const ErrorMessageSink previous = SetErrorMessageSink([](const char* text) { g_messages.emplace_back(text); });
    RecordingDevice device;
    Camera camera;
    ASSERT_TRUE(camera.Initialize(device));
    const auto eyeInView = [&] {
        std::vector<float> floats(4);
        std::memcpy(floats.data(), device.BufferBytes(camera.ConstantBuffer()).data(), 16);
        return floats;
    };
    EXPECT_EQ(device.BufferDescription(camera.ConstantBuffer()).byteWidth, 16u);
    for (const Vec3 position : {Vec3{1.0f, 2.0f, 3.0f}, Vec3{5.0f, 6.0f, 7.0f}}) {  // the second map fails
        camera.SetPosition(position);
        camera.UpdateView();
        camera.Upload(device);
        device.failing = {"MapDiscard"};
    }
    // The level view at (1, 2, 3) has the unit rows and (-1, -2, -3, 1).
    EXPECT_EQ(eyeInView(), (std::vector<float>{1.0f, 2.0f, 3.0f, -1.0f - 4.0f - 9.0f + 1.0f}));
    const std::string id = std::to_string(camera.ConstantBuffer().id);
    EXPECT_EQ(device.CallsStartingWith("SetConstantBuffer"),
              (std::vector<std::string>{"SetConstantBuffer VS 0 " + id, "SetConstantBuffer PS 0 " + id}));
    camera.Release(device);
    EXPECT_EQ(device.LiveObjects(), 0u);
    device.failing = {"CreateBuffer"};
    Camera failing;
    EXPECT_FALSE(failing.Initialize(device));
    EXPECT_EQ(g_messages, (std::vector<std::string>{"failed to lock constant buffer for camera",
                                                    "failed to create camera buffer"}));
    SetErrorMessageSink(previous);
}

}  // namespace
