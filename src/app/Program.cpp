#include "app/Program.h"

#include <cstdio>
#include <iterator>
#include <new>
#include <string>
#include <utility>

#include "app/CommandLine.h"
#include "app/FrameTrace.h"
#include "app/InputRecorder.h"
#include "app/InputReplay.h"
#include "config/Settings.h"
#include "platform/Files.h"

namespace {

void RouteErrorMessages(const ProgramParts& parts, bool noDialogs) {
    SetErrorMessagesOnStderr(noDialogs || parts.stderrBesideDialogs);
    SetErrorMessageSink(noDialogs ? nullptr : parts.messageBox);
}

struct NamedPath {
    const char* name;
    const std::string& path;
};

// Outputs never overwrite what the program reads, nor each other, and must be
// writable before anything starts.
bool CheckOutputs(const RunOptions& options, std::string& error) {
    const NamedPath outputs[] = {
        {"--trace", options.tracePath}, {"--screenshot", options.screenshotPath}, {"--record", options.recordPath}};
    const NamedPath inputs[] = {{"--input", options.inputPath}, {"the settings file", kSettingsFile}};
    for (const NamedPath& output : outputs) {
        if (output.path.empty()) {
            continue;
        }
        for (const NamedPath& input : inputs) {
            if (!input.path.empty() && IsSameFile(output.path, input.path)) {
                error = std::string(output.name) + " " + output.path + " would overwrite " + input.name + " " +
                        input.path;
                return false;
            }
        }
        std::string reason;
        if (!CanWriteFile(output.path, reason)) {
            error = std::string("cannot write the ") + output.name + " file " + output.path + ": " + reason;
            return false;
        }
    }
    for (const NamedPath& output : outputs) {
        for (const NamedPath* other = &output + 1; other != std::end(outputs); ++other) {
            if (!output.path.empty() && !other->path.empty() && IsSameFile(output.path, other->path)) {
                error = std::string(output.name) + " and " + other->name + " name the same file " + output.path;
                return false;
            }
        }
    }
    return true;
}

// Comment lines that start a recording: what made it and how to replay it.
std::string RecordingHeader(const RunOptions& options) {
    std::string header = "# keyboard and mouse input recorded by " + std::string(VersionText());
    header += "# replay it with: voxmere --input FILE";
    if (options.fixedDt > 0.0f) {
        char fixedDt[32];
        std::snprintf(fixedDt, sizeof fixedDt, " --fixed-dt %.9g", static_cast<double>(options.fixedDt));
        header += fixedDt;
    }
    return header + "\n";
}

// What a run reads and writes besides the settings, opened before it starts.
struct RunFiles {
    InputReplay replay;
    FrameTrace trace;
    InputRecorder recorder;
};

bool OpenRunFiles(const RunOptions& options, RunFiles& files, std::string& error) {
    if (!options.inputPath.empty() && !files.replay.Load(options.inputPath, error)) {
        return false;
    }
    if (!options.tracePath.empty() && !files.trace.Open(options.tracePath)) {
        error = "cannot write the trace file " + options.tracePath;
        return false;
    }
    if (!options.recordPath.empty() && !files.recorder.Open(options.recordPath, RecordingHeader(options))) {
        error = "cannot write the record file " + options.recordPath;
        return false;
    }
    return true;
}

// An unknown key is named, and the run goes on: it may be a key that a
// newer version reads.
void ReportUnknownSettings(const RunOptions& options) {
    for (const SettingOverride& setting : options.settingOverrides) {
        if (!IsKnownSetting(setting.key)) {
            std::fprintf(stderr, "voxmere: unknown setting %s\n", setting.key.c_str());
        }
    }
}

// Help, version and a bad command line end the program before anything starts.
int AnswerWithoutRunning(CommandLineResult parsed, const std::string& error) {
    if (parsed == CommandLineResult::Invalid) {
        std::fprintf(stderr, "voxmere: %s\n\n%s", error.c_str(), UsageText());
        return 2;
    }
    std::fputs(parsed == CommandLineResult::Help ? UsageText() : VersionText(), stdout);
    return 0;
}

int RunCore(const ProgramParts& parts, const RunOptions& options, RunFiles& files) {
    Core* core = new Core(parts.platform, parts.createDevice, options);
    if (!options.inputPath.empty()) {
        core->UseReplay(std::move(files.replay));
    }
    core->UseTrace(std::move(files.trace));
    core->UseRecorder(std::move(files.recorder));
    int exitCode = 1;
    try {
        exitCode = core->Initialize() ? core->Run() : 1;
    } catch (const std::bad_alloc&) {
        // Block and cube storage end the program with their own message;
        // any other allocation that fails ends it here, as a failed run.
        ReportDiagnostic("out of memory");
        exitCode = 1;
    }
    core->Shutdown();
    delete core;
    return exitCode;
}

}  // namespace

int RunProgram(int argc, const char* const* argv, const ProgramParts& parts) {
    RunOptions options;
    std::string error;
    const CommandLineResult parsed = ParseCommandLine(argc, argv, options, error);
    if (parsed != CommandLineResult::Run) {
        return AnswerWithoutRunning(parsed, error);
    }
    ReportUnknownSettings(options);
    RunFiles files;
    if (!CheckOutputs(options, error) || !OpenRunFiles(options, files, error)) {
        std::fprintf(stderr, "voxmere: %s\n", error.c_str());
        return 2;
    }
    RouteErrorMessages(parts, options.noDialogs);
    return RunCore(parts, options, files);
}
