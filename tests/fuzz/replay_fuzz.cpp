// The replay reader on any text, with every event applied as the core applies
// it: cursor positions are the window centre plus the recorded offset.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/InputReplay.h"

namespace {
volatile int64_t g_sink;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    InputReplay replay;
    std::string error;
    if (!replay.Parse(std::string(reinterpret_cast<const char*>(data), size), error)) {
        return 0;
    }
    const int32_t centreX = 960;
    const int32_t centreY = 540;
    int64_t sum = 0;
    for (int64_t frame = 1; frame <= 64; ++frame) {
        replay.ForEachEventOf(frame, [&](const ReplayEvent& event) {
            sum += event.kind == ReplayEvent::Kind::Mouse ? (centreX + event.dx) + (centreY + event.dy)
                                                           : event.virtualKey % 128;
        });
    }
    g_sink = sum;
    return 0;
}
