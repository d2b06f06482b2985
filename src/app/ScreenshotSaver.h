#pragma once

#include <cstdint>
#include <ctime>
#include <future>
#include <string>
#include <vector>

// Saves frames as PNG files on threads of their own, so that encoding and
// writing never hold up the frames. Every file is complete once Wait returns.
class ScreenshotSaver {
public:
    ScreenshotSaver() = default;
    ScreenshotSaver(const ScreenshotSaver&) = delete;
    ScreenshotSaver& operator=(const ScreenshotSaver&) = delete;
    ~ScreenshotSaver() { Wait(); }

    // Takes over the pixels (tightly packed RGBA rows, top row first).
    void Save(std::string path, std::vector<uint8_t> rgba, uint32_t width, uint32_t height);
    void Wait();

private:
    void ForgetFinished();

    std::vector<std::future<void>> pending_;
};

// "screenshot-2024-05-31_14-05-09.123.png": the local time to the millisecond,
// so that names sort by time and two presses never share one.
std::string ScreenshotFileName(std::time_t seconds, int milliseconds);
