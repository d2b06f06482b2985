#include "graphics/opengl/GlRenderDevice.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
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

constexpr uint32_t kWidth = 96, kHeight = 64;
const float kSky[4] = {0.6f, 0.6f, 0.6f, 1.0f};

struct Rgba {
    uint8_t r, g, b, a;
    bool operator<(const Rgba& o) const { return std::memcmp(this, &o, sizeof o) < 0; }
    bool operator==(const Rgba& o) const { return std::memcmp(this, &o, sizeof o) == 0; }
    bool IsSky() const { return r == 153 && g == 153 && b == 153; }
};

struct MeshVertex {
    float position[3], normal[3];
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
    const Vec3 axes[3] = {x, Cross(z, x), z};
    Matrix4 view = Matrix4::Identity();
    for (int column = 0; column < 3; ++column) {
        view.m[0][column] = axes[column].x;
        view.m[1][column] = axes[column].y;
        view.m[2][column] = axes[column].z;
        view.m[3][column] = -Dot(axes[column], eye);
    }
    return view;
}

// Left-handed perspective with a 90 degree vertical field of view, near 0.25, far 100.
Matrix4 Perspective() {
    const float q = 100.0f / (100.0f - 0.25f);
    Matrix4 projection;
    projection.m[0][0] = static_cast<float>(kHeight) / kWidth;
    projection.m[1][1] = 1.0f;
    projection.m[2][2] = q;
    projection.m[2][3] = 1.0f;
    projection.m[3][2] = -q * 0.25f;
    return projection;
}

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
        Config() = TypedSettings{};
        Config().windowWidth = kWidth;
        Config().windowHeight = kHeight;
        Config().VSync = false;
        Config().fullscreen = false;
        ASSERT_TRUE(graphics_.Initialize(std::make_unique<GlRenderDevice>(window_)));
        device_ = graphics_.Device();
    }
    void TearDown() override {
        if (device_ != nullptr) graphics_.Shutdown();
        Config() = TypedSettings{};
    }

    BufferHandle Buffer(uint32_t size, BindFlag bind, const void* data, Usage usage = Usage::Default) {
        BufferHandle buffer;
        EXPECT_TRUE(device_->CreateBuffer({size, usage, bind, usage == Usage::Dynamic}, data, buffer));
        return buffer;
    }
    void Upload(BufferHandle buffer, const void* data, size_t size) {
        void* mapped = device_->MapDiscard(buffer);
        ASSERT_NE(mapped, nullptr);
        std::memcpy(mapped, data, size);
        device_->Unmap(buffer);
    }

    void LoadCubePipeline() {
        ASSERT_EQ(LoadShaderPair(*device_, VOXMERE_SHADER_DIR "/Cube", kCubeLayout, 3, cubeShaders_),
                  ShaderPairResult::Loaded);
        ASSERT_TRUE(cubeShaders_.vertexShader && cubeShaders_.pixelShader && cubeShaders_.inputLayout);
        uint32_t indices[36];
        for (uint32_t face = 0, b = 0; face < 6; ++face, b += 4) {
            const uint32_t faceIndices[6] = {b, b + 1, b + 2, b + 2, b + 1, b + 3};
            std::memcpy(indices + 6 * face, faceIndices, sizeof faceIndices);
        }
        mesh_ = Buffer(sizeof kCube, BindFlag::VertexBuffer, kCube);
        indices_ = Buffer(sizeof indices, BindFlag::IndexBuffer, indices);
        matrices_ = Buffer(256, BindFlag::ConstantBuffer, nullptr, Usage::Dynamic);
        instances_ = Buffer(16 * 12, BindFlag::VertexBuffer, nullptr, Usage::Dynamic);
    }

    void DrawCubes(const Matrix4& view, const std::vector<Vec3>& positions) {
        const Matrix4 world = Matrix4::Identity(), projection = Perspective();
        const Matrix4 stored[4] = {world.Transposed(), view.Transposed(), projection.Transposed(),
                                   (view * world * projection).Transposed()};
        Upload(matrices_, stored, sizeof stored);
        device_->SetConstantBuffer(ShaderStage::Vertex, 0, matrices_);
        Upload(instances_, positions.data(), positions.size() * sizeof(Vec3));
        const BufferHandle streams[2] = {mesh_, instances_};
        const uint32_t strides[2] = {24, 12}, offsets[2] = {0, 0};
        device_->SetIndexBuffer(indices_, Format::R32_Uint, 0);
        device_->SetVertexBuffers(0, 2, streams, strides, offsets);
        device_->SetInputLayout(cubeShaders_.inputLayout);
        device_->SetVertexShader(cubeShaders_.vertexShader);
        device_->SetPixelShader(cubeShaders_.pixelShader);
        device_->SetPrimitiveTopology(Topology::TriangleList);
        device_->DrawIndexedInstanced(36, static_cast<uint32_t>(positions.size()), 0, 0, 0);
    }

    // Clears to the sky, draws the cubes and reads the frame back.
    std::vector<uint8_t> Frame(const Matrix4& view, const std::vector<Vec3>& positions) {
        graphics_.BeginFrame(kSky);
        if (!positions.empty()) DrawCubes(view, positions);
        return PresentAndRead();
    }
    std::vector<uint8_t> PresentAndRead() {
        graphics_.EndFrame();
        std::vector<uint8_t> rgba;
        uint32_t width = 0, height = 0;
        EXPECT_TRUE(device_->ReadFrame(rgba, width, height));
        EXPECT_EQ(width, kWidth);
        EXPECT_EQ(height, kHeight);
        return rgba;
    }
    static Rgba Pixel(const std::vector<uint8_t>& rgba, uint32_t x, uint32_t y) {
        const uint8_t* p = rgba.data() + (static_cast<size_t>(y) * kWidth + x) * 4;
        return {p[0], p[1], p[2], p[3]};
    }

    static SDL_Window* window_;
    GraphicsDevice graphics_;
    RenderDevice* device_ = nullptr;
    ShaderPair cubeShaders_;
    BufferHandle mesh_, indices_, matrices_, instances_;
};

SDL_Window* GlRenderDeviceTest::window_ = nullptr;

TEST_F(GlRenderDeviceTest, ClearsToTheSkyAndPutsACubeUpAndRightOfTheEyeInTheTopRight) {
    EXPECT_GT(std::strlen(graphics_.AdapterName()), 0u);
    const std::vector<uint8_t> empty = Frame(Matrix4::Identity(), {});
    EXPECT_TRUE(Pixel(empty, 0, 0).IsSky());
    EXPECT_TRUE(Pixel(empty, kWidth - 1, kHeight - 1).IsSky());

    LoadCubePipeline();
    // Eye at the cube's centre height, 3 units before it; the cube is lifted by 1.5 and moved right by 1.5.
    const std::vector<uint8_t> frame = Frame(LookTo({0.5f, 0.5f, -3.0f}, {0, 0, 1}), {{1.5f, 1.5f, 0.0f}});
    EXPECT_FALSE(Pixel(frame, kWidth * 2 / 3, kHeight / 4).IsSky());
    EXPECT_TRUE(Pixel(frame, kWidth * 2 / 3, kHeight * 3 / 4).IsSky()) << "nothing below the eye";
    EXPECT_TRUE(Pixel(frame, kWidth / 3, kHeight / 4).IsSky()) << "nothing left of the eye";
}

TEST_F(GlRenderDeviceTest, FacesFacingTheEyeAreLitDifferentlyAndBackFacesAreCulled) {
    LoadCubePipeline();
    // From above, left and in front of a cube at grass height: the top, the -x and the -z faces show.
    const std::vector<uint8_t> frame = Frame(LookTo({-1.5f, 22.5f, -1.5f}, {2.0f, -2.0f, 2.0f}), {{0.0f, 20.0f, 0.0f}});
    std::set<Rgba> shades;
    for (uint32_t y = 0; y < kHeight; ++y) {
        for (uint32_t x = 0; x < kWidth; ++x) {
            if (!Pixel(frame, x, y).IsSky()) shades.insert(Pixel(frame, x, y));
        }
    }
    EXPECT_EQ(shades.size(), 3u) << "three visible faces, one flat shade each";
    EXPECT_TRUE(std::any_of(shades.begin(), shades.end(), [](Rgba shade) { return shade.g > shade.r + 30; }))
        << "the top face, not the culled bottom one, faces the eye";
}

TEST_F(GlRenderDeviceTest, NearerCubeHidesTheOneBehindIt) {
    LoadCubePipeline();
    // Looking up through a low cube at a wall of higher ones (another colour)
    // drawn after it: only the depth test keeps the low cube in front.
    const Matrix4 view = LookTo({0.5f, -1.5f, -2.0f}, {0.0f, 1.0f, 1.0f});
    std::vector<Vec3> wall;
    for (float x = -1.0f; x <= 1.0f; x += 1.0f) {
        for (float y = 11.0f; y <= 13.0f; y += 1.0f) wall.push_back({x, y, 12.0f});
    }
    const Rgba nearOnly = Pixel(Frame(view, {{0.0f, 0.0f, 0.0f}}), kWidth / 2, kHeight / 2);
    const Rgba farOnly = Pixel(Frame(view, wall), kWidth / 2, kHeight / 2);
    wall.insert(wall.begin(), Vec3{0.0f, 0.0f, 0.0f});
    const Rgba both = Pixel(Frame(view, wall), kWidth / 2, kHeight / 2);
    ASSERT_FALSE(nearOnly.IsSky());
    ASSERT_FALSE(farOnly.IsSky());
    ASSERT_FALSE(nearOnly == farOnly) << "the two cubes must differ in colour";
    EXPECT_TRUE(nearOnly == both);
}

TEST_F(GlRenderDeviceTest, WireframeLeavesTheFaceInsidesOpen) {
    LoadCubePipeline();
    const Matrix4 view = LookTo({0.5f, 0.5f, -2.0f}, {0, 0, 1});
    EXPECT_FALSE(Pixel(Frame(view, {{0.0f, 0.0f, 0.0f}}), kWidth / 2, kHeight / 2).IsSky());
    graphics_.SetRasterMode(RasterMode::Wireframe);
    const std::vector<uint8_t> frame = Frame(view, {{0.0f, 0.0f, 0.0f}});
    // Off the face's diagonal, which runs from its bottom right to its top left.
    EXPECT_TRUE(Pixel(frame, kWidth / 2 + 4, kHeight / 2 - 4).IsSky());
    size_t edgePixels = 0;
    for (size_t i = 0; i < frame.size(); i += 4) edgePixels += frame[i] != 153 ? 1 : 0;
    EXPECT_GT(edgePixels, 0u);
}

TEST_F(GlRenderDeviceTest, FontQuadBlendsItsPremultipliedColourOverTheScene) {
    ShaderPair font;
    ASSERT_EQ(LoadShaderPair(*device_, VOXMERE_SHADER_DIR "/Font", kFontLayout, 2, font), ShaderPairResult::Loaded);
    ASSERT_TRUE(font.vertexShader && font.pixelShader && font.inputLayout);

    // A white opaque 1 x 1 texture and a half-transparent red line colour.
    const uint8_t white[4] = {255, 255, 255, 255};
    const SubresourceData texel = {white, 4, 4};
    TextureViewHandle texture;
    ASSERT_TRUE(device_->CreateTexture({.width = 1, .format = Format::R8G8B8A8_UNorm}, &texel, texture));
    SamplerHandle sampler;
    ASSERT_TRUE(device_->CreateSampler(SamplerDesc{}, sampler));

    // A quad over the whole screen; M maps screen-centred pixels to clip space.
    const float hw = kWidth * 0.5f, hh = kHeight * 0.5f;
    const float quad[6][5] = {{-hw, hh, 0, 0, 0},  {hw, hh, 0, 1, 0}, {-hw, -hh, 0, 0, 1},
                              {-hw, -hh, 0, 0, 1}, {hw, hh, 0, 1, 0}, {hw, -hh, 0, 1, 1}};
    const uint32_t quadIndices[6] = {0, 1, 2, 3, 4, 5};
    float transform[64] = {};
    transform[48] = 1.0f / hw;
    transform[53] = 1.0f / hh;
    transform[63] = 1.0f;
    const float colour[4] = {1.0f, 0.0f, 0.0f, 0.5f};
    const BufferHandle vertices = Buffer(sizeof quad, BindFlag::VertexBuffer, quad);

    graphics_.BeginFrame(kSky);
    graphics_.ToggleOverlayStates();
    const uint32_t stride = 20, offset = 0;
    device_->SetConstantBuffer(ShaderStage::Vertex, 0, Buffer(256, BindFlag::ConstantBuffer, transform));
    device_->SetConstantBuffer(ShaderStage::Pixel, 3, Buffer(16, BindFlag::ConstantBuffer, colour));
    device_->SetShaderResource(ShaderStage::Pixel, 1, texture);
    device_->SetSampler(ShaderStage::Pixel, 1, sampler);
    device_->SetVertexBuffers(0, 1, &vertices, &stride, &offset);
    device_->SetIndexBuffer(Buffer(sizeof quadIndices, BindFlag::IndexBuffer, quadIndices), Format::R32_Uint, 0);
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
    const std::vector<uint8_t> zeros(4 * 4 * 16 * 2, 0);
    for (Format format : {Format::R8G8B8A8_UNorm, Format::B8G8R8A8_UNorm, Format::B8G8R8X8_UNorm,
                          Format::R10G10B10A2_UNorm, Format::R16G16_UNorm, Format::R32_Float, Format::B5G5R5A1_UNorm,
                          Format::B5G6R5_UNorm, Format::R8_UNorm, Format::R16_UNorm, Format::R8G8_UNorm,
                          Format::A8_UNorm, Format::BC4_UNorm, Format::BC5_SNorm, Format::R16G16B16A16_Float,
                          Format::R32G32B32A32_Float}) {
        SCOPED_TRACE(static_cast<int>(format));
        ASSERT_TRUE(device_->SupportsTextureFormat(format));
        SubresourceData levels[2];
        for (uint32_t level = 0; level < 2; ++level) {
            const SurfaceSize size = GetSurfaceSize(4 >> level, 4 >> level, static_cast<uint32_t>(format));
            levels[level] = {zeros.data(), static_cast<uint32_t>(size.rowBytes), static_cast<uint32_t>(size.levelBytes)};
        }
        TextureViewHandle view;
        EXPECT_TRUE(device_->CreateTexture({.width = 4, .height = 4, .mipLevels = 2, .format = format}, levels, view));
        device_->Release(view);
    }
    EXPECT_FALSE(device_->SupportsTextureFormat(Format::R8G8_B8G8_UNorm));
}

}  // namespace
