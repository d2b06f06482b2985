#include "app/InputRecorder.h"

#include <algorithm>
#include <cstdio>

#include "app/InputReplay.h"

namespace {

int32_t ReplayableOffset(int32_t offset) { return std::clamp(offset, -kMaxMouseOffset, kMaxMouseOffset); }

}  // namespace

bool InputRecorder::Open(const std::string& path, const std::string& header) {
    if (!file_.Open(path)) {
        return false;
    }
    std::fputs(header.c_str(), file_.Stream());
    std::fflush(file_.Stream());
    return true;
}

void InputRecorder::KeyDown(int64_t frame, int32_t virtualKey) { WriteKey(frame, "keydown", virtualKey); }

void InputRecorder::KeyUp(int64_t frame, int32_t virtualKey) { WriteKey(frame, "keyup", virtualKey); }

void InputRecorder::WriteKey(int64_t frame, const char* kind, int32_t virtualKey) {
    char line[64];
    std::snprintf(line, sizeof line, "%lld %s %d\n", static_cast<long long>(frame), kind, virtualKey);
    WriteLine(line);
}

void InputRecorder::Mouse(int64_t frame, int32_t dx, int32_t dy) {
    char line[80];
    std::snprintf(line, sizeof line, "%lld mouse %d %d\n", static_cast<long long>(frame), ReplayableOffset(dx),
                  ReplayableOffset(dy));
    WriteLine(line);
}

// Each line reaches the file at once, so that the partial file holds the
// input up to the moment a run is cut off.
void InputRecorder::WriteLine(const char* line) {
    if (!file_.IsOpen()) {
        return;
    }
    std::fputs(line, file_.Stream());
    std::fflush(file_.Stream());
}

bool InputRecorder::Finish(int64_t lastFrame) {
    if (!file_.IsOpen()) {
        return false;
    }
    std::fprintf(file_.Stream(), "# the run ended after frame %lld\n", static_cast<long long>(lastFrame));
    return file_.Finish();
}
