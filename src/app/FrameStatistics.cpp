#include "app/FrameStatistics.h"

#include <algorithm>
#include <climits>
#include <cstdio>

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
