#include <gtest/gtest.h>

#include <unistd.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

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

// A platform without a window: records what Core asks of it, serves queued
// messages and hands out a recording render device.
class FakePlatform : public Platform {
public:
    bool failInitialize = false;
    bool failWindow = false;
    int64_t frequency = 1000000;
    std::set<std::string> failingDeviceCalls;
    std::map<std::string, int> failingNthDeviceCalls;
    std::deque<Message> messages;
    std::vector<std::string> calls;
    RecordingDevice* device = nullptr;  // owned by the graphics device
    int32_t cursorX = 0;
    int32_t cursorY = 0;

    bool Initialize() override { return Record("Initialize", !failInitialize); }
    void Shutdown() override { calls.push_back("Shutdown"); }
    bool GetScreenSize(uint32_t& width, uint32_t& height) override {
        width = 1920;
        height = 1080;
        return true;
    }
    bool CreateMainWindow(const WindowDesc& desc) override {
        window = desc;
        return Record("CreateMainWindow", !failWindow);
    }
    void FocusWindow() override { calls.push_back("FocusWindow"); }
    void HideCursor() override { calls.push_back("HideCursor"); }
    void ShowMainWindow() override { calls.push_back("ShowMainWindow"); }
    void DestroyMainWindow() override { calls.push_back("DestroyMainWindow"); }
    bool NextMessage(Message& out) override {
        if (messages.empty()) return false;
        out = messages.front();
        messages.pop_front();
        return true;
    }
    void PostQuit(int32_t code) override {
        Message quit;
        quit.type = Message::Type::Quit;
        quit.quitCode = code;
        messages.push_back(quit);
    }
    void GetCursorPosition(int32_t& x, int32_t& y) override {
        x = cursorX;
        y = cursorY;
    }
    void SetCursorPosition(int32_t x, int32_t y) override {
        calls.push_back("SetCursorPosition " + std::to_string(x) + " " + std::to_string(y));
    }
    int64_t PerformanceFrequency() override { return frequency; }
    int64_t PerformanceCounter() override { return counter += 16000; }
    // Hands out a recording render device, as a program entry pairs its platform with a backend.
    RenderDeviceFactory DeviceFactory() {
        return [this] {
            auto created = std::make_unique<RecordingDevice>();
            created->failing = failingDeviceCalls;
            created->failingNth = failingNthDeviceCalls;
            device = created.get();
            return std::unique_ptr<RenderDevice>(std::move(created));
        };
    }

    WindowDesc window;

private:
    bool Record(const char* name, bool result) {
        calls.push_back(name);
        return result;
    }
    int64_t counter = 0;
};

std::vector<std::string> g_messages;
void CaptureMessage(const char* text) { g_messages.push_back(text); }

Message KeyMessage(Message::Type type, int32_t virtualKey) {
    Message message;
    message.type = type;
    message.virtualKey = virtualKey;
    return message;
}

class CoreLifecycle : public testing::Test {
protected:
    static void SetUpTestSuite() {
        // The store is loaded once per process from the working folder's
        // config.ini: load it from a scratch folder holding the test's keys.
        const std::filesystem::path previous = std::filesystem::current_path();
        // One folder per process: ctest runs the tests in parallel.
        const std::filesystem::path scratch =
            std::filesystem::path(testing::TempDir()) / ("voxmere-core-test-" + std::to_string(getpid()));
        std::filesystem::create_directories(scratch);
        std::filesystem::current_path(scratch);
        std::ofstream("config.ini") << "toggleWireframe=v\ntoggleFlyMode=F\njump=32\nmoveForward=W\n";
        Settings::Instance();
        std::filesystem::current_path(previous);
    }

    void SetUp() override {
        Config() = TypedSettings{};
        TypedSettings& settings = Config();
        settings.fullscreen = false;
        settings.windowWidth = 640;
        settings.windowHeight = 360;
        settings.terrainWidth = 64;
        settings.instantStart = false;
        settings.cubeShaderName = VOXMERE_SOURCE_DIR "/bin/shader/Cube";
        settings.fontShaderName = VOXMERE_SOURCE_DIR "/bin/shader/Font";
        settings.fontImageFilename = VOXMERE_BINARY_DIR "/bin/font/font.dds";
        settings.fontInfoFilename = VOXMERE_BINARY_DIR "/bin/font/fontInfo.txt";
        DebugOutput() = false;
        ClearOverlayRegistry();
        g_messages.clear();
        previousSink_ = SetErrorMessageSink(&CaptureMessage);
        testing::internal::CaptureStderr();
    }
    void TearDown() override {
        testing::internal::GetCapturedStderr();
        SetErrorMessageSink(previousSink_);
    }

    // Starts a Core, shuts it down and returns which objects existed after
    // the start.
    Core::Objects StartAndStop(bool expectedStart) {
        Core core(&platform, platform.DeviceFactory(), RunOptions{});
        EXPECT_EQ(core.Initialize(), expectedStart);
        const Core::Objects objects = core.ExistingObjects();
        core.Shutdown();
        EXPECT_EQ(CorePointer(), nullptr);
        const Core::Objects after = core.ExistingObjects();
        EXPECT_FALSE(after.window || after.input || after.timer || after.fps || after.clock || after.graphics ||
                     after.overlay || after.world || after.player);
        return objects;
    }

    FakePlatform platform;
    ErrorMessageSink previousSink_ = nullptr;
};

}  // namespace

TEST_F(CoreLifecycle, WindowFailureCreatesNothingElse) {
    platform.failWindow = true;
    const Core::Objects objects = StartAndStop(false);
    EXPECT_FALSE(objects.window || objects.input || objects.timer || objects.graphics);
    EXPECT_TRUE(g_messages.empty());  // Core shows no message of its own
    EXPECT_EQ(platform.calls.back(), "Shutdown");
}

TEST_F(CoreLifecycle, ZeroCounterFrequencyStopsAfterTheTimer) {
    platform.frequency = 0;
    const Core::Objects objects = StartAndStop(false);
    EXPECT_TRUE(objects.window && objects.input && objects.timer);
    EXPECT_FALSE(objects.fps || objects.clock || objects.graphics);
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(CoreLifecycle, GraphicsFailureLeavesInputTimerCounterAndClock) {
    platform.failingDeviceCalls = {"CreateDeviceAndSwapChain"};
    const Core::Objects objects = StartAndStop(false);
    EXPECT_TRUE(objects.input && objects.timer && objects.fps && objects.clock && objects.graphics);
    EXPECT_FALSE(objects.overlay || objects.world || objects.player);
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_EQ(g_messages[0], "failed to create device and swap chain");
}

TEST_F(CoreLifecycle, OverlayFailureStopsBeforeTheWorld) {
    Config().fontInfoFilename = "no-such-folder\\fontInfo.txt";
    const Core::Objects objects = StartAndStop(false);
    EXPECT_TRUE(objects.graphics && objects.overlay);
    EXPECT_FALSE(objects.world || objects.player);
    ASSERT_FALSE(g_messages.empty());
    EXPECT_EQ(g_messages.back(), "failed to initialize TextEngine");
}

TEST_F(CoreLifecycle, WorldFailureStopsBeforeThePlayer) {
    Config().chunkWidth = 12;  // not a multiple of 8
    const Core::Objects objects = StartAndStop(false);
    EXPECT_TRUE(objects.overlay && objects.world);
    EXPECT_FALSE(objects.player);
    EXPECT_EQ(g_messages.size(), 1u);
}

TEST_F(CoreLifecycle, CameraBufferFailureFailsThePlayer) {
    // Find which buffer creation is the camera's in a good start: the last
    // 16-byte dynamic constant buffer.
    {
        Core core(&platform, platform.DeviceFactory(), RunOptions{});
        ASSERT_TRUE(core.Initialize());
        const std::vector<std::string> buffers = platform.device->CallsStartingWith("CreateBuffer");
        core.Shutdown();
        int cameraBuffer = 0;
        for (size_t i = 0; i < buffers.size(); ++i) {
            if (buffers[i].rfind("CreateBuffer 16 ", 0) == 0) cameraBuffer = static_cast<int>(i) + 1;
        }
        ASSERT_GT(cameraBuffer, 0);
        platform.failingNthDeviceCalls = {{"CreateBuffer", cameraBuffer}};
    }
    ClearOverlayRegistry();
    g_messages.clear();
    const Core::Objects objects = StartAndStop(false);
    EXPECT_TRUE(objects.world && objects.player);
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_EQ(g_messages[0], "failed to create camera buffer");
}

TEST_F(CoreLifecycle, GoodStartShowsTheWindowLastAndQueuesTheStartUpLines) {
    Core core(&platform, platform.DeviceFactory(), RunOptions{});
    ASSERT_TRUE(core.Initialize());
    EXPECT_EQ(CorePointer(), &core);
    EXPECT_EQ(platform.calls.back(), "ShowMainWindow");
    EXPECT_EQ(platform.window.x, 640);
    EXPECT_EQ(platform.window.y, 360);
    EXPECT_STREQ(platform.window.title, "Voxmere (2013)");
    const std::deque<OverlayLine>& queued = QueuedLines();
    ASSERT_EQ(queued.size(), 3u);
    EXPECT_STREQ(queued[0].text, "Voxmere (2013)");
    EXPECT_STREQ(queued[1].text, "using Recording Adapter with 512 MB memory");
    EXPECT_STREQ(queued[2].text, "seed: voxmere");
    EXPECT_EQ(queued[2].id, 3u);
    EXPECT_EQ(queued[2].y, 90u);
    EXPECT_EQ(RegisteredCallbacks().size(), 2u);  // the world's, then the core's
    core.Shutdown();

    // Full-screen: the window is created at (0, 0) with its configured size,
    // while the settings take the screen's size for everything after it.
    Config().fullscreen = true;
    Core fullscreen(&platform, platform.DeviceFactory(), RunOptions{});
    ASSERT_TRUE(fullscreen.Initialize());
    EXPECT_EQ(std::make_tuple(platform.window.x, platform.window.y, platform.window.width, platform.window.height),
              std::make_tuple(0, 0, 640u, 360u));
    EXPECT_EQ(std::make_pair(Config().windowWidth, Config().windowHeight), std::make_pair(1920u, 1080u));
    fullscreen.Shutdown();
}

TEST_F(CoreLifecycle, MessagesAreDrainedBeforeFramesAndEscapeQuitsWithZero) {
    Core core(&platform, platform.DeviceFactory(), RunOptions{});
    ASSERT_TRUE(core.Initialize());
    const size_t presentsBefore = platform.device->Count("Present");
    for (int i = 0; i < 5; ++i) {
        Message move;
        move.type = Message::Type::MouseMove;
        platform.messages.push_back(move);
    }
    platform.messages.push_back(KeyMessage(Message::Type::KeyDown, 27));
    EXPECT_EQ(core.Run(), 0);
    // Five moves and the Escape press are dispatched in passes without frames;
    // the quit request posted by Escape comes next, so no frame ran at all.
    EXPECT_EQ(platform.device->Count("Present"), presentsBefore);
    core.Shutdown();
}

TEST_F(CoreLifecycle, FramesOptionQuitsNormallyAfterThatManyFrames) {
    RunOptions options;
    options.frames = 3;
    Core core(&platform, platform.DeviceFactory(), options);
    ASSERT_TRUE(core.Initialize());
    EXPECT_EQ(core.Run(), 0);
    EXPECT_EQ(platform.device->Count("Present"), 3u);
    core.Shutdown();
}

TEST_F(CoreLifecycle, KeyAndMouseEventsApplyAtTheNextFrame) {
    Core core(&platform, platform.DeviceFactory(), RunOptions{});
    ASSERT_TRUE(core.Initialize());
    const Player& player = *core.GetPlayer();
    // The bindings come from the test folder's config.ini.
    core.MessageHandler(KeyMessage(Message::Type::KeyDown, 'V'));
    EXPECT_FALSE(core.IsWireframe());  // recorded only; applied by the frame
    core.ProcessInput();
    EXPECT_TRUE(core.IsWireframe());
    core.MessageHandler(KeyMessage(Message::Type::KeyUp, 'V'));
    core.ProcessInput();
    EXPECT_TRUE(core.IsWireframe());  // releasing fires nothing
    core.ProcessInput();
    EXPECT_TRUE(core.IsWireframe());  // no new key event, nothing fires

    core.MessageHandler(KeyMessage(Message::Type::KeyDown, 'F'));
    core.MessageHandler(KeyMessage(Message::Type::KeyDown, 32));
    core.ProcessInput();
    EXPECT_TRUE(player.IsFlying());  // flight wins over the jump held with it

    // The window is 640 x 360, centred on 1920 x 1080: its centre is (960, 540).
    platform.cursorX = 1060;
    platform.cursorY = 540;
    Message move;
    move.type = Message::Type::MouseMove;
    core.MessageHandler(move);
    core.ProcessInput();
    EXPECT_FLOAT_EQ(player.GetCamera()->Yaw(), 0.5f);
    EXPECT_EQ(platform.calls.back(), "SetCursorPosition 960 540");
    core.Shutdown();
}

TEST_F(CoreLifecycle, AHeldToggleFiresAgainOnAnyKeyMessageInALaterFrame) {
    Core core(&platform, platform.DeviceFactory(), RunOptions{});
    ASSERT_TRUE(core.Initialize());
    std::vector<bool> seen;
    const auto frame = [&] {
        core.ProcessInput();
        seen.push_back(core.IsWireframe());
    };
    core.MessageHandler(KeyMessage(Message::Type::KeyDown, 'V'));
    frame();
    frame();  // held, but no message: nothing fires
    core.MessageHandler(KeyMessage(Message::Type::KeyDown, 'W'));
    frame();
    core.MessageHandler(KeyMessage(Message::Type::KeyUp, 'W'));
    frame();
    core.MessageHandler(KeyMessage(Message::Type::KeyDown, 'W'));
    core.MessageHandler(KeyMessage(Message::Type::KeyUp, 'W'));  // two messages between frames count once
    frame();
    core.MessageHandler(KeyMessage(Message::Type::KeyUp, 'V'));
    frame();
    EXPECT_EQ(seen, (std::vector<bool>{true, true, false, true, false, false}));
    core.Shutdown();
}
