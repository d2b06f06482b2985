#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "app/CommandLine.h"
#include "app/RunHarness.h"
#include "graphics/Matrix.h"
#include "text/OverlayRegistry.h"

class Platform;
class RenderDevice;
struct Message;
class Input;
class FpsCounter;
class WorldClock;
class GraphicsDevice;
class TextOverlay;
class VoxelWorld;
class Player;

// Measures the duration of each frame with the high-resolution counter.
struct FrameTimer {
    int64_t frequency = 0;
    int64_t lastCount = 0;
    float countsPerMs = 0.0f;
    float frameTime = 0.0f;  // milliseconds
};

// Makes the render device for the main window once the window exists.
using RenderDeviceFactory = std::function<std::unique_ptr<RenderDevice>()>;

// The application: creates every subsystem in a fixed order, runs the main
// loop (one message per pass, a frame when the queue is empty) and tears
// everything down again.
class Core {
public:
    // Loads the settings; creates nothing else.
    Core(Platform* platform, RenderDeviceFactory createDevice, const RunOptions& options);
    Core(const Core&) = delete;
    Core& operator=(const Core&) = delete;

    // Feeds recorded input instead of the keyboard and mouse.
    void UseReplay(InputReplay replay);
    // Writes a row per frame to an opened trace.
    void UseTrace(FrameTrace trace);
    // Writes the keyboard and mouse input to an opened record.
    void UseRecorder(InputRecorder recorder);

    bool Initialize();
    int Run();
    void Shutdown();  // safe after a failed or partial start

    void ProcessInput();
    void Update();
    void Render();

    // The window procedure: Escape and the window's destruction quit.
    void WindowProcedure(const Message& message);
    void MessageHandler(const Message& message);
    short DebugLines(OverlayLine* lines);

    // Which owned objects exist, for tests of the start-up and shutdown.
    struct Objects {
        bool window, input, timer, fps, clock, graphics, overlay, world, player;
    };
    Objects ExistingObjects() const;
    bool IsWireframe() const { return wireframe_; }
    const Player* GetPlayer() const { return player_; }

private:
    void QuitOnEscape(const Message& message);
    void DispatchInput(const Message& message);
    void MoveMouseBy(int32_t dx, int32_t dy);
    bool CreateMainWindow();
    void DestroyMainWindow();
    bool StartFrameTimer();
    void FormatAdapterLine();
    void RegisterStatusLines();
    float MeasureFrameTime();
    void RunFrame();
    void ApplyFiredAction();

    Platform* platform_;
    RenderDeviceFactory createDevice_;
    float fixedDt_;  // seconds every frame takes; negative uses the timer
    bool windowCreated_;
    bool running_;
    bool mouseMoved_;
    bool keyEvent_;
    int32_t windowCentreX_;
    int32_t windowCentreY_;
    TextOverlay* overlay_;
    FpsCounter* fps_;
    FrameTimer* timer_;
    Input* input_;
    Player* player_;
    WorldClock* clock_;
    GraphicsDevice* graphics_;
    VoxelWorld* world_;
    Matrix4 viewMatrix_;
    Matrix4 worldMatrix_;
    Matrix4 orthoMatrix_;
    Matrix4 projectionMatrix_;
    bool wireframe_;
    char adapterLine_[256];

    float lastFrameSeconds_;
    RunHarness harness_;
    TSpecificCallback<Core> statusCallback_;
};

// The one Core; set by Initialize, cleared by Shutdown.
Core* CorePointer();
