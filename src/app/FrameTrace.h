#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

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

class FrameTrace {
public:
    FrameTrace() = default;
    FrameTrace(const FrameTrace&) = delete;
    FrameTrace& operator=(const FrameTrace&) = delete;
    FrameTrace(FrameTrace&& other) noexcept;
    FrameTrace& operator=(FrameTrace&& other) noexcept;
    ~FrameTrace();

    bool Open(const std::string& path);  // writes the header row
    bool IsOpen() const { return file_ != nullptr; }
    void Write(const TraceRow& row);

private:
    std::FILE* file_ = nullptr;
};
