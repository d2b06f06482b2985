#include "app/ScreenshotSaver.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <system_error>
#include <utility>

#include "graphics/Screenshot.h"
#include "platform/ErrorMessage.h"

namespace {

struct Shot {
    std::string path;
    std::vector<uint8_t> rgba;
    uint32_t width;
    uint32_t height;
};

void WritePng(const Shot& shot) {
    if (SavePng(shot.path.c_str(), shot.rgba, shot.width, shot.height)) {
        ReportDiagnostic("screenshot saved to %s", shot.path.c_str());
    } else {
        ReportDiagnostic("could not save the screenshot %s: writing the image failed", shot.path.c_str());
    }
}

}  // namespace

void ScreenshotSaver::Save(std::string path, std::vector<uint8_t> rgba, uint32_t width, uint32_t height) {
    ForgetFinished();
    const auto shot = std::make_shared<const Shot>(Shot{std::move(path), std::move(rgba), width, height});
    try {
        pending_.push_back(std::async(std::launch::async, [shot] { WritePng(*shot); }));
    } catch (const std::system_error&) {
        // No thread to spare: the picture is saved now, at the cost of a hitch.
        WritePng(*shot);
    }
}

void ScreenshotSaver::Wait() {
    for (std::future<void>& write : pending_) {
        write.wait();
    }
    pending_.clear();
}

void ScreenshotSaver::ForgetFinished() {
    std::erase_if(pending_, [](const std::future<void>& write) {
        return write.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    });
}

std::string ScreenshotFileName(std::time_t seconds, int milliseconds) {
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    char name[64];
    std::snprintf(name, sizeof name, "screenshot-%04d-%02d-%02d_%02d-%02d-%02d.%03d.png", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, milliseconds);
    return name;
}
