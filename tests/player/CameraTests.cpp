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
constexpr float kTolerance = 1e-6f;

void ExpectVec(Vec3 actual, Vec3 expected, float tolerance = kTolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// A point p maps to p x M (row vector, w = 1).
Vec3 TransformPoint(Vec3 p, const Matrix4& m) {
    const float in[4] = {p.x, p.y, p.z, 1.0f};
    float out[3] = {};
    for (int column = 0; column < 3; ++column) {
        for (int row = 0; row < 4; ++row) {
            out[column] += in[row] * m.m[row][column];
        }
    }
    return {out[0], out[1], out[2]};
}

std::vector<std::string> captured;
void Capture(const char* text) { captured.emplace_back(text); }

Camera CameraAt(Vec3 position, float yaw, float pitch) {
    Camera camera;
    camera.SetPosition(position);
    camera.SetYaw(yaw);
    camera.SetPitch(pitch);
    camera.UpdateView();
    return camera;
}

TEST(CameraAxesTest, LevelViewLooksAlongPositiveZ) {
    const Camera camera = CameraAt({0.0f, 0.0f, 0.0f}, 0.0f, 0.0f);
    ExpectVec(camera.Right(), {1.0f, 0.0f, 0.0f});
    ExpectVec(camera.Up(), {0.0f, 1.0f, 0.0f});
    ExpectVec(camera.Forward(), {0.0f, 0.0f, 1.0f});
    ExpectVec(camera.FlatForward(), {0.0f, 0.0f, 1.0f});
    const Matrix4 identity = Matrix4::Identity();
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            EXPECT_FLOAT_EQ(camera.View().m[row][column], identity.m[row][column]) << row << "," << column;
        }
    }
}

TEST(CameraAxesTest, QuarterTurnOfYawLooksAlongPositiveX) {
    const Camera camera = CameraAt({0.0f, 0.0f, 0.0f}, kHalfPi, 0.0f);
    ExpectVec(camera.Forward(), {1.0f, 0.0f, 0.0f});
    ExpectVec(camera.Right(), {0.0f, 0.0f, -1.0f});
    ExpectVec(camera.FlatForward(), {1.0f, 0.0f, 0.0f});
}

TEST(CameraAxesTest, FullPitchLooksStraightDownWithHorizontalUp) {
    const float yaw = 0.7f;
    const Camera camera = CameraAt({3.0f, 40.0f, -2.0f}, yaw, kHalfPi);
    const Vec3 flat{std::sin(yaw), 0.0f, std::cos(yaw)};
    ExpectVec(camera.Forward(), {0.0f, -1.0f, 0.0f});
    ExpectVec(camera.Up(), flat);
    ExpectVec(camera.FlatForward(), flat);
}

// The view maps the eye to the origin and its axes to the unit axes of a
// left-handed view space: right to +x, up to +y, forward to +z. Looking
// straight down included, where the world's up axis would be of no use.
TEST(CameraViewTest, MapsTheCameraAxesToTheViewSpaceAxes) {
    const Vec3 eye{12.5f, 70.0f, -31.0f};
    const float angles[][2] = {{2.2f, -0.6f}, {0.7f, kHalfPi}, {4.0f, -kHalfPi}};
    const float tolerance = 2e-5f;
    for (const auto& yawPitch : angles) {
        SCOPED_TRACE(testing::Message() << "yaw " << yawPitch[0] << " pitch " << yawPitch[1]);
        const Camera camera = CameraAt(eye, yawPitch[0], yawPitch[1]);
        ExpectVec(TransformPoint(eye, camera.View()), {0.0f, 0.0f, 0.0f}, tolerance);
        ExpectVec(TransformPoint(eye + camera.Right(), camera.View()), {1.0f, 0.0f, 0.0f}, tolerance);
        ExpectVec(TransformPoint(eye + camera.Up(), camera.View()), {0.0f, 1.0f, 0.0f}, tolerance);
        ExpectVec(TransformPoint(eye + camera.Forward(), camera.View()), {0.0f, 0.0f, 1.0f}, tolerance);
        EXPECT_FLOAT_EQ(camera.View().m[3][3], 1.0f);
        EXPECT_FLOAT_EQ(camera.View().m[0][3], 0.0f);
    }
}

class CameraProjectionTest : public ::testing::Test {
protected:
    void SetUp() override { Config() = TypedSettings{}; }
    void TearDown() override { Config() = TypedSettings{}; }
};

TEST_F(CameraProjectionTest, DefaultSettingsGiveTheLeftHandedPerspective) {
    Camera camera;
    camera.BuildProjection();
    const Matrix4& p = camera.Projection();
    const float q = 1024.0f / 1023.75f;
    EXPECT_FLOAT_EQ(p.m[0][0], 0.5625f);
    EXPECT_FLOAT_EQ(p.m[1][1], 1.0f);
    EXPECT_FLOAT_EQ(p.m[2][2], q);
    EXPECT_FLOAT_EQ(p.m[2][3], 1.0f);
    EXPECT_FLOAT_EQ(p.m[3][2], -q * 0.25f);
    EXPECT_EQ(p.m[3][3], 0.0f);
    EXPECT_EQ(p.m[0][1], 0.0f);
    EXPECT_EQ(p.m[3][0], 0.0f);
}

TEST_F(CameraProjectionTest, OtherSettingsChangeBothProjections) {
    Config().windowWidth = 800;
    Config().windowHeight = 600;
    Config().screenNear = 0.5f;
    Config().screenDepth = 100.5f;
    Config().fieldOfView = 60.0f;
    Camera camera;
    camera.BuildProjection();
    const Matrix4& o = camera.Orthographic();
    EXPECT_FLOAT_EQ(o.m[0][0], 2.0f / 800.0f);
    EXPECT_FLOAT_EQ(o.m[1][1], 2.0f / 600.0f);
    EXPECT_FLOAT_EQ(o.m[2][2], 0.01f);
    EXPECT_FLOAT_EQ(o.m[3][2], -0.005f);
    EXPECT_EQ(o.m[3][3], 1.0f);
    EXPECT_EQ(o.m[2][3], 0.0f);
    // The perspective follows the same settings: 60 degrees, aspect 4:3.
    EXPECT_NEAR(camera.Projection().m[1][1], std::sqrt(3.0f), 1e-5f);
    EXPECT_NEAR(camera.Projection().m[0][0], std::sqrt(3.0f) * 0.75f, 1e-5f);
}

class CameraBufferTest : public ::testing::Test {
protected:
    void SetUp() override {
        captured.clear();
        previousSink_ = SetErrorMessageSink(Capture);
    }
    void TearDown() override { SetErrorMessageSink(previousSink_); }

    std::vector<float> BufferFloats(const Camera& camera) const {
        const std::vector<uint8_t>& bytes = device.BufferBytes(camera.ConstantBuffer());
        std::vector<float> floats(bytes.size() / sizeof(float));
        std::memcpy(floats.data(), bytes.data(), floats.size() * sizeof(float));
        return floats;
    }

    RecordingDevice device;

private:
    ErrorMessageSink previousSink_ = nullptr;
};

TEST_F(CameraBufferTest, CreatesASixteenByteDynamicConstantBufferOrShowsItsMessage) {
    Camera camera;
    ASSERT_TRUE(camera.Initialize(device));
    ASSERT_TRUE(camera.ConstantBuffer());
    const BufferDesc& desc = device.BufferDescription(camera.ConstantBuffer());
    EXPECT_EQ(desc.byteWidth, 16u);
    EXPECT_EQ(desc.usage, Usage::Dynamic);
    EXPECT_EQ(desc.bind, BindFlag::ConstantBuffer);
    EXPECT_TRUE(desc.cpuWrite);
    EXPECT_EQ(device.calls, std::vector<std::string>{"CreateBuffer 16 1 2 1 0"});
    EXPECT_TRUE(captured.empty());

    camera.Release(device);
    EXPECT_EQ(device.LiveObjects(), 0u);
    EXPECT_FALSE(camera.ConstantBuffer());

    device.failing = {"CreateBuffer"};
    EXPECT_FALSE(camera.Initialize(device));
    EXPECT_EQ(captured, std::vector<std::string>{"failed to create camera buffer"});
}

TEST_F(CameraBufferTest, UploadWritesTheEyeInViewSpaceAndBindsBothStages) {
    Camera camera;
    ASSERT_TRUE(camera.Initialize(device));
    camera.SetPosition({0.0f, 0.0f, 0.0f});
    camera.UpdateView();
    device.calls.clear();
    camera.Upload(device);

    const std::string id = std::to_string(camera.ConstantBuffer().id);
    const std::vector<std::string> expected = {"MapDiscard " + id, "Unmap " + id, "SetConstantBuffer VS 0 " + id,
                                               "SetConstantBuffer PS 0 " + id};
    EXPECT_EQ(device.calls, expected);
    EXPECT_EQ(BufferFloats(camera), (std::vector<float>{0.0f, 0.0f, 0.0f, 1.0f}));

    // The level view at (1, 2, 3) has the unit rows and (-1, -2, -3, 1).
    camera.SetPosition({1.0f, 2.0f, 3.0f});
    camera.UpdateView();
    camera.Upload(device);
    EXPECT_EQ(BufferFloats(camera), (std::vector<float>{1.0f, 2.0f, 3.0f, -1.0f - 4.0f - 9.0f + 1.0f}));
}

TEST_F(CameraBufferTest, FailedMapShowsItsMessageAndWritesNothing) {
    Camera camera;
    ASSERT_TRUE(camera.Initialize(device));
    camera.SetPosition({5.0f, 6.0f, 7.0f});
    camera.UpdateView();
    device.failing = {"MapDiscard"};
    device.calls.clear();
    camera.Upload(device);

    EXPECT_EQ(captured, std::vector<std::string>{"failed to lock constant buffer for camera"});
    EXPECT_EQ(device.calls, std::vector<std::string>{"MapDiscard " + std::to_string(camera.ConstantBuffer().id)});
    EXPECT_EQ(BufferFloats(camera), (std::vector<float>{0.0f, 0.0f, 0.0f, 0.0f}));
}

}  // namespace
