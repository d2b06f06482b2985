#include "platform/ErrorMessage.h"

#include <cstdio>
#include <cstdlib>

namespace {
ErrorMessageSink g_sink = nullptr;
bool g_onStderr = true;
}  // namespace

void ShowErrorMessage(const char* text) {
    if (g_onStderr) {
        std::fprintf(stderr, "Error: %s\n", text);
        std::fflush(stderr);
    }
    if (g_sink != nullptr) {
        g_sink(text);
    }
}

ErrorMessageSink SetErrorMessageSink(ErrorMessageSink sink) {
    const ErrorMessageSink previous = g_sink;
    g_sink = sink;
    return previous;
}

void SetErrorMessagesOnStderr(bool enabled) { g_onStderr = enabled; }

void ExitOutOfMemory() {
    ShowErrorMessage("Cant reserve more than 2GB RAM.");
    std::exit(1);
}
