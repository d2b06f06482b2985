#include "app/FrameStatistics.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "text/OverlayRegistry.h"

void FpsCounter::AddSample(float seconds) {
    sum_ = (sum_ - samples_[index_]) + seconds;
    samples_[index_] = seconds;
    index_ = index_ + 1 == 10 ? 0 : index_ + 1;
    average_ = sum_ / 10.0f;
}

void WorldClock::Advance(float seconds) {
    timeOfDay_ = timeScale_ * seconds + timeOfDay_;
    // The part beyond midnight is dropped, not carried over.
    if (timeOfDay_ > 86400.0f) {
        timeOfDay_ = 0.0f;
    }
}

void FormatFpsText(float averageSeconds, char (&text)[128]) {
    // The reciprocal is taken in double precision: in single precision
    // 1 / 0.0016 rounds up to exactly 625.
    const double perSecond = averageSeconds > 0.0f ? 1.0 / averageSeconds : 0.0;
    const int fps = static_cast<int>(std::min(perSecond, static_cast<double>(INT_MAX)));
    std::snprintf(text, sizeof text, "FPS %i (%.4f ms)", fps, static_cast<double>(averageSeconds) * 1000.0);
}

void FormatPositionText(float x, float y, float z, char (&text)[128]) {
    std::snprintf(text, sizeof text, "position %5.fx %5.fy %5.fz", static_cast<double>(x), static_cast<double>(y),
                  static_cast<double>(z));
}

void FormatSwitchText(const char* format, bool on, char (&text)[128]) {
    std::snprintf(text, sizeof text, format, on ? "TRUE" : "FALSE");
}

void FormatClockText(float timeOfDay, char (&text)[128]) {
    const int hours = static_cast<int>(timeOfDay) / 3600;
    const float rest = timeOfDay - static_cast<float>(hours * 3600);
    const int minutes = static_cast<int>(rest) / 60;
    const int seconds = static_cast<int>(rest - static_cast<float>(minutes * 60));
    std::snprintf(text, sizeof text, "Time: %02i:%02i:%02i", hours, minutes, seconds);
}

void QueueStartUpLines(const char* title, const char* adapterLine, const char* seed) {
    struct FixedLine {
        uint32_t id;
        const char* format;
        const char* argument;
        int maximumLength;
        uint32_t y;
    };
    const FixedLine fixedLines[] = {
        {0, "%s", title, 32, 10},
        {1, "%s", adapterLine, 64, 30},
        {3, "seed: %s", seed, 32, 90},
    };
    for (const FixedLine& fixed : fixedLines) {
        OverlayLine line;
        line.id = fixed.id;
        std::snprintf(line.text, sizeof line.text, fixed.format, fixed.argument);
        line.maximumLength = fixed.maximumLength;
        line.x = 10;
        line.y = fixed.y;
        QueueLine(line);
    }
}

void PlaceStatusLines(OverlayLine* lines, uint32_t windowWidth) {
    const struct {
        uint32_t id;
        int maximumLength;
        uint32_t x;
        uint32_t y;
    } placement[5] = {
        {2, 32, 10, 50}, {5, 32, 10, 130}, {6, 32, 10, 150}, {7, 32, 10, 170}, {8, 16, windowWidth - 100, 10},
    };
    for (int i = 0; i < 5; ++i) {
        lines[i].id = placement[i].id;
        lines[i].maximumLength = placement[i].maximumLength;
        lines[i].x = placement[i].x;
        lines[i].y = placement[i].y;
    }
}
