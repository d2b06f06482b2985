#pragma once

#include <cstdint>

// One line of overlay text as producers describe it.
struct OverlayLine {
    uint32_t id = 0;
    char text[128] = {};
    float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    int maximumLength = 0;  // used only when the id is seen for the first time
    uint32_t x = 0;         // pixels from the left window edge
    uint32_t y = 0;         // pixels from the top window edge
};

// A producer of overlay lines, asked at every overlay refresh. Fills records
// from the first one on and returns how many it filled.
class TCallback {
public:
    virtual short operator()(OverlayLine* lines) = 0;

protected:
    ~TCallback() = default;  // never deleted through the interface
};

template <typename T>
class TSpecificCallback : public TCallback {
public:
    using Method = short (T::*)(OverlayLine* lines);
    TSpecificCallback(T* object, Method method) : object_(object), method_(method) {}
    short operator()(OverlayLine* lines) override { return (object_->*method_)(lines); }

private:
    T* object_;
    Method method_;
};

// The process-wide registry: callbacks in registration order (not owned) and
// a first-in first-out queue of lines.
void RegisterCallback(TCallback* callback);
// Forgets a callback; its owner calls this before the callback goes away.
void RemoveCallback(TCallback* callback);
void QueueLine(const OverlayLine& line);
