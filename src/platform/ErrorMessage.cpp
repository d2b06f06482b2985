#include "platform/ErrorMessage.h"

#include <cstdio>
#include <cstdlib>

namespace {
ErrorMessageSink g_sink = nullptr;
}

void ShowErrorMessage(const char* text) {
    std::fprintf(stderr, "Error: %s\n", text);
    std::fflush(stderr);
    if (g_sink != nullptr) {
        g_sink(text);
    }
}

ErrorMessageSink SetErrorMessageSink(ErrorMessageSink sink) {
    const ErrorMessageSink previous = g_sink;
    g_sink = sink;
    return previous;
}

void ExitOutOfMemory() {
    ShowErrorMessage("Cant reserve more than 2GB RAM.");
    std::exit(1);
}
