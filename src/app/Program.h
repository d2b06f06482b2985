#pragma once

#include "app/Core.h"
#include "platform/ErrorMessage.h"

class Platform;

// What a program's entry pairs: its platform layer, the render device that
// draws into the platform's window, and how failures reach the user.
struct ProgramParts {
    Platform* platform = nullptr;
    RenderDeviceFactory createDevice;
    ErrorMessageSink messageBox = nullptr;  // shows a failure in a dialog
    bool stderrBesideDialogs = true;        // failures reach stderr even when a dialog shows them
};

// Reads the command line, prepares the replay and the trace, then creates,
// starts, runs and shuts down the one Core. Returns the exit code: 0 after a
// normal quit, 1 when start-up fails, 2 for a bad option or input file.
int RunProgram(int argc, const char* const* argv, const ProgramParts& parts);
