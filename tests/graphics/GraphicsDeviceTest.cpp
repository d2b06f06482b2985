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
    Calls CallsAfter(size_t mark) const { return {recording->calls.begin() + static_cast<long>(mark), recording->calls.end()}; }

    GraphicsDevice graphics_;
    RecordingDevice* recording = nullptr;
    MessageCapture messages_;
};

TEST_F(GraphicsDeviceTest, StartsInOrderBindsTheThreeDimensionalStatesAndDrawsFrames) {
    Config().windowWidth = 640;
    Config().windowHeight = 360;
    ASSERT_TRUE(Start(graphics_));
    const Calls expected = {
        "QueryAdapter",            "CreateDeviceAndSwapChain 640 360 0 1 1 1",
        "CreateRenderTarget",      "CreateDepthBuffer 640 360", "CreateDepthStencilView",
        "BindRenderTargets",       "CreateDepthStencilState 1 1", "SetDepthStencilState 1 1",
        "CreateDepthStencilState 0 1", "CreateBlendState 1",   "CreateBlendState 0",
        "CreateRasterizerState 0 1", "CreateRasterizerState 1 1", "SetRasterizerState 5",
        "SetViewport 640 360"};
    EXPECT_EQ(recording->calls, expected);
    EXPECT_TRUE(messages_.Messages().empty());
    EXPECT_STREQ(graphics_.AdapterName(), "Recording Adapter");

    // Raster mode changes state only when it differs; two overlay toggles restore the 3D states.
    const size_t mark = recording->calls.size();
    for (RasterMode mode : {RasterMode::Solid, RasterMode::Wireframe, RasterMode::Wireframe, RasterMode::Solid}) {
        graphics_.SetRasterMode(mode);
    }
    graphics_.ToggleOverlayStates();
    graphics_.ToggleOverlayStates();
    const float sky[4] = {0.6f, 0.6f, 0.6f, 1.0f};
    graphics_.BeginFrame(sky);
    graphics_.EndFrame();
    EXPECT_EQ(CallsAfter(mark), (Calls{"SetRasterizerState 6", "SetRasterizerState 5", "SetDepthStencilState 2 1",
                                       "SetBlendState 3 4294967295", "SetBlendState 4 4294967295",
                                       "SetDepthStencilState 1 1", "ClearRenderTarget", "ClearDepth", "Present 1"}));
}

TEST_F(GraphicsDeviceTest, VideoMemoryIsTruncatedMegabytesAndAdapterNameMustFitWithItsTerminator) {
    for (auto [bytes, megabytes] : {std::pair{0ull, 0}, {1048575ull, 0}, {1048576ull, 1}, {3ull * 1024 * 1024 - 1, 2},
                                    {2147483648ull, 2048}}) {
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

TEST_F(GraphicsDeviceTest, SwapChainTakesTheLastExactlyMatchingRateOnlyWithVSync) {
    const std::vector<DisplayMode> modes = {{1280, 720, 60000, 1001}, {1920, 1080, 144, 1}, {1280, 720, 60, 1},
                                            {1280, 720, 75, 1},       {1280, 1024, 85, 1},  {720, 1280, 120, 1}};
    for (const bool vsync : {true, false}) {
        Config().VSync = vsync;
        GraphicsDevice graphics;
        ASSERT_TRUE(Start(graphics, [&](RecordingDevice& d) { d.displayModes = modes; }));
        graphics.EndFrame();
        EXPECT_EQ(recording->CallsStartingWith("CreateDeviceAndSwapChain"),
                  Calls{vsync ? "CreateDeviceAndSwapChain 1280 720 75 1 1 1" : "CreateDeviceAndSwapChain 1280 720 0 1 1 0"});
        EXPECT_EQ(recording->calls.back(), vsync ? "Present 1" : "Present 0");
    }
}

TEST_F(GraphicsDeviceTest, FullscreenShutdownLeavesFullscreenFirstAndReleasesEachStateByItsHandleOnce) {
    Config().fullscreen = true;
    ASSERT_TRUE(Start(graphics_));
    EXPECT_EQ(recording->CallsStartingWith("CreateDeviceAndSwapChain"),
              Calls{"CreateDeviceAndSwapChain 1280 720 0 1 0 1"});
    const size_t mark = recording->calls.size();
    graphics_.Shutdown();
    graphics_.Shutdown();
    // Creation order gave ids 1..6: depth on, depth off, blend on, blend off, solid, wireframe.
    EXPECT_EQ(CallsAfter(mark), (Calls{"LeaveFullscreen", "ReleaseRasterizerState 5", "ReleaseRasterizerState 6",
                                       "ReleaseDepthStencilState 2", "ReleaseBlendState 3", "ReleaseBlendState 4",
                                       "ReleaseDepthStencilView", "ReleaseDepthStencilState 1", "ReleaseDepthBuffer",
                                       "ReleaseRenderTarget", "ReleaseDevice"}));
    EXPECT_EQ(recording->LiveObjects(), 0u);
}

struct FailingStep {
    const char* call;
    int nth;
    const char* message;
    size_t liveAfterFailure;  // objects created before the failing step
    AdapterQueryResult adapterFailure = AdapterQueryResult::NoAdapter;
    RenderTargetResult renderTargetFailure = RenderTargetResult::ViewFailed;
};

class GraphicsDeviceFailureTest : public GraphicsDeviceTest, public ::testing::WithParamInterface<FailingStep> {};

TEST_P(GraphicsDeviceFailureTest, ShowsItsMessageStopsAndShutsDownCleanly) {
    const FailingStep step = GetParam();
    EXPECT_FALSE(Start(graphics_, [&](RecordingDevice& d) {
        d.failingNth[step.call] = step.nth;
        d.adapterFailure = step.adapterFailure;
        d.renderTargetFailure = step.renderTargetFailure;
    }));
    EXPECT_EQ(messages_.Messages(), *step.message ? std::vector<std::string>{step.message} : std::vector<std::string>{});
    EXPECT_EQ(recording->LiveObjects(), step.liveAfterFailure);
    EXPECT_EQ(NameOf(recording->calls.back()), step.call) << "nothing runs after the failing step";

    graphics_.Shutdown();
    EXPECT_EQ(recording->LiveObjects(), 0u);
    const std::string call = step.call;
    const size_t deviceExists = call != "QueryAdapter" && call != "CreateDeviceAndSwapChain";
    EXPECT_EQ(recording->Count("LeaveFullscreen"), deviceExists);
    EXPECT_EQ(recording->Count("ReleaseDevice"), deviceExists);
    EXPECT_EQ(recording->Count("ReleaseRenderTarget"), deviceExists && call != "CreateRenderTarget" ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, GraphicsDeviceFailureTest,
    ::testing::Values(FailingStep{"QueryAdapter", 1, "failed to create graphic adapter", 0},
                      FailingStep{"QueryAdapter", 1, "failed to find primary output", 0, AdapterQueryResult::NoPrimaryOutput},
                      FailingStep{"QueryAdapter", 1, "failed to get display mode count", 0, AdapterQueryResult::ModeCountFailed},
                      FailingStep{"QueryAdapter", 1, "failed to get display mode list", 0, AdapterQueryResult::ModeListFailed},
                      FailingStep{"QueryAdapter", 1, "failed to get video card description", 0, AdapterQueryResult::NoDescription},
                      FailingStep{"QueryAdapter", 1, "", 0, AdapterQueryResult::NameNotConverted},
                      FailingStep{"CreateDeviceAndSwapChain", 1, "failed to create device and swap chain", 0},
                      FailingStep{"CreateRenderTarget", 1, "failed to create render target view", 0},
                      FailingStep{"CreateRenderTarget", 1, "failed to recieve back buffer pointer", 0,
                                  AdapterQueryResult::NoAdapter, RenderTargetResult::NoBackBuffer},
                      FailingStep{"CreateDepthBuffer", 1, "failed to create depth buffer texture", 0},
                      FailingStep{"CreateDepthStencilView", 1, "failed to create depth stencil view", 0},
                      FailingStep{"CreateDepthStencilState", 1, "failed to create depth stencil", 0},
                      FailingStep{"CreateDepthStencilState", 2, "failed to create depth disabled stencil", 1},
                      FailingStep{"CreateBlendState", 1, "failed to create alpha blend state", 2},
                      FailingStep{"CreateBlendState", 2, "failed to create alpha disabled blend state", 3},
                      FailingStep{"CreateRasterizerState", 1, "failed to create rasterizer state", 4},
                      FailingStep{"CreateRasterizerState", 2, "failed to create rasterizer state", 5}));

}  // namespace
