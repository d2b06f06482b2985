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
[[noreturn]] void ExitOutOfMemory();
