#include "graphics/GraphicsDevice.h"

#include <gtest/gtest.h>

#include <functional>

#include "RecordingDevice.h"
#include "TestFiles.h"
#include "config/Settings.h"

namespace {

using Calls = std::vector<std::string>;

std::string NameOf(const std::string& call) { return call.substr(0, call.find(' ')); }

class GraphicsDeviceTest : public ::testing::Test {
protected:
    GraphicsDeviceTest() {
        Config() = TypedSettings{};
        Config().fullscreen = false;
    }
    ~GraphicsDeviceTest() override { Config() = TypedSettings{}; }

    // Starts `graphics` on a fresh recording device set up by `prepare`.
    bool Start(GraphicsDevice& graphics, const std::function<void(RecordingDevice&)>& prepare = {}) {
        auto device = std::make_unique<RecordingDevice>();
        recording = device.get();
        if (prepare) prepare(*device);
        return graphics.Initialize(std::move(device));
    }
    Calls NamesAfter(size_t mark) const {
        Calls names;
        for (size_t i = mark; i < recording->calls.size(); ++i) names.push_back(NameOf(recording->calls[i]));
        return names;
    }

    GraphicsDevice graphics_;
    RecordingDevice* recording = nullptr;
    MessageCapture messages_;
};

// The 3-D states are bound at the end of start-up; a raster mode is bound
// only when it changes; two overlay toggles bring the 3-D states back.
TEST_F(GraphicsDeviceTest, StartsInOrderAndSwitchesStatesOnlyWhenTheyChange) {
    ASSERT_TRUE(Start(graphics_));
    EXPECT_EQ(NamesAfter(0), (Calls{"QueryAdapter", "CreateDeviceAndSwapChain", "CreateRenderTarget",
                                    "CreateDepthBuffer", "CreateDepthStencilView", "BindRenderTargets",
                                    "CreateDepthStencilState", "SetDepthStencilState", "CreateDepthStencilState",
                                    "CreateBlendState", "CreateBlendState", "CreateRasterizerState",
                                    "CreateRasterizerState", "SetRasterizerState", "SetViewport"}));
    EXPECT_TRUE(messages_.Messages().empty());
    EXPECT_STREQ(graphics_.AdapterName(), "Recording Adapter");
    const std::string solid = recording->CallsStartingWith("SetRasterizerState")[0];
    const std::string depthOn = recording->CallsStartingWith("SetDepthStencilState")[0];

    const size_t mark = recording->calls.size();
    for (RasterMode mode : {RasterMode::Solid, RasterMode::Wireframe, RasterMode::Wireframe, RasterMode::Solid}) {
        graphics_.SetRasterMode(mode);
    }
    graphics_.ToggleOverlayStates();
    graphics_.ToggleOverlayStates();
    const float sky[4] = {0.6f, 0.6f, 0.6f, 1.0f};
    graphics_.BeginFrame(sky);
    graphics_.EndFrame();
    EXPECT_EQ(NamesAfter(mark), (Calls{"SetRasterizerState", "SetRasterizerState", "SetDepthStencilState",
                                       "SetBlendState", "SetBlendState", "SetDepthStencilState", "ClearRenderTarget",
                                       "ClearDepth", "Present"}));
    const Calls raster = recording->CallsStartingWith("SetRasterizerState");
    const Calls depth = recording->CallsStartingWith("SetDepthStencilState");
    const Calls blend = recording->CallsStartingWith("SetBlendState");
    EXPECT_TRUE(raster[1] != solid && raster[2] == solid);
    EXPECT_TRUE(depth[1] != depthOn && depth[2] == depthOn);
    EXPECT_NE(blend[0], blend[1]);
    EXPECT_EQ(recording->calls.back(), "Present 1");
}

TEST_F(GraphicsDeviceTest, VideoMemoryIsTruncatedMegabytesAndAdapterNameMustFitWithItsTerminator) {
    for (auto [bytes, megabytes] : {std::pair{3ull * 1024 * 1024 - 1, 2}, {2147483648ull, 2048}}) {
        GraphicsDevice graphics;
        ASSERT_TRUE(Start(graphics, [bytes = bytes](RecordingDevice& d) { d.adapter.dedicatedVideoMemory = bytes; }));
        EXPECT_EQ(graphics.VideoMemoryMb(), megabytes) << bytes << " bytes";
    }
    ASSERT_TRUE(Start(graphics_, [](RecordingDevice& d) { d.adapter.description = std::string(127, 'a'); }));
    EXPECT_EQ(std::string(graphics_.AdapterName()), std::string(127, 'a'));
    GraphicsDevice tooLong;
    EXPECT_FALSE(Start(tooLong, [](RecordingDevice& d) { d.adapter.description = std::string(128, 'b'); }));
    EXPECT_TRUE(messages_.Messages().empty());
    tooLong.Shutdown();
    EXPECT_EQ(recording->calls, (Calls{"QueryAdapter"}));
    GraphicsDevice().Shutdown();  // never started: nothing to do
}

// With VSync the swap chain takes the refresh rate of the last display mode
// of exactly the window's size, and frames are presented on the vertical
// blank; without, rate 0/1 and no waiting.
TEST_F(GraphicsDeviceTest, SwapChainTakesTheLastExactlyMatchingRateOnlyWithVSyncAndFullscreenIsLeftFirst) {
    const std::vector<DisplayMode> modes = {{1280, 720, 60000, 1001}, {1920, 1080, 144, 1}, {1280, 720, 60, 1},
                                            {1280, 720, 75, 1},       {1280, 1024, 85, 1},  {720, 1280, 120, 1}};
    for (const bool vsync : {true, false}) {
        Config().VSync = vsync;
        GraphicsDevice graphics;
        ASSERT_TRUE(Start(graphics, [&](RecordingDevice& d) { d.displayModes = modes; }));
        graphics.EndFrame();
        const SwapChainDesc& chain = recording->swapChain;
        EXPECT_TRUE(chain.width == 1280 && chain.height == 720 && chain.windowed && chain.vsync == vsync);
        EXPECT_EQ(chain.refreshNumerator, vsync ? 75u : 0u);
        EXPECT_EQ(chain.refreshDenominator, 1u);
        EXPECT_EQ(recording->calls.back(), vsync ? "Present 1" : "Present 0");
    }
    // Full screen: the swap chain is not windowed, and shutdown leaves full
    // screen first and releases everything once.
    Config().fullscreen = true;
    ASSERT_TRUE(Start(graphics_));
    EXPECT_FALSE(recording->swapChain.windowed);
    const size_t mark = recording->calls.size();
    graphics_.Shutdown();
    graphics_.Shutdown();
    const Calls names = NamesAfter(mark);
    EXPECT_TRUE(names.size() == 11u && names.front() == "LeaveFullscreen" && names.back() == "ReleaseDevice");
    EXPECT_EQ(recording->LiveObjects(), 0u);
}

struct FailingStep {
    const char* call;
    int nth;
    const char* message;
    AdapterQueryResult adapterFailure = AdapterQueryResult::NoAdapter;
    RenderTargetResult renderTargetFailure = RenderTargetResult::ViewFailed;
};

// Each failing step shows its message (a name that cannot be converted none),
// stops start-up there and leaves a shutdown that releases what was made.
TEST_F(GraphicsDeviceTest, EachFailingStepShowsItsMessageStopsAndShutsDownCleanly) {
    const FailingStep steps[] = {
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
    for (const FailingStep& step : steps) {
        SCOPED_TRACE(std::string(step.call) + " " + std::to_string(step.nth));
        MessageCapture messages;
        GraphicsDevice graphics;
        EXPECT_FALSE(Start(graphics, [&](RecordingDevice& d) {
            d.failingNth[step.call] = step.nth;
            d.adapterFailure = step.adapterFailure;
            d.renderTargetFailure = step.renderTargetFailure;
        }));
        EXPECT_EQ(messages.Messages(), *step.message ? Calls{step.message} : Calls{});
        EXPECT_EQ(NameOf(recording->calls.back()), step.call) << "nothing runs after the failing step";
        graphics.Shutdown();
        EXPECT_EQ(recording->LiveObjects(), 0u);
        const std::string call = step.call;
        const size_t deviceExists = call != "QueryAdapter" && call != "CreateDeviceAndSwapChain";
        EXPECT_EQ(recording->Count("LeaveFullscreen") + recording->Count("ReleaseDevice"), 2 * deviceExists);
        EXPECT_EQ(recording->Count("ReleaseRenderTarget"), deviceExists && call != "CreateRenderTarget" ? 1u : 0u);
    }
}

}  // namespace
