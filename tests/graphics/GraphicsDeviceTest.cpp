#include "graphics/GraphicsDevice.h"

#include <gtest/gtest.h>

#include "RecordingDevice.h"
#include "TestFiles.h"
#include "config/Settings.h"

namespace {

// The call's name without its arguments.
std::string NameOf(const std::string& call) { return call.substr(0, call.find(' ')); }

std::vector<std::string> NamesOf(const std::vector<std::string>& calls) {
    std::vector<std::string> names;
    for (const std::string& call : calls) {
        names.push_back(NameOf(call));
    }
    return names;
}

class GraphicsDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        Config() = TypedSettings{};
        Config().fullscreen = false;
        auto device = std::make_unique<RecordingDevice>();
        recording_ = device.get();
        pending_ = std::move(device);
    }
    void TearDown() override { Config() = TypedSettings{}; }

    RecordingDevice& Recording() { return *recording_; }
    bool Start() { return graphics_.Initialize(std::move(pending_)); }
    // Calls recorded from now on.
    std::vector<std::string> CallsAfter(size_t mark) const {
        return {recording_->calls.begin() + static_cast<std::ptrdiff_t>(mark), recording_->calls.end()};
    }

    GraphicsDevice graphics_;
    MessageCapture messages_;

private:
    RecordingDevice* recording_ = nullptr;
    std::unique_ptr<RenderDevice> pending_;
};

TEST_F(GraphicsDeviceTest, StartsInOrderAndBindsTheThreeDimensionalStates) {
    Config().windowWidth = 640;
    Config().windowHeight = 360;
    ASSERT_TRUE(Start());

    const std::vector<std::string> expected = {
        "GetAdapterInfo",          "GetDisplayModes",        "CreateDeviceAndSwapChain 640 360 0 1 1 1",
        "CreateRenderTarget",      "CreateDepthBuffer 640 360", "CreateDepthStencilView",
        "BindRenderTargets",       "CreateDepthStencilState 1 1", "SetDepthStencilState 1 1",
        "CreateDepthStencilState 0 1", "CreateBlendState 1",   "CreateBlendState 0",
        "CreateRasterizerState 0 1", "CreateRasterizerState 1 1", "SetRasterizerState 5",
        "SetViewport 640 360"};
    EXPECT_EQ(Recording().calls, expected);
    EXPECT_TRUE(messages_.Messages().empty());
    EXPECT_STREQ(graphics_.AdapterName(), "Recording Adapter");
    EXPECT_EQ(graphics_.VideoMemoryMb(), 512);
}

TEST_F(GraphicsDeviceTest, VideoMemoryIsTruncatedMegabytes) {
    const struct {
        uint64_t bytes;
        int megabytes;
    } cases[] = {{0, 0}, {1048575, 0}, {1048576, 1}, {2147483648ull, 2048}, {3ull * 1024 * 1024 - 1, 2}};
    for (const auto& c : cases) {
        GraphicsDevice graphics;
        auto device = std::make_unique<RecordingDevice>();
        device->adapter.dedicatedVideoMemory = c.bytes;
        ASSERT_TRUE(graphics.Initialize(std::move(device)));
        EXPECT_EQ(graphics.VideoMemoryMb(), c.megabytes) << c.bytes << " bytes";
        graphics.Shutdown();
    }
}

TEST_F(GraphicsDeviceTest, AdapterNameMustFitWithItsTerminator) {
    Recording().adapter.description = std::string(127, 'a');
    ASSERT_TRUE(Start());
    EXPECT_EQ(std::string(graphics_.AdapterName()), std::string(127, 'a'));

    GraphicsDevice tooLong;
    auto device = std::make_unique<RecordingDevice>();
    device->adapter.description = std::string(128, 'b');
    RecordingDevice* recording = device.get();
    EXPECT_FALSE(tooLong.Initialize(std::move(device)));
    EXPECT_TRUE(messages_.Messages().empty());
    EXPECT_EQ(recording->Count("CreateDeviceAndSwapChain"), 0u);
    tooLong.Shutdown();
    EXPECT_EQ(recording->Count("LeaveFullscreen"), 0u);
}

TEST_F(GraphicsDeviceTest, RefreshRateComesFromTheLastExactlyMatchingMode) {
    Config().windowWidth = 1280;
    Config().windowHeight = 720;
    Recording().displayModes = {{1280, 720, 60000, 1001}, {1920, 1080, 144, 1}, {1280, 720, 60, 1},
                                {1280, 720, 75, 1},       {1280, 1024, 85, 1},  {720, 1280, 120, 1}};
    ASSERT_TRUE(Start());
    EXPECT_EQ(Recording().CallsStartingWith("CreateDeviceAndSwapChain"),
              std::vector<std::string>{"CreateDeviceAndSwapChain 1280 720 75 1 1 1"});
}

TEST_F(GraphicsDeviceTest, WithoutVSyncTheRateIsZeroAndPresentDoesNotWait) {
    Config().VSync = false;
    Recording().displayModes = {{1280, 720, 60, 1}};
    ASSERT_TRUE(Start());
    EXPECT_EQ(Recording().CallsStartingWith("CreateDeviceAndSwapChain"),
              std::vector<std::string>{"CreateDeviceAndSwapChain 1280 720 0 1 1 0"});
    graphics_.EndFrame();
    EXPECT_EQ(Recording().calls.back(), "Present 0");
}

TEST_F(GraphicsDeviceTest, FullscreenAsksForAFullscreenSwapChainAndLeavesItFirst) {
    Config().fullscreen = true;
    ASSERT_TRUE(Start());
    EXPECT_EQ(Recording().CallsStartingWith("CreateDeviceAndSwapChain"),
              std::vector<std::string>{"CreateDeviceAndSwapChain 1280 720 0 1 0 1"});
    const size_t mark = Recording().calls.size();
    graphics_.Shutdown();
    const std::vector<std::string> expected = {
        "LeaveFullscreen",       "ReleaseRasterizerState", "ReleaseRasterizerState", "ReleaseDepthStencilState",
        "ReleaseBlendState",     "ReleaseBlendState",      "ReleaseDepthStencilView", "ReleaseDepthStencilState",
        "ReleaseDepthBuffer",    "ReleaseRenderTarget",    "ReleaseDevice"};
    EXPECT_EQ(NamesOf(CallsAfter(mark)), expected);
    EXPECT_EQ(Recording().LiveObjects(), 0u);
}

TEST_F(GraphicsDeviceTest, ShutdownReleasesEachStateByItsHandle) {
    ASSERT_TRUE(Start());
    const size_t mark = Recording().calls.size();
    graphics_.Shutdown();
    // Creation order gave ids 1..6: depth on, depth off, blend on, blend off, solid, wireframe.
    const std::vector<std::string> releases = Recording().CallsStartingWith("Release");
    const std::vector<std::string> expected = {
        "ReleaseRasterizerState 5", "ReleaseRasterizerState 6", "ReleaseDepthStencilState 2",
        "ReleaseBlendState 3",      "ReleaseBlendState 4",      "ReleaseDepthStencilView",
        "ReleaseDepthStencilState 1", "ReleaseDepthBuffer",     "ReleaseRenderTarget",
        "ReleaseDevice"};
    EXPECT_EQ(releases, expected);
    EXPECT_EQ(CallsAfter(mark).front(), "LeaveFullscreen");

    graphics_.Shutdown();  // a second shutdown releases nothing twice
    EXPECT_EQ(Recording().CallsStartingWith("Release"), expected);
}

struct FailingStep {
    const char* call;
    int nth;
    const char* message;
    size_t liveAfterFailure;  // objects created before the failing step
};

class GraphicsDeviceFailureTest : public GraphicsDeviceTest, public ::testing::WithParamInterface<FailingStep> {};

TEST_P(GraphicsDeviceFailureTest, ShowsItsMessageStopsAndShutsDownCleanly) {
    const FailingStep step = GetParam();
    Recording().failingNth[step.call] = step.nth;
    EXPECT_FALSE(Start());
    EXPECT_EQ(messages_.Messages(), std::vector<std::string>{step.message});
    EXPECT_EQ(Recording().LiveObjects(), step.liveAfterFailure);
    EXPECT_EQ(NameOf(Recording().calls.back()), step.call) << "nothing runs after the failing step";

    graphics_.Shutdown();
    EXPECT_EQ(Recording().LiveObjects(), 0u);
    const bool deviceExists = std::string(step.call) != "GetAdapterInfo" && std::string(step.call) != "GetDisplayModes" &&
                              std::string(step.call) != "CreateDeviceAndSwapChain";
    EXPECT_EQ(Recording().Count("LeaveFullscreen"), deviceExists ? 1u : 0u);
    EXPECT_EQ(Recording().Count("ReleaseDevice"), deviceExists ? 1u : 0u);
    EXPECT_EQ(Recording().Count("ReleaseRenderTarget"),
              deviceExists && std::string(step.call) != "CreateRenderTarget" ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, GraphicsDeviceFailureTest,
    ::testing::Values(FailingStep{"GetAdapterInfo", 1, "failed to create graphic adapter", 0},
                      FailingStep{"GetDisplayModes", 1, "failed to get display mode list", 0},
                      FailingStep{"CreateDeviceAndSwapChain", 1, "failed to create device and swap chain", 0},
                      FailingStep{"CreateRenderTarget", 1, "failed to create render target view", 0},
                      FailingStep{"CreateDepthBuffer", 1, "failed to create depth buffer texture", 0},
                      FailingStep{"CreateDepthStencilView", 1, "failed to create depth stencil view", 0},
                      FailingStep{"CreateDepthStencilState", 1, "failed to create depth stencil", 0},
                      FailingStep{"CreateDepthStencilState", 2, "failed to create depth disabled stencil", 1},
                      FailingStep{"CreateBlendState", 1, "failed to create alpha blend state", 2},
                      FailingStep{"CreateBlendState", 2, "failed to create alpha disabled blend state", 3},
                      FailingStep{"CreateRasterizerState", 1, "failed to create rasterizer state", 4},
                      FailingStep{"CreateRasterizerState", 2, "failed to create rasterizer state", 5}));

TEST_F(GraphicsDeviceTest, EachDisplayModeQueryFailureHasItsOwnMessage) {
    const std::pair<DisplayModeResult, const char*> cases[] = {
        {DisplayModeResult::NoPrimaryOutput, "failed to find primary output"},
        {DisplayModeResult::CountFailed, "failed to get display mode count"},
    };
    for (const auto& [result, message] : cases) {
        GraphicsDevice graphics;
        auto device = std::make_unique<RecordingDevice>();
        device->failing = {"GetDisplayModes"};
        device->displayModeFailure = result;
        const size_t shown = messages_.Messages().size();
        EXPECT_FALSE(graphics.Initialize(std::move(device)));
        ASSERT_EQ(messages_.Messages().size(), shown + 1);
        EXPECT_EQ(messages_.Messages().back(), message);
        graphics.Shutdown();
    }
}

TEST_F(GraphicsDeviceTest, RasterModeChangesStateOnlyWhenItDiffers) {
    ASSERT_TRUE(Start());
    const size_t mark = Recording().calls.size();
    graphics_.SetRasterMode(RasterMode::Solid);
    graphics_.SetRasterMode(RasterMode::Wireframe);
    graphics_.SetRasterMode(RasterMode::Wireframe);
    graphics_.SetRasterMode(RasterMode::Solid);
    graphics_.SetRasterMode(RasterMode::Solid);
    EXPECT_EQ(CallsAfter(mark), (std::vector<std::string>{"SetRasterizerState 6", "SetRasterizerState 5"}));
}

TEST_F(GraphicsDeviceTest, OverlayStatesToggleInOrderAndTwiceRestoreTheThreeDimensionalStates) {
    ASSERT_TRUE(Start());
    const size_t mark = Recording().calls.size();
    graphics_.ToggleOverlayStates();
    graphics_.ToggleOverlayStates();
    const std::vector<std::string> expected = {"SetDepthStencilState 2 1", "SetBlendState 3 4294967295",
                                               "SetBlendState 4 4294967295", "SetDepthStencilState 1 1"};
    EXPECT_EQ(CallsAfter(mark), expected);
}

TEST_F(GraphicsDeviceTest, FrameClearsColourThenDepthAndPresentsWithVSync) {
    ASSERT_TRUE(Start());
    const size_t mark = Recording().calls.size();
    const float sky[4] = {0.6f, 0.6f, 0.6f, 1.0f};
    graphics_.BeginFrame(sky);
    graphics_.EndFrame();
    EXPECT_EQ(CallsAfter(mark), (std::vector<std::string>{"ClearRenderTarget", "ClearDepth", "Present 1"}));
}

TEST_F(GraphicsDeviceTest, ShutdownWithoutInitializeDoesNothing) {
    GraphicsDevice never;
    never.Shutdown();
    EXPECT_EQ(never.Device(), nullptr);
}

}  // namespace
