#pragma once

#include <cstdint>

struct OverlayLine;

// Averages the durations of the last ten frames, in seconds.
class FpsCounter {
public:
    void AddSample(float seconds);
    float Average() const { return average_; }

private:
    int32_t index_ = 0;
    float sum_ = 0.0f;
    float average_ = 0.0f;
    float samples_[10] = {};
};

// The in-world time of day, running timeScale times faster than real time.
class WorldClock {
public:
    WorldClock(float timeScale, float startTime) : timeScale_(timeScale), timeOfDay_(startTime) {}
    void Advance(float seconds);
    float TimeOfDay() const { return timeOfDay_; }

private:
    float timeScale_;
    float timeOfDay_;
};

// The overlay texts of the status lines, each formatted into a 128-byte buffer.
void FormatFpsText(float averageSeconds, char (&text)[128]);
void FormatPositionText(float x, float y, float z, char (&text)[128]);
void FormatSwitchText(const char* format, bool on, char (&text)[128]);
void FormatClockText(float timeOfDay, char (&text)[128]);

// Queues the three lines that stay as start-up wrote them: the title, the
// adapter and the seed.
void QueueStartUpLines(const char* title, const char* adapterLine, const char* seed);
// Gives the five status lines (frame time, position, flight, collision,
// clock) their ids and places; the clock sits at the top right.
void PlaceStatusLines(OverlayLine* lines, uint32_t windowWidth);
