#include "app/Core.h"

#include <chrono>
#include <cstdio>
#include <utility>

#include "app/FrameStatistics.h"
#include "app/WindowPlacement.h"
#include "config/Settings.h"
#include "graphics/GraphicsDevice.h"
#include "input/Input.h"
#include "input/InputState.h"
#include "platform/ErrorMessage.h"
#include "platform/Platform.h"
#include "platform/Stopwatch.h"
#include "player/Camera.h"
#include "player/Player.h"
#include "text/TextOverlay.h"
#include "world/VoxelWorld.h"

namespace {

constexpr const char* kWindowTitle = "Voxmere (2013)";
constexpr int32_t kEscapeKey = 27;

Core* g_core = nullptr;

template <typename T>
void DeleteAndNull(T*& object) {
    delete object;
    object = nullptr;
}

}  // namespace

Core* CorePointer() { return g_core; }

Core::Core(Platform* platform, RenderDeviceFactory createDevice, const RunOptions& options)
    : platform_(platform),
      createDevice_(std::move(createDevice)),
      fixedDt_(options.fixedDt),
      windowCreated_(false),
      running_(true),
      mouseMoved_(false),
      keyEvent_(false),
      windowCentreX_(0),
      windowCentreY_(0),
      overlay_(nullptr),
      fps_(nullptr),
      timer_(nullptr),
      input_(nullptr),
      player_(nullptr),
      clock_(nullptr),
      graphics_(nullptr),
      world_(nullptr),
      worldMatrix_(Matrix4::Identity()),
      wireframe_(false),
      adapterLine_{},
      lastFrameSeconds_(0.0f),
      harness_(options),
      statusCallback_(this, &Core::DebugLines) {
    Settings& settings = Settings::Instance();
    for (const SettingOverride& setting : options.settingOverrides) {
        settings.Override(setting.key, setting.value, Config());
    }
    WarnAboutEmptyView(Config());
}

void Core::UseTrace(FrameTrace trace) { harness_.UseTrace(std::move(trace)); }

void Core::UseRecorder(InputRecorder recorder) { harness_.UseRecorder(std::move(recorder)); }

void Core::UseReplay(InputReplay replay) { harness_.UseReplay(std::move(replay)); }

bool Core::Initialize() {
    g_core = this;
    if (!CreateMainWindow()) {
        return false;
    }
    input_ = new Input();
    input_->Initialize(Settings::Instance());
    timer_ = new FrameTimer();
    if (!StartFrameTimer()) {
        return false;
    }
    fps_ = new FpsCounter();
    clock_ = new WorldClock(Config().timeScale, Config().startTime);
    graphics_ = new GraphicsDevice();
    if (!graphics_->Initialize(createDevice_(), DisplaySettingsFrom(Config()))) {
        return false;
    }
    overlay_ = new TextOverlay();
    if (!overlay_->Initialize(graphics_, OverlaySettingsFrom(Config()))) {
        return false;
    }
    world_ = new VoxelWorld();
    if (!world_->Initialize(WorldSettingsFrom(Config()), graphics_->Device())) {
        return false;
    }
    player_ = new Player();
    if (!player_->Initialize(PlayerSettingsFrom(Config()), graphics_->Device(), world_)) {
        return false;
    }
    FormatAdapterLine();
    RegisterStatusLines();
    platform_->ShowMainWindow();
    return true;
}

bool Core::CreateMainWindow() {
    if (Config().dpiAware) {
        platform_->DeclareDpiAwareness();
    }
    if (!platform_->Initialize()) {
        return false;
    }
    uint32_t screenWidth = 0;
    uint32_t screenHeight = 0;
    if (!platform_->GetScreenSize(screenWidth, screenHeight)) {
        return false;
    }
    TypedSettings& settings = Config();
    WindowDesc desc;
    desc.title = kWindowTitle;
    desc.width = settings.windowWidth;  // the configured size, also when full-screen takes the screen's
    desc.height = settings.windowHeight;
    desc.fullscreen = settings.fullscreen;
    const WindowPlacement placement =
        PlaceWindow(settings.fullscreen, screenWidth, screenHeight, settings.windowWidth, settings.windowHeight);
    settings.windowWidth = placement.width;
    settings.windowHeight = placement.height;
    windowCentreX_ = placement.centreX;
    windowCentreY_ = placement.centreY;
    desc.x = placement.x;
    desc.y = placement.y;
    if (!platform_->CreateMainWindow(desc)) {
        return false;
    }
    windowCreated_ = true;
    platform_->FocusWindow();
    platform_->HideCursor();
    return true;
}

bool Core::StartFrameTimer() {
    timer_->frequency = platform_->PerformanceFrequency();
    if (timer_->frequency == 0) {
        return false;
    }
    timer_->countsPerMs = static_cast<float>(timer_->frequency) / 1000.0f;
    timer_->lastCount = platform_->PerformanceCounter();
    return true;
}

void Core::FormatAdapterLine() {
    std::snprintf(adapterLine_, sizeof adapterLine_, "using %s with %i MB memory", graphics_->AdapterName(),
                  graphics_->VideoMemoryMb());
}

void Core::RegisterStatusLines() {
    RegisterCallback(&statusCallback_);
    QueueStartUpLines(kWindowTitle, adapterLine_, Config().mapSeed.c_str());
}

int Core::Run() {
    timer_->lastCount = platform_->PerformanceCounter();
    timer_->frameTime = 0.0f;
    harness_.Start(HarnessTargets{.platform = platform_,
                                  .device = graphics_->Device(),
                                  .input = input_,
                                  .player = player_,
                                  .world = world_,
                                  .windowCentreX = windowCentreX_,
                                  .windowCentreY = windowCentreY_});
    int32_t exitCode = 0;
    while (running_) {
        Message message;
        if (platform_->NextMessage(message)) {
            if (message.type == Message::Type::Quit) {
                running_ = false;
                exitCode = message.quitCode;
            } else {
                WindowProcedure(message);
            }
            continue;
        }
        RunFrame();
    }
    harness_.Finish();
    return exitCode;
}

void Core::RunFrame() {
    harness_.BeginFrame(ReplaySink{.key = [this](const Message& message) { DispatchInput(message); },
                                   .mouse = [this](int32_t dx, int32_t dy) { MoveMouseBy(dx, dy); }});
    ProcessInput();
    FrameTimes times;
    const auto updateStart = std::chrono::steady_clock::now();
    Update();
    times.updateMs = MillisecondsSince(updateStart);
    times.seconds = lastFrameSeconds_;
    const auto renderStart = std::chrono::steady_clock::now();
    harness_.BeforeRender();
    Render();
    times.renderMs = MillisecondsSince(renderStart);
    harness_.EndFrame(times);
}

void Core::WindowProcedure(const Message& message) {
    if (message.type == Message::Type::Destroy) {
        platform_->PostQuit(0);
        return;
    }
    const bool keyboardOrMouse = message.type == Message::Type::KeyDown || message.type == Message::Type::KeyUp ||
                                 message.type == Message::Type::MouseMove;
    if (harness_.IsReplaying() && keyboardOrMouse) {
        QuitOnEscape(message);  // recorded input stands in for the rest of the keyboard and the mouse
        return;
    }
    DispatchInput(message);
}

void Core::QuitOnEscape(const Message& message) {
    if (message.type == Message::Type::KeyDown && message.virtualKey == kEscapeKey) {
        platform_->PostQuit(0);
    }
}

void Core::DispatchInput(const Message& message) {
    QuitOnEscape(message);  // the Escape press is recorded as well
    harness_.NoteKey(message);
    MessageHandler(message);
    harness_.RecordInput(message);
}

void Core::MessageHandler(const Message& message) {
    switch (message.type) {
    case Message::Type::KeyDown:
        input_->KeyDown(message.virtualKey);
        keyEvent_ = true;
        break;
    case Message::Type::KeyUp:
        input_->KeyUp(message.virtualKey);
        keyEvent_ = true;
        break;
    case Message::Type::MouseMove: {
        int32_t x = 0;
        int32_t y = 0;
        platform_->GetCursorPosition(x, y);
        input_->MouseMoved(x, y);
        mouseMoved_ = true;
        break;
    }
    default:
        break;
    }
}

// A replayed mouse move: the cursor stood this far from the window centre.
void Core::MoveMouseBy(int32_t dx, int32_t dy) {
    input_->MouseMoved(windowCentreX_ + dx, windowCentreY_ + dy);
    mouseMoved_ = true;
}

void Core::ProcessInput() {
    if (keyEvent_) {
        ApplyFiredAction();
        const MovementIntents intents = input_->Intents();
        player_->SetIntents(intents.forward, intents.backward, intents.left, intents.right, intents.up, intents.down);
        keyEvent_ = false;
    }
    if (mouseMoved_) {
        player_->Look(input_->CursorX() - windowCentreX_, input_->CursorY() - windowCentreY_);
        if (!harness_.IsReplaying()) {
            platform_->SetCursorPosition(windowCentreX_, windowCentreY_);
        }
        mouseMoved_ = false;
    }
}

void Core::ApplyFiredAction() {
    switch (input_->FiredAction()) {
    case InputAction::ToggleDebugOutput:
        DebugOutput() = !DebugOutput();
        break;
    case InputAction::ToggleWireframe:
        wireframe_ = !wireframe_;
        break;
    case InputAction::ToggleFlyMode:
        player_->ToggleFlight();
        break;
    case InputAction::ToggleCollision:
        player_->ToggleCollision();
        break;
    case InputAction::Jump:
        player_->Jump();
        break;
    case InputAction::None:
        break;
    }
}

float Core::MeasureFrameTime() {
    const int64_t now = platform_->PerformanceCounter();
    timer_->frameTime = static_cast<float>(now - timer_->lastCount) / timer_->countsPerMs;
    timer_->lastCount = now;
    if (fixedDt_ > 0.0f) {
        timer_->frameTime = fixedDt_ * 1000.0f;
        return fixedDt_;
    }
    return timer_->frameTime * 0.001f;
}

void Core::Update() {
    const float seconds = MeasureFrameTime();
    lastFrameSeconds_ = seconds;
    fps_->AddSample(seconds);
    clock_->Advance(seconds);
    player_->Update(seconds);
    if (overlay_->AddElapsed(seconds)) {
        overlay_->Update(graphics_);
    }
    const Vec3 position = player_->Position();
    world_->Update(position.x, position.y, position.z);
}

void Core::Render() {
    RenderDevice& device = *graphics_->Device();
    graphics_->BeginFrame(kSkyColour);
    Camera& camera = *player_->GetCamera();
    viewMatrix_ = camera.View();
    orthoMatrix_ = camera.Orthographic();
    projectionMatrix_ = camera.Projection();
    camera.Upload(device);
    graphics_->SetRasterMode(wireframe_ ? RasterMode::Wireframe : RasterMode::Solid);
    world_->Render(device, worldMatrix_, viewMatrix_, projectionMatrix_);
    overlay_->Render(graphics_, worldMatrix_, orthoMatrix_);
    graphics_->EndFrame();
}

short Core::DebugLines(OverlayLine* lines) {
    const Vec3 position = player_->Position();
    FormatFpsText(fps_->Average(), lines[0].text);
    FormatPositionText(position.x, position.y, position.z, lines[1].text);
    FormatSwitchText("flight mode %s", player_->IsFlying(), lines[2].text);
    FormatSwitchText("collision detection %s", player_->HasCollision(), lines[3].text);
    FormatClockText(clock_->TimeOfDay(), lines[4].text);
    PlaceStatusLines(lines, Config().windowWidth);
    return 5;
}

void Core::Shutdown() {
    harness_.WaitForScreenshots();
    RemoveCallback(&statusCallback_);
    if (overlay_ != nullptr) {
        overlay_->Shutdown();
        DeleteAndNull(overlay_);
    }
    if (world_ != nullptr) {
        world_->Shutdown();
        DeleteAndNull(world_);
    }
    DeleteAndNull(input_);
    DeleteAndNull(timer_);
    DeleteAndNull(fps_);
    DeleteAndNull(clock_);
    if (player_ != nullptr) {
        if (graphics_ != nullptr && graphics_->Device() != nullptr) {
            player_->GetCamera()->Release(*graphics_->Device());
        }
        DeleteAndNull(player_);
    }
    if (graphics_ != nullptr) {
        graphics_->Shutdown();
        DeleteAndNull(graphics_);
    }
    DestroyMainWindow();
    g_core = nullptr;
}

void Core::DestroyMainWindow() {
    platform_->DestroyMainWindow();
    platform_->Shutdown();
    windowCreated_ = false;
}

Core::Objects Core::ExistingObjects() const {
    return {windowCreated_, input_ != nullptr,   timer_ != nullptr, fps_ != nullptr,   clock_ != nullptr,
            graphics_ != nullptr, overlay_ != nullptr, world_ != nullptr, player_ != nullptr};
}
