#pragma once

#if defined(__MINGW32__)
#define VOXMERE_PRINTF_FORMAT(formatIndex, firstArgument) \
    __attribute__((format(gnu_printf, formatIndex, firstArgument)))
#elif defined(__GNUC__)
#define VOXMERE_PRINTF_FORMAT(formatIndex, firstArgument) __attribute__((format(printf, formatIndex, firstArgument)))
#else
#define VOXMERE_PRINTF_FORMAT(formatIndex, firstArgument)
#endif

// Shows a start-up or frame failure to the user: "Error: <text>" on stderr
// unless that was switched off, then whatever the installed sink adds (the
// programs show a message box there).
void ShowErrorMessage(const char* text);

// The sink receives every message after the stderr line. Null keeps the
// stderr line only. Returns the previous sink.
using ErrorMessageSink = void (*)(const char* text);
ErrorMessageSink SetErrorMessageSink(ErrorMessageSink sink);

// Whether messages and diagnostics are also written to stderr (on at start).
void SetErrorMessagesOnStderr(bool enabled);

// One line "voxmere: <text>" on stderr for a user at a terminal: which file,
// setting or system call failed and why. Follows the same switch as the
// messages (a program that only shows message boxes prints nothing) and never
// reaches the sink.
void ReportDiagnostic(const char* format, ...) VOXMERE_PRINTF_FORMAT(1, 2);

// Storage for blocks or cubes could not be allocated: shows
// "Cant reserve more than 2GB RAM." and ends the process with exit code 1.
// On a worker thread it throws OutOfMemoryOnWorker instead, for the thread
// that runs the workers to end the program once they have stopped.
[[noreturn]] void ExitOutOfMemory();

struct OutOfMemoryOnWorker {};

// Marks the current thread as a worker for as long as it lives.
class WorkerThreadScope {
public:
    WorkerThreadScope();
    ~WorkerThreadScope();
    WorkerThreadScope(const WorkerThreadScope&) = delete;
    WorkerThreadScope& operator=(const WorkerThreadScope&) = delete;

private:
    bool wasWorker_;
};

// A test hook: with VOXMERE_FAIL_WORKER_ALLOCATION set in the environment,
// worker threads fail where they would take storage for a chunk's lists.
bool IsWorkerAllocationFailing();
