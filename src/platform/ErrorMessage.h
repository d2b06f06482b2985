#pragma once

// Shows a start-up or frame failure to the user: "Error: <text>" on stderr
// unless that was switched off, then whatever the installed sink adds (the
// programs show a message box there).
void ShowErrorMessage(const char* text);

// The sink receives every message after the stderr line. Null keeps the
// stderr line only. Returns the previous sink.
using ErrorMessageSink = void (*)(const char* text);
ErrorMessageSink SetErrorMessageSink(ErrorMessageSink sink);

// Whether messages are also written to stderr (on at start).
void SetErrorMessagesOnStderr(bool enabled);

// Storage for blocks or cubes could not be allocated: shows
// "Cant reserve more than 2GB RAM." and ends the process with exit code 1.
[[noreturn]] void ExitOutOfMemory();
