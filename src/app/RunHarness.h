#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "app/CommandLine.h"
#include "app/FrameTrace.h"
#include "app/InputRecorder.h"
#include "app/InputReplay.h"
#include "app/ScreenshotSaver.h"

class Input;
class Platform;
class Player;
class RenderDevice;
class VoxelWorld;
struct Message;

// What the harness watches and drives once start-up has succeeded.
struct HarnessTargets {
    Platform* platform = nullptr;
    RenderDevice* device = nullptr;
    const Input* input = nullptr;
    const Player* player = nullptr;
    VoxelWorld* world = nullptr;
    int32_t windowCentreX = 0;
    int32_t windowCentreY = 0;
};

// How one frame went, for the trace.
struct FrameTimes {
    float seconds = 0.0f;
    double updateMs = 0.0;
    double renderMs = 0.0;
};

// Where the replay hands its recorded events: key presses go through the
// window's own input path, mouse moves as offsets from the window centre.
struct ReplaySink {
    std::function<void(const Message&)> key;
    std::function<void(int32_t dx, int32_t dy)> mouse;
};

// Everything a run does beyond the interactive program: replayed and recorded
// input, the per-frame trace, screenshots, the frame limit and the statistics
// printed at exit. Core calls it at a few points of its loop.
class RunHarness {
public:
    explicit RunHarness(const RunOptions& options);

    void UseReplay(InputReplay replay);
    void UseTrace(FrameTrace trace);
    void UseRecorder(InputRecorder recorder);
    bool IsReplaying() const { return replaying_; }

    // The main loop starts: from here on frames are counted and timed.
    void Start(const HarnessTargets& targets);
    // A frame begins: counts it and hands over the input recorded for it.
    void BeginFrame(const ReplaySink& sink);
    // A key went down or up, asked before the input takes it in.
    void NoteKey(const Message& message);
    // After the input took the message in.
    void RecordInput(const Message& message);
    // Before the frame is drawn: keep it readable when a screenshot wants it.
    void BeforeRender();
    void EndFrame(const FrameTimes& times);
    // The main loop has ended: final screenshot, trace, record, statistics.
    void Finish();
    // Waits until every screenshot file is written.
    void WaitForScreenshots() { screenshots_.Wait(); }

private:
    void NoteWorldReadiness();
    void TakeRequestedScreenshot();
    void CaptureFrame(const std::string& path);
    void WriteTraceRow(const FrameTimes& times);
    void QuitAfterLastFrame();
    void SaveFinalScreenshot();
    void FinishTrace();
    void FinishRecording();
    void PrintStatistics() const;
    void CheckWindow();

    RunOptions options_;
    HarnessTargets targets_;
    InputReplay replay_;
    bool replaying_;
    FrameTrace trace_;
    InputRecorder recorder_;
    ScreenshotSaver screenshots_;  // writes PNG files off the main thread
    bool screenshotRequested_;     // the screenshot key went down since the last frame
    int64_t frameNumber_;
    std::chrono::steady_clock::time_point runStart_;
    int64_t readyFrame_;  // the first frame that ended with the whole world drawable; 0 before
    double readyMs_;
    int64_t checkedFrames_;  // --check-window: frames since the world was ready
    int64_t gapFrames_;      // of those, with a chunk not drawn at its place
};
