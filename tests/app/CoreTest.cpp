#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>

#include "RecordingDevice.h"
#include "app/Core.h"
#include "config/Settings.h"
#include "input/InputState.h"
#include "platform/ErrorMessage.h"
#include "platform/Platform.h"
#include "player/Camera.h"
#include "player/Player.h"
#include "text/OverlayRegistryAccess.h"

namespace {

// One digit per object: window, input, timer, fps, clock, graphics, overlay, world, player.
std::string ExistingObjects(const Core& core) {
    const Core::Objects o = core.ExistingObjects();
    std::string text;
    for (bool exists : {o.window, o.input, o.timer, o.fps, o.clock, o.graphics, o.overlay, o.world, o.player})
        text += exists ? '1' : '0';
    return text;
}

// Notes at its end whether everything made on it was released, the device itself last.
struct CheckedDevice : RecordingDevice {
    explicit CheckedDevice(bool& releasedCleanly) : releasedCleanly_(releasedCleanly) {}
    ~CheckedDevice() override {
        const auto device = std::find(calls.begin(), calls.end(), "ReleaseDevice");
        releasedCleanly_ = LiveObjects() == 0 && (device == calls.end() || device + 1 == calls.end());
    }
    bool& releasedCleanly_;
};

// A windowless platform on a 1920 x 1080 screen handing out a checked recording device.
class FakePlatform : public Platform {
public:
    bool failWindow = false;
    int64_t frequency = 1000000, counter = 0;
    std::function<void(RecordingDevice&)> prepareDevice = [](RecordingDevice&) {};
    std::deque<Message> messages;
    std::string lastCall;
    std::string objectsAtWindowEnd;  // what still existed when the window went
    RecordingDevice* device = nullptr;  // owned by the graphics device
    bool deviceReleasedCleanly = false;
    int32_t cursorX = 0, cursorY = 0;
    WindowDesc window;

    bool initialized = false;
    std::string dpiAwareness = "undeclared";
    void DeclareDpiAwareness() override { dpiAwareness = initialized ? "declared late" : "declared first"; }
    bool Initialize() override { return initialized = true; }
    void Shutdown() override { lastCall = "Shutdown"; }
    bool GetScreenSize(uint32_t& width, uint32_t& height) override { return width = 1920, height = 1080, true; }
    bool CreateMainWindow(const WindowDesc& desc) override { return window = desc, !failWindow; }
    void FocusWindow() override {}
    void HideCursor() override {}
    void ShowMainWindow() override { lastCall = "ShowMainWindow"; }
    void DestroyMainWindow() override { objectsAtWindowEnd = ExistingObjects(*CorePointer()); }
    bool NextMessage(Message& out) override {
        if (messages.empty()) return false;
        out = messages.front();
        messages.pop_front();
        return true;
    }
    void PostQuit(int32_t code) override { messages.push_back(Message{Message::Type::Quit, 0, code}); }
    void GetCursorPosition(int32_t& x, int32_t& y) override { x = cursorX, y = cursorY; }
    void SetCursorPosition(int32_t x, int32_t y) override {
        lastCall = "SetCursorPosition " + std::to_string(x) + " " + std::to_string(y);
    }
    int64_t PerformanceFrequency() override { return frequency; }
    int64_t PerformanceCounter() override { return counter += 16000; }
    RenderDeviceFactory DeviceFactory() {
        return [this] {
            auto created = std::make_unique<CheckedDevice>(deviceReleasedCleanly);
            prepareDevice(*created);
            device = created.get();
            return std::unique_ptr<RenderDevice>(std::move(created));
        };
    }
};

std::vector<std::string> g_messages;

Message Key(Message::Type type, int32_t virtualKey) { return Message{type, virtualKey, 0}; }

class CoreTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        // The store is loaded once per process from the working folder's config.ini.
        namespace fs = std::filesystem;
        const fs::path previous = fs::current_path();
        const fs::path scratch = fs::path(testing::TempDir()) / ("voxmere-core-test-" + std::to_string(getpid()));
        fs::create_directories(scratch);
        fs::current_path(scratch);
        std::ofstream("config.ini") << "toggleWireframe=v\ntoggleFlyMode=F\njump=32\nmoveForward=W\n";
        Settings::Instance();
        fs::current_path(previous);
    }
    void SetUp() override {
        ResetSettings();
        previousSink_ = SetErrorMessageSink([](const char* text) { g_messages.push_back(text); });
        testing::internal::CaptureStderr();
    }
    void TearDown() override {
        testing::internal::GetCapturedStderr();
        SetErrorMessageSink(previousSink_);
    }
    static void ResetSettings() {
        TypedSettings& settings = Config() = TypedSettings{};
        settings.fullscreen = settings.instantStart = false;
        settings.windowWidth = 640;
        settings.windowHeight = 360;
        settings.terrainWidth = 64;
        settings.cubeShaderName = VOXMERE_SOURCE_DIR "/bin/shader/Cube";
        settings.fontShaderName = VOXMERE_SOURCE_DIR "/bin/shader/Font";
        settings.fontImageFilename = VOXMERE_BINARY_DIR "/bin/font/font.dds";
        settings.fontInfoFilename = VOXMERE_BINARY_DIR "/bin/font/fontInfo.txt";
        DebugOutput() = false;
        ClearOverlayRegistry();
        g_messages.clear();
    }
    FakePlatform platform;
    ErrorMessageSink previousSink_ = nullptr;
};

}  // namespace

// The graphics device goes after everything made on it, the window last. Core shows no message of its own.
TEST_F(CoreTest, EachFailingStepStopsStartUpAndShutdownReleasesWhatExists) {
    int buffers = 0;  // the camera's buffer is the last one a start creates
    {
        Core core(&platform, platform.DeviceFactory(), RunOptions{});
        ASSERT_TRUE(core.Initialize());
        buffers = static_cast<int>(platform.device->Count("CreateBuffer"));
        core.Shutdown();
        EXPECT_TRUE(platform.deviceReleasedCleanly);
        EXPECT_EQ(platform.objectsAtWindowEnd, "100000000");
    }
    const struct {
        std::function<void(FakePlatform&)> fail;
        const char* existing;
        size_t messages;
    } cases[] = {
        {[](FakePlatform& p) { p.failWindow = true; }, "000000000", 0},
        {[](FakePlatform& p) { p.frequency = 0; }, "111000000", 0},
        {[](FakePlatform& p) { p.prepareDevice = [](RecordingDevice& d) { d.failing = {"QueryAdapter"}; }; },
         "111111000", 1},
        {[](FakePlatform&) { Config().fontInfoFilename = "no-such-folder\\fontInfo.txt"; }, "111111100", 1},
        {[](FakePlatform&) { Config().chunkWidth = 12; }, "111111110", 1},
        {[buffers](FakePlatform& p) {
             p.prepareDevice = [buffers](RecordingDevice& d) { d.failingNth["CreateBuffer"] = buffers; };
         }, "111111111", 1},
    };
    for (const auto& c : cases) {
        ResetSettings();
        FakePlatform failing;
        c.fail(failing);
        Core core(&failing, failing.DeviceFactory(), RunOptions{});
        EXPECT_FALSE(core.Initialize()) << c.existing;
        EXPECT_EQ(ExistingObjects(core), c.existing);
        EXPECT_EQ(g_messages.size(), c.messages) << c.existing;
        core.Shutdown();
        EXPECT_TRUE(ExistingObjects(core) == "000000000" && CorePointer() == nullptr);
        EXPECT_TRUE(failing.lastCall == "Shutdown" && failing.objectsAtWindowEnd.substr(1) == "00000000");
        EXPECT_TRUE(failing.device == nullptr || failing.deviceReleasedCleanly) << c.existing;
    }
}

// The window is shown last, after the start-up lines are queued and the world's and the core's callbacks registered.
TEST_F(CoreTest, GoodStartShowsTheWindowLastAndQueuesTheStartUpLines) {
    Core core(&platform, platform.DeviceFactory(), RunOptions{});
    ASSERT_TRUE(core.Initialize());
    EXPECT_TRUE(CorePointer() == &core && platform.lastCall == "ShowMainWindow");
    EXPECT_TRUE(platform.window.x == 640 && platform.window.y == 360);
    EXPECT_STREQ(platform.window.title, "Voxmere (2013)");
    const std::deque<OverlayLine>& queued = QueuedLines();
    ASSERT_EQ(queued.size(), 3u);
    const char* const lines[] = {"Voxmere (2013)", "using Recording Adapter with 512 MB memory", "seed: voxmere"};
    for (int i = 0; i < 3; ++i) EXPECT_STREQ(queued[i].text, lines[i]);
    EXPECT_TRUE(queued[2].id == 3u && queued[2].y == 90u && RegisteredCallbacks().size() == 2u);
    core.Shutdown();
    // Full screen: the window keeps its configured size, the settings take the screen's.
    Config().fullscreen = true;
    Core fullscreen(&platform, platform.DeviceFactory(), RunOptions{});
    ASSERT_TRUE(fullscreen.Initialize());
    EXPECT_TRUE(platform.window.x == 0 && platform.window.y == 0 && platform.window.width == 640u &&
                platform.window.height == 360u);
    EXPECT_TRUE(Config().windowWidth == 1920u && Config().windowHeight == 1080u);
    fullscreen.Shutdown();
    EXPECT_EQ(platform.dpiAwareness, "undeclared");
}

// dpiAware asks for real pixels before anything of the window exists, so that
// the screen size read for full-screen is the real one as well.
TEST_F(CoreTest, DpiAwarenessIsDeclaredBeforeTheWindowClassOnlyWhenAsked) {
    Config().dpiAware = true;
    Core core(&platform, platform.DeviceFactory(), RunOptions{});
    ASSERT_TRUE(core.Initialize());
    EXPECT_EQ(platform.dpiAwareness, "declared first");
    core.Shutdown();
}

// Each start registers the core's and the world's callbacks and each shutdown removes them: a second core never
// reaches into the first one when its overlay refreshes.
TEST_F(CoreTest, CallbacksLiveFromStartToShutdownOfTheirCore) {
    Config().GUIUpdate = 0.0f;  // a refresh every frame
    for (int run = 0; run < 2; ++run) {
        RunOptions options;
        options.frames = 2;
        auto core = std::make_unique<Core>(&platform, platform.DeviceFactory(), options);
        ASSERT_TRUE(core->Initialize());
        EXPECT_EQ(RegisteredCallbacks().size(), 2u) << run;
        EXPECT_EQ(core->Run(), 0);
        core->Shutdown();
        EXPECT_TRUE(RegisteredCallbacks().empty()) << run;
    }
}

// Escape's quit request comes after the five waiting moves and the press, so no frame ran at all.
TEST_F(CoreTest, MessagesAreDrainedBeforeFramesEscapeQuitsWithZeroAndFramesEndTheRun) {
    for (const int64_t frames : {int64_t{-1}, int64_t{3}}) {  // -1: run until Escape
        RunOptions options;
        options.frames = frames;
        Core core(&platform, platform.DeviceFactory(), options);
        ASSERT_TRUE(core.Initialize());
        for (int i = 0; frames < 0 && i < 5; ++i) platform.messages.push_back(Message{Message::Type::MouseMove, 0, 0});
        if (frames < 0) platform.messages.push_back(Key(Message::Type::KeyDown, 27));
        EXPECT_EQ(core.Run(), 0);
        EXPECT_EQ(platform.device->Count("Present"), frames < 0 ? 0u : 3u);
        core.Shutdown();
    }
}

// A held toggle fires again at any key message of a later frame; two messages between frames count once.
TEST_F(CoreTest, KeyAndMouseEventsApplyAtTheNextFrame) {
    Core core(&platform, platform.DeviceFactory(), RunOptions{});
    ASSERT_TRUE(core.Initialize());
    using T = Message::Type;
    const std::vector<std::vector<Message>> framesOfMessages = {
        {Key(T::KeyDown, 'V')}, {}, {Key(T::KeyDown, 'W')}, {Key(T::KeyDown, 'W'), Key(T::KeyUp, 'W')},
        {Key(T::KeyUp, 'V')}};
    std::vector<bool> seen;  // the wireframe switch before and after each frame
    for (const std::vector<Message>& messages : framesOfMessages) {
        for (const Message& message : messages) core.MessageHandler(message);
        seen.push_back(core.IsWireframe());
        core.ProcessInput();
        seen.push_back(core.IsWireframe());
    }
    EXPECT_EQ(seen, (std::vector<bool>{false, true, true, true, true, false, false, true, true, true}));
    core.MessageHandler(Key(T::KeyDown, 'F'));
    core.MessageHandler(Key(T::KeyDown, 32));
    core.ProcessInput();
    EXPECT_TRUE(core.GetPlayer()->IsFlying());
    platform.cursorX = 1060;  // the window's centre is (960, 540)
    platform.cursorY = 560;
    core.MessageHandler(Message{T::MouseMove, 0, 0});
    core.ProcessInput();
    EXPECT_FLOAT_EQ(core.GetPlayer()->GetCamera()->Yaw(), 0.5f);
    EXPECT_FLOAT_EQ(core.GetPlayer()->GetCamera()->Pitch(), 0.1f);
    EXPECT_EQ(platform.lastCall, "SetCursorPosition 960 540");
    core.Shutdown();
}
