#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <tuple>

#include "MessageCapture.h"
#include "RecordingDevice.h"
#include "config/Settings.h"
#include "graphics/GraphicsDevice.h"

namespace {

using Calls = std::vector<std::string>;

class GraphicsDeviceTest : public ::testing::Test {
protected:

    // Starts `graphics` on a fresh recording device set up by `prepare`.
    bool Start(GraphicsDevice& graphics, const std::function<void(RecordingDevice&)>& prepare = {}) {
        auto device = std::make_unique<RecordingDevice>();
        recording = device.get();
        if (prepare) prepare(*device);
        return graphics.Initialize(std::move(device), display);
    }

    DisplaySettings display{.width = 1280, .height = 720, .fullscreen = true, .vsync = true};
    GraphicsDevice graphics_;
    RecordingDevice* recording = nullptr;
    MessageCapture messages_;
};

// Objects by creation: depth on 1, off 2, blend on 3, off 4, solid 5, wireframe 6. A raster mode is bound only
// when it changes; shutdown leaves full screen first and releases in a fixed order, once.
TEST_F(GraphicsDeviceTest, StartsSwitchesStatesAndShutsDownInOrder) {
    ASSERT_TRUE(Start(graphics_));
    EXPECT_TRUE(messages_.Messages().empty());
    EXPECT_FALSE(recording->swapChain.windowed);
    for (RasterMode mode : {RasterMode::Solid, RasterMode::Wireframe, RasterMode::Wireframe, RasterMode::Solid}) {
        graphics_.SetRasterMode(mode);
    }
    graphics_.ToggleOverlayStates();
    graphics_.ToggleOverlayStates();
    graphics_.BeginFrame(std::array{0.6f, 0.6f, 0.6f, 1.0f}.data());
    graphics_.EndFrame();
    graphics_.Shutdown();
    graphics_.Shutdown();
    EXPECT_EQ(recording->calls,
              (Calls{"QueryAdapter", "CreateDeviceAndSwapChain", "CreateRenderTarget", "CreateDepthBuffer",
                     "CreateDepthStencilView", "BindRenderTargets", "CreateDepthStencilState",
                     "SetDepthStencilState 1", "CreateDepthStencilState", "CreateBlendState", "CreateBlendState",
                     "CreateRasterizerState", "CreateRasterizerState", "SetRasterizerState 5", "SetViewport",
                     "SetRasterizerState 6", "SetRasterizerState 5", "SetDepthStencilState 2", "SetBlendState 3",
                     "SetBlendState 4", "SetDepthStencilState 1", "ClearRenderTarget", "ClearDepth", "Present 1",
                     "LeaveFullscreen", "ReleaseRasterizerState 5", "ReleaseRasterizerState 6",
                     "ReleaseDepthStencilState 2", "ReleaseBlendState 3", "ReleaseBlendState 4",
                     "ReleaseDepthStencilView", "ReleaseDepthStencilState 1", "ReleaseDepthBuffer",
                     "ReleaseRenderTarget", "ReleaseDevice"}));
    EXPECT_EQ(recording->LiveObjects(), 0u);
    const std::vector<DepthStencilDesc>& depth = recording->depthStencilStates;
    EXPECT_TRUE(depth[0].depthEnable && !depth[1].depthEnable && depth[0].depthWrite && depth[0].stencilEnable);
    EXPECT_EQ(depth[0].depthFunc, Comparison::Less);
    EXPECT_TRUE(recording->blendStates[0].blendEnable && !recording->blendStates[1].blendEnable);
    const std::vector<RasterizerDesc>& raster = recording->rasterizerStates;
    EXPECT_TRUE(raster[0].fill == FillMode::Solid && raster[1].fill == FillMode::Wireframe);
    EXPECT_TRUE(raster[0].cullBack && !raster[0].frontCounterClockwise && raster[1].cullBack && raster[0].depthClip);
}

// Video memory in truncated megabytes; a name must fit 128 bytes with its terminator, else the start fails
// silently. With VSync the rate is that of the last mode of exactly the window's size; without, 0/1, no waiting.
TEST_F(GraphicsDeviceTest, AdapterValuesAndSwapChainRate) {
    const std::vector<DisplayMode> modes = {{1280, 720, 60000, 1001}, {1920, 1080, 144, 1}, {1280, 720, 60, 1},
                                            {1280, 720, 75, 1},       {1280, 1024, 85, 1},  {720, 1280, 120, 1}};
    display.fullscreen = false;
    for (auto [memory, megabytes, vsync] : {std::tuple{3ull * 1024 * 1024 - 1, 2, true}, {1ull << 31, 2048, false}}) {
        const uint64_t bytes = memory;  // a lambda cannot capture a structured binding in clang 14
        display.vsync = vsync;
        GraphicsDevice graphics;
        ASSERT_TRUE(Start(graphics, [&](RecordingDevice& d) {
            d.adapter = {.description = std::string(127, 'a'), .dedicatedVideoMemory = bytes};
            d.displayModes = modes;
        }));
        EXPECT_EQ(graphics.VideoMemoryMb(), megabytes);
        EXPECT_EQ(std::string(graphics.AdapterName()), std::string(127, 'a'));
        graphics.EndFrame();
        const SwapChainDesc& chain = recording->swapChain;
        EXPECT_TRUE(chain.width == 1280 && chain.height == 720 && chain.windowed && chain.vsync == vsync);
        EXPECT_TRUE(chain.refreshNumerator == (vsync ? 75u : 0u) && chain.refreshDenominator == 1u);
        EXPECT_EQ(recording->calls.back(), vsync ? "Present 1" : "Present 0");
    }
    EXPECT_FALSE(Start(graphics_, [](RecordingDevice& d) { d.adapter.description = std::string(128, 'b'); }));
    EXPECT_TRUE(messages_.Messages().empty());
    graphics_.Shutdown();
    EXPECT_EQ(recording->calls, (Calls{"QueryAdapter"}));
    GraphicsDevice().Shutdown();  // never started
}

// Each failing step shows its message (an unconverted name none), stops start-up and leaves a clean shutdown.
TEST_F(GraphicsDeviceTest, EachFailingStepShowsItsMessageStopsAndShutsDownCleanly) {
    const struct {
        const char* call;
        int nth;
        const char* message;
        AdapterQueryResult adapterFailure = AdapterQueryResult::NoAdapter;
        RenderTargetResult renderTargetFailure = RenderTargetResult::ViewFailed;
    } steps[] = {
        {"QueryAdapter", 1, "failed to create graphic adapter"},
        {"QueryAdapter", 1, "failed to get video card description", AdapterQueryResult::NoDescription},
        {"QueryAdapter", 1, "", AdapterQueryResult::NameNotConverted},
        {"CreateDeviceAndSwapChain", 1, "failed to create device and swap chain"},
        {"CreateRenderTarget", 1, "failed to create render target view"},
        {"CreateRenderTarget", 1, "failed to recieve back buffer pointer", AdapterQueryResult::NoAdapter,
         RenderTargetResult::NoBackBuffer},
        {"CreateDepthBuffer", 1, "failed to create depth buffer texture"},
        {"CreateDepthStencilView", 1, "failed to create depth stencil view"},
        {"CreateDepthStencilState", 1, "failed to create depth stencil"},
        {"CreateDepthStencilState", 2, "failed to create depth disabled stencil"},
        {"CreateBlendState", 1, "failed to create alpha blend state"},
        {"CreateBlendState", 2, "failed to create alpha disabled blend state"},
        {"CreateRasterizerState", 2, "failed to create rasterizer state"}};
    for (const auto& step : steps) {
        SCOPED_TRACE(std::string(step.call) + " " + std::to_string(step.nth));
        MessageCapture messages;
        GraphicsDevice graphics;
        EXPECT_FALSE(Start(graphics, [&](RecordingDevice& d) {
            d.failingNth[step.call] = step.nth;
            d.adapterFailure = step.adapterFailure;
            d.renderTargetFailure = step.renderTargetFailure;
        }));
        EXPECT_EQ(messages.Messages(), *step.message ? Calls{step.message} : Calls{});
        EXPECT_EQ(recording->calls.back(), step.call) << "nothing runs after the failing step";
        graphics.Shutdown();
        EXPECT_EQ(recording->LiveObjects(), 0u);
        const std::string call = step.call;
        const size_t deviceExists = call != "QueryAdapter" && call != "CreateDeviceAndSwapChain";
        EXPECT_EQ(recording->Count("LeaveFullscreen") + recording->Count("ReleaseDevice"), 2 * deviceExists);
        EXPECT_EQ(recording->Count("ReleaseRenderTarget"), deviceExists && call != "CreateRenderTarget" ? 1u : 0u);
    }
}

}  // namespace
