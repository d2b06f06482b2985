#include <SDL.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

#include "config/Settings.h"
#include "graphics/GraphicsDevice.h"
#include "graphics/opengl/GlRenderDevice.h"
#include "player/Camera.h"
#include "text/FontShader.h"
#include "world/CubeInstance.h"
#include "world/CubeRenderer.h"

// Draws cubes and a font quad through the OpenGL backend with the real shaders into a small hidden window and
// checks the pixels read back. Needs a display (xvfb-run will do).
namespace {

constexpr uint32_t kWidth = 96, kHeight = 64;
const float kSky[4] = {0.6f, 0.6f, 0.6f, 1.0f};

using Rgba = std::array<int, 4>;
constexpr Rgba kSkyPixel = {153, 153, 153, 255};

class GlRenderDeviceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (SDL_Init(SDL_INIT_VIDEO) != 0) return;
        for (auto [attribute, value] : {std::pair{SDL_GL_CONTEXT_MAJOR_VERSION, 3}, {SDL_GL_CONTEXT_MINOR_VERSION, 3},
                                        {SDL_GL_CONTEXT_PROFILE_MASK, int{SDL_GL_CONTEXT_PROFILE_CORE}},
                                        {SDL_GL_DEPTH_SIZE, 24}, {SDL_GL_STENCIL_SIZE, 8}, {SDL_GL_DOUBLEBUFFER, 1}}) {
            SDL_GL_SetAttribute(attribute, value);
        }
        window_ = SDL_CreateWindow("opengl_tests", 0, 0, kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    }
    static void TearDownTestSuite() {
        if (window_ != nullptr) SDL_DestroyWindow(window_);
        window_ = nullptr;
        SDL_Quit();
    }
    void SetUp() override {
        if (window_ == nullptr) GTEST_SKIP() << "no display for an OpenGL window";
        ASSERT_TRUE(graphics_.Initialize(std::make_unique<GlRenderDevice>(window_),
                                         DisplaySettings{.width = kWidth, .height = kHeight}));
        device_ = graphics_.Device();
        device_->KeepPresentedFrames(true);
        ASSERT_TRUE(cubes_.Initialize(device_, 16, CubeLook{.shaderName = VOXMERE_SHADER_DIR "/Cube"}));
    }
    void TearDown() override {
        if (device_ == nullptr) return;
        cubes_.Shutdown();
        graphics_.Shutdown();
    }
    // Clears to the sky, draws the cubes as the camera sees them and reads the frame back.
    std::vector<uint8_t> Frame(const std::vector<CubeInstance>& positions) {
        camera_.UpdateView();
        camera_.BuildProjection(ViewSettings{.windowWidth = kWidth, .windowHeight = kHeight});
        graphics_.BeginFrame(kSky);
        cubes_.SetMatrices(*device_, Matrix4::Identity(), camera_.View(), camera_.Projection());
        cubes_.SetFog(*device_, Vec3{});
        cubes_.Bind(*device_);
        cubes_.UploadInstances(*device_, static_cast<uint32_t>(positions.size()), positions.data());
        device_->DrawIndexedInstanced(36, static_cast<uint32_t>(positions.size()), 0, 0, 0);
        return PresentAndRead();
    }
    std::vector<uint8_t> PresentAndRead() {
        graphics_.EndFrame();
        std::vector<uint8_t> rgba;
        uint32_t width = 0, height = 0;
        EXPECT_TRUE(device_->ReadFrame(rgba, width, height) && width == kWidth && height == kHeight);
        return rgba;
    }
    static Rgba Centre(const std::vector<uint8_t>& rgba) {
        const uint8_t* p = rgba.data() + (kHeight / 2 * kWidth + kWidth / 2) * 4;
        return {p[0], p[1], p[2], p[3]};
    }
    static inline SDL_Window* window_ = nullptr;
    GraphicsDevice graphics_;
    RenderDevice* device_ = nullptr;
    CubeRenderer cubes_;
    Camera camera_;
};

// Looking up through a low cube at a wall of higher ones drawn after it: only the depth test keeps it in front.
TEST_F(GlRenderDeviceTest, NearerCubeHidesTheOneBehindIt) {
    camera_.SetPosition({0.5f, -1.5f, -2.0f});
    camera_.SetPitch(-0.785398f);  // looking up at 45 degrees along +z
    std::vector<CubeInstance> wall;
    for (float x = -1.0f; x <= 1.0f; x += 1.0f)
        for (float y = 11.0f; y <= 13.0f; y += 1.0f) wall.push_back({x, y, 12.0f});
    const Rgba nearOnly = Centre(Frame({{0.0f, 0.0f, 0.0f}}));
    const Rgba farOnly = Centre(Frame(wall));
    wall.insert(wall.begin(), CubeInstance{0.0f, 0.0f, 0.0f});
    ASSERT_FALSE(nearOnly == kSkyPixel || farOnly == kSkyPixel || nearOnly == farOnly);
    EXPECT_TRUE(nearOnly == Centre(Frame(wall)));
}

// A half-transparent red font quad over the whole sky: 0.5 red + (1 - 0.5) sky.
TEST_F(GlRenderDeviceTest, FontQuadBlendsItsPremultipliedColourOverTheScene) {
    FontShader shader;
    ASSERT_TRUE(shader.Initialize(*device_, VOXMERE_SHADER_DIR "/Font"));
    const uint8_t white[4] = {255, 255, 255, 255};
    const SubresourceData texel = {.data = white, .rowPitch = 4, .slicePitch = 4};
    TextureViewHandle texture;
    ASSERT_TRUE(device_->CreateTexture({.width = 1, .format = Format::R8G8B8A8_UNorm}, &texel, texture));
    const float quad[4][5] = {{-1, 1, 0, 0, 0}, {1, 1, 0, 1, 0}, {-1, -1, 0, 0, 1}, {1, -1, 0, 1, 1}};
    const uint32_t quadIndices[6] = {0, 1, 2, 2, 1, 3}, stride = 20, offset = 0;
    BufferHandle vertices, indices;
    ASSERT_TRUE(device_->CreateBuffer({.byteWidth = sizeof quad}, quad, vertices) &&
                device_->CreateBuffer({.byteWidth = 24, .bind = BindFlag::IndexBuffer}, quadIndices, indices));
    graphics_.BeginFrame(kSky);
    graphics_.ToggleOverlayStates();
    shader.BindMatrices(*device_, Matrix4::Identity(), Matrix4::Identity(), texture);
    const float red[4] = {1.0f, 0.0f, 0.0f, 0.5f};
    shader.BindForSentence(*device_, red);
    device_->SetVertexBuffers(0, 1, &vertices, &stride, &offset);
    device_->SetIndexBuffer(indices, Format::R32_Uint, 0);
    device_->DrawIndexed(6, 0, 0);
    graphics_.ToggleOverlayStates();
    const Rgba blended = Centre(PresentAndRead());
    EXPECT_TRUE(std::abs(blended[0] - 204) <= 2 && std::abs(blended[1] - 77) <= 2 && std::abs(blended[2] - 77) <= 2);
    EXPECT_EQ(blended[3], 255) << "frames read back opaque, as the window shows them";
    shader.Shutdown(*device_);
}

}  // namespace
