#pragma once

#include <cstdint>
#include <string>

#include "app/OutputFile.h"

// One CSV row per frame: timing, the player's position and velocity, and its
// switches.
struct TraceRow {
    int64_t frame = 0;
    float dt = 0.0f;
    double updateMs = 0.0;
    double renderMs = 0.0;
    float position[3] = {};
    float velocity[3] = {};
    bool onGround = false;
    bool flying = false;
    bool collision = false;
};

// The rows go to a file beside the trace's path, which replaces an older
// trace only when Finish is called after the run: a failed start-up or an
// unfinished trace leaves the old file as it was.
class FrameTrace {
public:
    bool Open(const std::string& path);  // writes the header row
    bool IsOpen() const { return file_.IsOpen(); }
    void Write(const TraceRow& row);
    // Closes the rows and moves them onto the trace's path; false when that failed.
    bool Finish() { return file_.Finish(); }

private:
    OutputFile file_;  // an unfinished trace is removed
};
