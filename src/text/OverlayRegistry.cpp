#include "text/OverlayRegistry.h"

#include "text/OverlayRegistryAccess.h"

namespace {
std::vector<TCallback*>& CallbackList() {
    static std::vector<TCallback*> callbacks;
    return callbacks;
}
std::deque<OverlayLine>& LineQueue() {
    static std::deque<OverlayLine> lines;
    return lines;
}
}  // namespace

void RegisterCallback(TCallback* callback) { CallbackList().push_back(callback); }

void RemoveCallback(TCallback* callback) { std::erase(CallbackList(), callback); }

void QueueLine(const OverlayLine& line) { LineQueue().push_back(line); }

const std::vector<TCallback*>& RegisteredCallbacks() { return CallbackList(); }

std::deque<OverlayLine>& QueuedLines() { return LineQueue(); }

void ClearOverlayRegistry() {
    CallbackList().clear();
    LineQueue().clear();
}
