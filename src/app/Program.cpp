#include "app/Program.h"

#include <cstdio>
#include <new>
#include <string>
#include <utility>

#include "app/CommandLine.h"
#include "app/FrameTrace.h"
#include "app/InputReplay.h"

namespace {

void RouteErrorMessages(const ProgramParts& parts, bool noDialogs) {
    SetErrorMessagesOnStderr(noDialogs || parts.stderrBesideDialogs);
    SetErrorMessageSink(noDialogs ? nullptr : parts.messageBox);
}

}  // namespace

int RunProgram(int argc, const char* const* argv, const ProgramParts& parts) {
    // Any storage that cannot be had ends the program with the out-of-memory message.
    std::set_new_handler([] { ExitOutOfMemory(); });
    RunOptions options;
    std::string error;
    switch (ParseCommandLine(argc, argv, options, error)) {
    case CommandLineResult::Help:
        std::fputs(UsageText(), stdout);
        return 0;
    case CommandLineResult::Invalid:
        std::fprintf(stderr, "voxmere: %s\n\n%s", error.c_str(), UsageText());
        return 2;
    case CommandLineResult::Run:
        break;
    }
    InputReplay replay;
    if (!options.inputPath.empty() && !replay.Load(options.inputPath, error)) {
        std::fprintf(stderr, "voxmere: %s\n", error.c_str());
        return 2;
    }
    FrameTrace trace;
    if (!options.tracePath.empty() && !trace.Open(options.tracePath)) {
        std::fprintf(stderr, "voxmere: cannot write the trace file %s\n", options.tracePath.c_str());
        return 2;
    }
    RouteErrorMessages(parts, options.noDialogs);

    Core* core = new Core(parts.platform, parts.createDevice, options);
    if (!options.inputPath.empty()) {
        core->UseReplay(std::move(replay));
    }
    core->UseTrace(std::move(trace));
    const int exitCode = core->Initialize() ? core->Run() : 1;
    core->Shutdown();
    delete core;
    return exitCode;
}
