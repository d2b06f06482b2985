#include "app/RunHarness.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "graphics/RenderDevice.h"
#include "input/Input.h"
#include "platform/ErrorMessage.h"
#include "platform/Platform.h"
#include "platform/Stopwatch.h"
#include "player/Player.h"
#include "text/OverlayRegistry.h"
#include "world/VoxelWorld.h"

RunHarness::RunHarness(const RunOptions& options)
    : options_(options), replaying_(false), screenshotRequested_(false), frameNumber_(0), readyFrame_(0),
      readyMs_(0.0),
      checkedFrames_(0),
      gapFrames_(0) {}

void RunHarness::UseReplay(InputReplay replay) {
    replay_ = std::move(replay);
    replaying_ = true;
}

void RunHarness::UseTrace(FrameTrace trace) { trace_ = std::move(trace); }

void RunHarness::UseRecorder(InputRecorder recorder) { recorder_ = std::move(recorder); }

void RunHarness::Start(const HarnessTargets& targets) {
    targets_ = targets;
    runStart_ = std::chrono::steady_clock::now();
}

void RunHarness::BeginFrame(const ReplaySink& sink) {
    ++frameNumber_;
    if (!replaying_) {
        return;
    }
    replay_.ForEachEventOf(frameNumber_, [&sink](const ReplayEvent& event) {
        if (event.kind == ReplayEvent::Kind::Mouse) {
            sink.mouse(event.dx, event.dy);
            return;
        }
        Message message;
        message.type = event.kind == ReplayEvent::Kind::KeyDown ? Message::Type::KeyDown : Message::Type::KeyUp;
        message.virtualKey = event.virtualKey;
        sink.key(message);
    });
}

// Asked before the press is recorded, which tells a new press from a repeat.
void RunHarness::NoteKey(const Message& message) {
    if (message.type == Message::Type::KeyDown && targets_.input->IsScreenshotPress(message.virtualKey)) {
        screenshotRequested_ = true;
    }
}

void RunHarness::RecordInput(const Message& message) {
    if (!recorder_.IsOpen()) {
        return;
    }
    const int64_t frame = frameNumber_ + 1;  // the next frame applies what the messages recorded
    switch (message.type) {
    case Message::Type::KeyDown:
        recorder_.KeyDown(frame, message.virtualKey);
        break;
    case Message::Type::KeyUp:
        recorder_.KeyUp(frame, message.virtualKey);
        break;
    case Message::Type::MouseMove:
        recorder_.Mouse(frame, targets_.input->CursorX() - targets_.windowCentreX,
                        targets_.input->CursorY() - targets_.windowCentreY);
        break;
    default:
        break;
    }
}

// Screenshots read frames already presented: keep the ones they will read.
void RunHarness::BeforeRender() {
    targets_.device->KeepPresentedFrames(screenshotRequested_ || !options_.screenshotPath.empty());
}

void RunHarness::EndFrame(const FrameTimes& times) {
    TakeRequestedScreenshot();
    WriteTraceRow(times);
    NoteWorldReadiness();
    CheckWindow();
    QuitAfterLastFrame();
}

void RunHarness::NoteWorldReadiness() {
    if (readyFrame_ == 0 && targets_.world->IsComplete()) {
        readyFrame_ = frameNumber_;
        readyMs_ = MillisecondsSince(runStart_);
    }
}

void RunHarness::CheckWindow() {
    if (!options_.checkWindow || readyFrame_ == 0) {
        return;
    }
    checkedFrames_ += 1;
    gapFrames_ += targets_.world->ChunksNotListedAtOrigin() > 0 ? 1 : 0;
}

void RunHarness::QuitAfterLastFrame() {
    if (options_.frames >= 0 && frameNumber_ >= options_.frames) {
        targets_.platform->PostQuit(0);
        options_.frames = -1;  // quit once
    }
}

void RunHarness::WriteTraceRow(const FrameTimes& times) {
    if (!trace_.IsOpen()) {
        return;
    }
    const Player& player = *targets_.player;
    const Vec3 position = player.Position();
    const Vec3 velocity = player.Velocity();
    TraceRow row;
    row.frame = frameNumber_;
    row.dt = times.seconds;
    row.updateMs = times.updateMs;
    row.renderMs = times.renderMs;
    row.position[0] = position.x;
    row.position[1] = position.y;
    row.position[2] = position.z;
    row.velocity[0] = velocity.x;
    row.velocity[1] = velocity.y;
    row.velocity[2] = velocity.z;
    row.onGround = player.IsOnGround();
    row.flying = player.IsFlying();
    row.collision = player.HasCollision();
    trace_.Write(row);
}

// A timestamped PNG in the working directory, written while the frames go on.
void RunHarness::TakeRequestedScreenshot() {
    if (!screenshotRequested_) {
        return;
    }
    screenshotRequested_ = false;
    const auto now = std::chrono::system_clock::now();
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()) % 1000;
    CaptureFrame(ScreenshotFileName(std::chrono::system_clock::to_time_t(now), static_cast<int>(milliseconds.count())));
}

void RunHarness::CaptureFrame(const std::string& path) {
    std::vector<uint8_t> rgba;
    uint32_t width = 0;
    uint32_t height = 0;
    if (!targets_.device->ReadFrame(rgba, width, height)) {
        ReportDiagnostic("could not save the screenshot %s: the last frame could not be read back", path.c_str());
        return;
    }
    screenshots_.Save(path, std::move(rgba), width, height);
}

void RunHarness::Finish() {
    SaveFinalScreenshot();
    FinishTrace();
    FinishRecording();
    PrintStatistics();
    if (options_.checkWindow) {
        std::printf("window frames %lld gaps %lld\n", static_cast<long long>(checkedFrames_),
                    static_cast<long long>(gapFrames_));
    }
}

void RunHarness::SaveFinalScreenshot() {
    if (options_.screenshotPath.empty() || targets_.device == nullptr) {
        return;
    }
    CaptureFrame(options_.screenshotPath);
    screenshots_.Wait();
}

void RunHarness::FinishRecording() {
    if (recorder_.IsOpen() && !recorder_.Finish(frameNumber_)) {
        ReportDiagnostic("could not write the input record %s", options_.recordPath.c_str());
    }
}

// The trace replaces an older one only after the run.
void RunHarness::FinishTrace() {
    if (trace_.IsOpen() && !trace_.Finish()) {
        ReportDiagnostic("could not write the trace file %s", options_.tracePath.c_str());
    }
}

void RunHarness::PrintStatistics() const {
    if (!options_.printStats || targets_.world == nullptr) {
        return;
    }
    OverlayLine line;
    targets_.world->FillStatisticsLine(&line);
    std::printf("%s\n", line.text);
    std::printf("triangles drawn %u\n", static_cast<unsigned>(targets_.world->TrianglesDrawn()));
    std::printf("bytes uploaded %llu\n", static_cast<unsigned long long>(targets_.world->BytesUploaded()));
    if (readyFrame_ > 0) {
        std::printf("world ready at frame %lld after %.0f ms\n", static_cast<long long>(readyFrame_), readyMs_);
    } else {
        std::printf("world not ready after %lld frames\n", static_cast<long long>(frameNumber_));
    }
}
