#include "graphics/opengl/GlRenderDevice.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

#include "config/Settings.h"
#include "graphics/DdsFormat.h"
#include "graphics/GraphicsDevice.h"
#include "graphics/Matrix.h"
#include "graphics/ShaderLoader.h"

// Draws through the OpenGL backend with the real shaders into a small hidden
// window and checks the pixels read back. Needs a display (xvfb-run will do).
namespace {

constexpr uint32_t kWidth = 96;
constexpr uint32_t kHeight = 64;
const float kSky[4] = {0.6f, 0.6f, 0.6f, 1.0f};

struct Rgba {
    uint8_t r, g, b, a;
    bool operator<(const Rgba& o) const { return std::memcmp(this, &o, sizeof o) < 0; }
};

struct MeshVertex {
    float position[3];
    float normal[3];
};

// The unit cube, four corners per face, outward faces clockwise.
const MeshVertex kCube[24] = {
    {{0, 0, 1}, {0, 0, 1}},   {{1, 0, 1}, {0, 0, 1}},   {{0, 1, 1}, {0, 0, 1}},   {{1, 1, 1}, {0, 0, 1}},
    {{0, 0, 0}, {0, 0, -1}},  {{0, 1, 0}, {0, 0, -1}},  {{1, 0, 0}, {0, 0, -1}},  {{1, 1, 0}, {0, 0, -1}},
    {{0, 1, 0}, {0, 1, 0}},   {{0, 1, 1}, {0, 1, 0}},   {{1, 1, 0}, {0, 1, 0}},   {{1, 1, 1}, {0, 1, 0}},
    {{0, 0, 0}, {0, -1, 0}},  {{1, 0, 0}, {0, -1, 0}},  {{0, 0, 1}, {0, -1, 0}},  {{1, 0, 1}, {0, -1, 0}},
    {{1, 0, 0}, {1, 0, 0}},   {{1, 1, 0}, {1, 0, 0}},   {{1, 0, 1}, {1, 0, 0}},   {{1, 1, 1}, {1, 0, 0}},
    {{0, 0, 0}, {-1, 0, 0}},  {{0, 0, 1}, {-1, 0, 0}},  {{0, 1, 0}, {-1, 0, 0}},  {{0, 1, 1}, {-1, 0, 0}},
};

const InputElement kCubeLayout[] = {
    {"POSITION", 0, Format::R32G32B32_Float, 0, kAppendAligned, false, 0},
    {"NORMAL", 0, Format::R32G32B32_Float, 0, kAppendAligned, false, 0},
    {"TEXCOORD", 1, Format::R32G32B32_Float, 1, 0, true, 1},
};

const InputElement kFontLayout[] = {
    {"POSITION", 0, Format::R32G32B32_Float, 0, kAppendAligned, false, 0},
    {"TEXCOORD", 0, Format::R32G32_Float, 0, kAppendAligned, false, 0},
};

// A left-handed view looking from `eye` along `direction`, y up.
Matrix4 LookTo(Vec3 eye, Vec3 direction) {
    const Vec3 z = Normalize(direction);
    const Vec3 x = Normalize(Cross(Vec3{0, 1, 0}, z));
    const Vec3 y = Cross(z, x);
    Matrix4 view = Matrix4::Identity();
    const Vec3 axes[3] = {x, y, z};
    for (int column = 0; column < 3; ++column) {
        view.m[0][column] = axes[column].x;
        view.m[1][column] = axes[column].y;
        view.m[2][column] = axes[column].z;
        view.m[3][column] = -Dot(axes[column], eye);
    }
    return view;
}

// Left-handed perspective with a 90 degree vertical field of view.
Matrix4 Perspective(float nearPlane, float farPlane) {
    const float h = 1.0f;
    const float w = h / (static_cast<float>(kWidth) / static_cast<float>(kHeight));
    const float q = farPlane / (farPlane - nearPlane);
    Matrix4 projection;
    projection.m[0][0] = w;
    projection.m[1][1] = h;
    projection.m[2][2] = q;
    projection.m[2][3] = 1.0f;
    projection.m[3][2] = -q * nearPlane;
    return projection;
}

class GlRenderDeviceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            return;
        }
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
        SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        window_ = SDL_CreateWindow("opengl_tests", 0, 0, kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    }
    static void TearDownTestSuite() {
        if (window_ != nullptr) {
            SDL_DestroyWindow(window_);
            window_ = nullptr;
        }
        SDL_Quit();
    }

    void SetUp() override {
        if (window_ == nullptr) {
            GTEST_SKIP() << "no display for an OpenGL window";
        }
        Config() = TypedSettings{};
        Config().windowWidth = kWidth;
        Config().windowHeight = kHeight;
        Config().VSync = false;
        Config().fullscreen = false;
        ASSERT_TRUE(graphics_.Initialize(std::make_unique<GlRenderDevice>(window_)));
        device_ = graphics_.Device();
    }

    void TearDown() override {
        if (device_ != nullptr) {
            graphics_.Shutdown();
        }
        Config() = TypedSettings{};
    }

    void LoadCubePipeline() {
        ASSERT_EQ(LoadShaderPair(*device_, VOXMERE_SHADER_DIR "/Cube", kCubeLayout, 3, cubeShaders_),
                  ShaderPairResult::Loaded);
        ASSERT_TRUE(cubeShaders_.vertexShader && cubeShaders_.pixelShader && cubeShaders_.inputLayout);
        ASSERT_TRUE(device_->CreateBuffer({sizeof kCube, Usage::Default, BindFlag::VertexBuffer}, kCube, mesh_));
        uint32_t indices[36];
        for (uint32_t face = 0; face < 6; ++face) {
            const uint32_t b = 4 * face;
            const uint32_t faceIndices[6] = {b, b + 1, b + 2, b + 2, b + 1, b + 3};
            std::memcpy(indices + 6 * face, faceIndices, sizeof faceIndices);
        }
        ASSERT_TRUE(device_->CreateBuffer({sizeof indices, Usage::Default, BindFlag::IndexBuffer}, indices, indices_));
        ASSERT_TRUE(device_->CreateBuffer({256, Usage::Dynamic, BindFlag::ConstantBuffer, true}, nullptr, matrices_));
        ASSERT_TRUE(device_->CreateBuffer({16 * 12, Usage::Dynamic, BindFlag::VertexBuffer, true}, nullptr,
                                          instances_));
    }

    void DrawCubes(const Matrix4& view, const std::vector<Vec3>& positions) {
        const Matrix4 world = Matrix4::Identity();
        const Matrix4 projection = Perspective(0.25f, 100.0f);
        const Matrix4 stored[4] = {world.Transposed(), view.Transposed(), projection.Transposed(),
                                   (view * world * projection).Transposed()};
        void* mapped = device_->MapDiscard(matrices_);
        ASSERT_NE(mapped, nullptr);
        std::memcpy(mapped, stored, sizeof stored);
        device_->Unmap(matrices_);
        device_->SetConstantBuffer(ShaderStage::Vertex, 0, matrices_);

        mapped = device_->MapDiscard(instances_);
        ASSERT_NE(mapped, nullptr);
        std::memcpy(mapped, positions.data(), positions.size() * sizeof(Vec3));
        device_->Unmap(instances_);

        const BufferHandle streams[2] = {mesh_, instances_};
        const uint32_t strides[2] = {24, 12};
        const uint32_t offsets[2] = {0, 0};
        device_->SetIndexBuffer(indices_, Format::R32_Uint, 0);
        device_->SetVertexBuffers(0, 2, streams, strides, offsets);
        device_->SetInputLayout(cubeShaders_.inputLayout);
        device_->SetVertexShader(cubeShaders_.vertexShader);
        device_->SetPixelShader(cubeShaders_.pixelShader);
        device_->SetPrimitiveTopology(Topology::TriangleList);
        device_->DrawIndexedInstanced(36, static_cast<uint32_t>(positions.size()), 0, 0, 0);
    }

    std::vector<uint8_t> PresentAndRead() {
        graphics_.EndFrame();
        std::vector<uint8_t> rgba;
        uint32_t width = 0;
        uint32_t height = 0;
        EXPECT_TRUE(device_->ReadFrame(rgba, width, height));
        EXPECT_EQ(width, kWidth);
        EXPECT_EQ(height, kHeight);
        return rgba;
    }

    static Rgba Pixel(const std::vector<uint8_t>& rgba, uint32_t x, uint32_t y) {
        const uint8_t* p = rgba.data() + (static_cast<size_t>(y) * kWidth + x) * 4;
        return {p[0], p[1], p[2], p[3]};
    }
    static bool IsSky(Rgba pixel) { return pixel.r == 153 && pixel.g == 153 && pixel.b == 153; }

    static SDL_Window* window_;
    GraphicsDevice graphics_;
    RenderDevice* device_ = nullptr;
    ShaderPair cubeShaders_;
    BufferHandle mesh_, indices_, matrices_, instances_;
};

SDL_Window* GlRenderDeviceTest::window_ = nullptr;

TEST_F(GlRenderDeviceTest, ReportsTheAdapterAndClearsToTheSkyColour) {
    EXPECT_GT(std::strlen(graphics_.AdapterName()), 0u);
    graphics_.BeginFrame(kSky);
    const std::vector<uint8_t> frame = PresentAndRead();
    EXPECT_TRUE(IsSky(Pixel(frame, 0, 0)));
    EXPECT_TRUE(IsSky(Pixel(frame, kWidth - 1, kHeight - 1)));
}

TEST_F(GlRenderDeviceTest, CubeUpAndRightOfTheEyeLandsInTheTopRightOfTheFrame) {
    LoadCubePipeline();
    graphics_.BeginFrame(kSky);
    // Eye at the cube's centre height, 3 units before it; the cube is lifted by 1.5 and moved right by 1.5.
    DrawCubes(LookTo({0.5f, 0.5f, -3.0f}, {0, 0, 1}), {{1.5f, 1.5f, 0.0f}});
    const std::vector<uint8_t> frame = PresentAndRead();
    EXPECT_FALSE(IsSky(Pixel(frame, kWidth * 2 / 3, kHeight / 4)));
    EXPECT_TRUE(IsSky(Pixel(frame, kWidth * 2 / 3, kHeight * 3 / 4))) << "nothing below the eye";
    EXPECT_TRUE(IsSky(Pixel(frame, kWidth / 3, kHeight / 4))) << "nothing left of the eye";
}

TEST_F(GlRenderDeviceTest, FacesFacingTheEyeAreLitDifferentlyAndBackFacesAreCulled) {
    LoadCubePipeline();
    graphics_.BeginFrame(kSky);
    // From above, left and in front: the top, the -x and the -z faces show.
    // The cube sits at grass height.
    DrawCubes(LookTo({-1.5f, 22.5f, -1.5f}, {2.0f, -2.0f, 2.0f}), {{0.0f, 20.0f, 0.0f}});
    const std::vector<uint8_t> frame = PresentAndRead();
    std::set<Rgba> shades;
    for (uint32_t y = 0; y < kHeight; ++y) {
        for (uint32_t x = 0; x < kWidth; ++x) {
            if (!IsSky(Pixel(frame, x, y))) {
                shades.insert(Pixel(frame, x, y));
            }
        }
    }
    EXPECT_EQ(shades.size(), 3u) << "three visible faces, one flat shade each";
    const bool grassTopShows =
        std::any_of(shades.begin(), shades.end(), [](Rgba shade) { return shade.g > shade.r + 30; });
    EXPECT_TRUE(grassTopShows) << "the top face, not the culled bottom one, faces the eye";
}

TEST_F(GlRenderDeviceTest, NearerCubeHidesTheOneBehindIt) {
    LoadCubePipeline();
    // Looking up through a low cube at a wall of higher ones (another colour)
    // drawn after it: only the depth test keeps the low cube in front.
    const Matrix4 view = LookTo({0.5f, -1.5f, -2.0f}, {0.0f, 1.0f, 1.0f});
    std::vector<Vec3> wall;
    for (float x = -1.0f; x <= 1.0f; x += 1.0f) {
        for (float y = 11.0f; y <= 13.0f; y += 1.0f) {
            wall.push_back({x, y, 12.0f});
        }
    }
    graphics_.BeginFrame(kSky);
    DrawCubes(view, {{0.0f, 0.0f, 0.0f}});
    const Rgba nearOnly = Pixel(PresentAndRead(), kWidth / 2, kHeight / 2);

    graphics_.BeginFrame(kSky);
    DrawCubes(view, wall);
    const Rgba farOnly = Pixel(PresentAndRead(), kWidth / 2, kHeight / 2);

    graphics_.BeginFrame(kSky);
    wall.insert(wall.begin(), Vec3{0.0f, 0.0f, 0.0f});
    DrawCubes(view, wall);
    const Rgba both = Pixel(PresentAndRead(), kWidth / 2, kHeight / 2);
    ASSERT_FALSE(IsSky(nearOnly));
    ASSERT_FALSE(IsSky(farOnly));
    ASSERT_NE(std::memcmp(&nearOnly, &farOnly, sizeof nearOnly), 0) << "the two cubes must differ in colour";
    EXPECT_EQ(std::memcmp(&nearOnly, &both, sizeof nearOnly), 0);
}

TEST_F(GlRenderDeviceTest, WireframeLeavesTheFaceInsidesOpen) {
    LoadCubePipeline();
    const Matrix4 view = LookTo({0.5f, 0.5f, -2.0f}, {0, 0, 1});
    graphics_.BeginFrame(kSky);
    DrawCubes(view, {{0.0f, 0.0f, 0.0f}});
    EXPECT_FALSE(IsSky(Pixel(PresentAndRead(), kWidth / 2, kHeight / 2)));

    graphics_.SetRasterMode(RasterMode::Wireframe);
    graphics_.BeginFrame(kSky);
    DrawCubes(view, {{0.0f, 0.0f, 0.0f}});
    const std::vector<uint8_t> frame = PresentAndRead();
    // Off the face's diagonal, which runs from its bottom right to its top left.
    EXPECT_TRUE(IsSky(Pixel(frame, kWidth / 2 + 4, kHeight / 2 - 4)));
    size_t edgePixels = 0;
    for (size_t i = 0; i < frame.size(); i += 4) {
        edgePixels += frame[i] != 153 ? 1 : 0;
    }
    EXPECT_GT(edgePixels, 0u);
}

TEST_F(GlRenderDeviceTest, FontQuadBlendsItsPremultipliedColourOverTheScene) {
    ShaderPair font;
    ASSERT_EQ(LoadShaderPair(*device_, VOXMERE_SHADER_DIR "/Font", kFontLayout, 2, font), ShaderPairResult::Loaded);
    ASSERT_TRUE(font.vertexShader && font.pixelShader && font.inputLayout);

    // A white opaque 1 x 1 texture and a half-transparent red line colour.
    const uint8_t white[4] = {255, 255, 255, 255};
    TextureDesc textureDesc;
    textureDesc.width = 1;
    textureDesc.format = Format::R8G8B8A8_UNorm;
    const SubresourceData texel = {white, 4, 4};
    TextureViewHandle texture;
    ASSERT_TRUE(device_->CreateTexture(textureDesc, &texel, texture));
    SamplerHandle sampler;
    ASSERT_TRUE(device_->CreateSampler(SamplerDesc{}, sampler));

    // A quad over the whole screen; M maps screen-centred pixels to clip space.
    const float hw = kWidth * 0.5f;
    const float hh = kHeight * 0.5f;
    const float quad[6][5] = {{-hw, hh, 0, 0, 0}, {hw, hh, 0, 1, 0},  {-hw, -hh, 0, 0, 1},
                              {-hw, -hh, 0, 0, 1}, {hw, hh, 0, 1, 0}, {hw, -hh, 0, 1, 1}};
    const uint32_t quadIndices[6] = {0, 1, 2, 3, 4, 5};
    float transform[64] = {};
    transform[48] = 1.0f / hw;
    transform[53] = 1.0f / hh;
    transform[63] = 1.0f;
    const float colour[4] = {1.0f, 0.0f, 0.0f, 0.5f};
    BufferHandle vertices, indices, matrix, colourBuffer;
    ASSERT_TRUE(device_->CreateBuffer({sizeof quad, Usage::Default, BindFlag::VertexBuffer}, quad, vertices));
    ASSERT_TRUE(device_->CreateBuffer({sizeof quadIndices, Usage::Default, BindFlag::IndexBuffer}, quadIndices, indices));
    ASSERT_TRUE(device_->CreateBuffer({256, Usage::Default, BindFlag::ConstantBuffer}, transform, matrix));
    ASSERT_TRUE(device_->CreateBuffer({16, Usage::Default, BindFlag::ConstantBuffer}, colour, colourBuffer));

    graphics_.BeginFrame(kSky);
    graphics_.ToggleOverlayStates();
    const uint32_t stride = 20;
    const uint32_t offset = 0;
    device_->SetConstantBuffer(ShaderStage::Vertex, 0, matrix);
    device_->SetConstantBuffer(ShaderStage::Pixel, 3, colourBuffer);
    device_->SetShaderResource(ShaderStage::Pixel, 1, texture);
    device_->SetSampler(ShaderStage::Pixel, 1, sampler);
    device_->SetVertexBuffers(0, 1, &vertices, &stride, &offset);
    device_->SetIndexBuffer(indices, Format::R32_Uint, 0);
    device_->SetInputLayout(font.inputLayout);
    device_->SetVertexShader(font.vertexShader);
    device_->SetPixelShader(font.pixelShader);
    device_->DrawIndexed(6, 0, 0);
    graphics_.ToggleOverlayStates();

    const Rgba blended = Pixel(PresentAndRead(), kWidth / 2, kHeight / 2);
    // 0.5 * red + (1 - 0.5) * sky grey.
    EXPECT_NEAR(blended.r, 204, 2);
    EXPECT_NEAR(blended.g, 77, 2);
    EXPECT_NEAR(blended.b, 77, 2);
    EXPECT_EQ(blended.a, 255) << "frames read back opaque, as the window shows them";
}

TEST_F(GlRenderDeviceTest, TakesTheTextureFormatsOfTextureFiles) {
    const Format formats[] = {Format::R8G8B8A8_UNorm, Format::B8G8R8A8_UNorm, Format::B8G8R8X8_UNorm,
                              Format::R10G10B10A2_UNorm, Format::R16G16_UNorm, Format::R32_Float,
                              Format::B5G5R5A1_UNorm, Format::B5G6R5_UNorm, Format::R8_UNorm,
                              Format::R16_UNorm, Format::R8G8_UNorm, Format::A8_UNorm,
                              Format::BC4_UNorm, Format::BC5_SNorm, Format::R16G16B16A16_Float,
                              Format::R32G32B32A32_Float};
    const std::vector<uint8_t> zeros(4 * 4 * 16 * 2, 0);
    for (Format format : formats) {
        ASSERT_TRUE(device_->SupportsTextureFormat(format)) << static_cast<int>(format);
        TextureDesc desc;
        desc.width = 4;
        desc.height = 4;
        desc.mipLevels = 2;
        desc.format = format;
        const SurfaceSize top = GetSurfaceSize(4, 4, static_cast<uint32_t>(format));
        const SurfaceSize next = GetSurfaceSize(2, 2, static_cast<uint32_t>(format));
        const SubresourceData levels[2] = {
            {zeros.data(), static_cast<uint32_t>(top.rowBytes), static_cast<uint32_t>(top.levelBytes)},
            {zeros.data(), static_cast<uint32_t>(next.rowBytes), static_cast<uint32_t>(next.levelBytes)}};
        TextureViewHandle view;
        EXPECT_TRUE(device_->CreateTexture(desc, levels, view)) << static_cast<int>(format);
        device_->Release(view);
    }
    EXPECT_FALSE(device_->SupportsTextureFormat(Format::R8G8_B8G8_UNorm));
}

}  // namespace
