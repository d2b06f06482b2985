#include "platform/ErrorMessage.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {
ErrorMessageSink g_sink = nullptr;
bool g_onStderr = true;
thread_local bool t_isWorker = false;
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

void ReportDiagnostic(const char* format, ...) {
    if (!g_onStderr) {
        return;
    }
    // One write per line, so that lines of a diagnostic never interleave.
    char line[1024];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    std::fprintf(stderr, "voxmere: %s\n", line);
    std::fflush(stderr);
}

void ExitOutOfMemory() {
    if (t_isWorker) {
        throw OutOfMemoryOnWorker{};
    }
    ShowErrorMessage("Cant reserve more than 2GB RAM.");
    std::exit(1);
}

WorkerThreadScope::WorkerThreadScope() : wasWorker_(t_isWorker) { t_isWorker = true; }

WorkerThreadScope::~WorkerThreadScope() { t_isWorker = wasWorker_; }

bool IsWorkerAllocationFailing() {
    static const bool failing = std::getenv("VOXMERE_FAIL_WORKER_ALLOCATION") != nullptr;
    return t_isWorker && failing;
}
