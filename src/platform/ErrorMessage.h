#pragma once

// Shows a start-up or frame failure to the user: "Error: <text>" on stderr,
// then whatever the installed sink adds (the SDL layer shows a message box).
void ShowErrorMessage(const char* text);

// The sink receives every message after it was written to stderr. Null keeps
// the stderr line only. Returns the previous sink.
using ErrorMessageSink = void (*)(const char* text);
ErrorMessageSink SetErrorMessageSink(ErrorMessageSink sink);

// Storage for blocks or cubes could not be allocated: shows
// "Cant reserve more than 2GB RAM." and ends the process with exit code 1.
[[noreturn]] void ExitOutOfMemory();
