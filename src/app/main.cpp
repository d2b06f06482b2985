#include <cstdio>
#include <string>

#include "app/CommandLine.h"
#include "app/Core.h"
#include "app/InputReplay.h"
#include "platform/SdlPlatform.h"

int main(int argc, char** argv) {
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
    if (!options.noDialogs) {
        InstallMessageBoxSink();
    }

    SdlPlatform platform;
    Core* core = new Core(&platform, options);
    if (!options.inputPath.empty()) {
        core->UseReplay(std::move(replay));
    }
    const int exitCode = core->Initialize() ? core->Run() : 1;
    core->Shutdown();
    delete core;
    return exitCode;
}
