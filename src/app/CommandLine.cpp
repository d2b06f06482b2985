#include "app/CommandLine.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "app/Version.h"

namespace {

bool ParsePositiveInteger(const char* text, int64_t& out) {
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0' || errno == ERANGE || value < 1) {
        return false;
    }
    out = value;
    return true;
}

bool ParsePositiveFloat(const char* text, float& out) {
    char* end = nullptr;
    const float value = std::strtof(text, &end);
    if (end == text || *end != '\0' || !(value >= 1.0e-6f) || value > 1.0e6f) {
        return false;
    }
    out = value;
    return true;
}

}  // namespace

const char* UsageText() {
    return "Usage: voxmere [options]\n"
           "Voxmere " VOXMERE_VERSION ", a real-time voxel terrain viewer. Settings come from config.ini in the\n"
           "working directory.\n"
           "\n"
           "Options:\n"
           "  --frames N          end after N frames, as a normal quit (exit code 0)\n"
           "  --fixed-dt S        give every frame S seconds instead of the measured time\n"
           "  --trace FILE        write one CSV row per frame: frame,dt,update_ms,render_ms,x,y,z,\n"
           "                      vx,vy,vz,on_ground,flying,collision\n"
           "  --screenshot FILE   save the last frame as a PNG image\n"
           "  --input FILE        replay recorded input: lines 'FRAME keydown VK', 'FRAME keyup VK',\n"
           "                      'FRAME mouse DX DY' (frames counted from 1)\n"
           "  --record FILE       write the keyboard and mouse input in the --input format (record with\n"
           "                      --fixed-dt for a replay that follows the same path)\n"
           "  --no-dialogs        report failures on stderr only, without a message box\n"
           "  --stats             print the last frame's drawing statistics on exit\n"
           "  --help              show this text\n"
           "  --version           show the version\n"
           "\n"
           "Exit codes: 0 after a normal quit, 1 when start-up fails, 2 for bad options or input files.\n";
}

const char* VersionText() { return "voxmere " VOXMERE_VERSION "\n"; }

CommandLineResult ParseCommandLine(int argc, const char* const* argv, RunOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        if (std::strcmp(option, "--help") == 0 || std::strcmp(option, "-h") == 0) {
            return CommandLineResult::Help;
        }
        if (std::strcmp(option, "--version") == 0) {
            return CommandLineResult::Version;
        }
        if (std::strcmp(option, "--no-dialogs") == 0) {
            options.noDialogs = true;
            continue;
        }
        if (std::strcmp(option, "--stats") == 0) {
            options.printStats = true;
            continue;
        }
        const bool takesValue = std::strcmp(option, "--frames") == 0 || std::strcmp(option, "--fixed-dt") == 0 ||
                                std::strcmp(option, "--trace") == 0 || std::strcmp(option, "--screenshot") == 0 ||
                                std::strcmp(option, "--input") == 0 || std::strcmp(option, "--record") == 0;
        if (!takesValue) {
            error = std::string("unknown option ") + option;
            return CommandLineResult::Invalid;
        }
        if (i + 1 >= argc) {
            error = std::string(option) + " needs a value";
            return CommandLineResult::Invalid;
        }
        const char* value = argv[++i];
        bool valid = true;
        if (std::strcmp(option, "--frames") == 0) {
            valid = ParsePositiveInteger(value, options.frames);
        } else if (std::strcmp(option, "--fixed-dt") == 0) {
            valid = ParsePositiveFloat(value, options.fixedDt);
        } else if (std::strcmp(option, "--trace") == 0) {
            options.tracePath = value;
        } else if (std::strcmp(option, "--screenshot") == 0) {
            options.screenshotPath = value;
        } else if (std::strcmp(option, "--record") == 0) {
            options.recordPath = value;
        } else {
            options.inputPath = value;
        }
        if (!valid || *value == '\0') {
            error = std::string("bad value '") + value + "' for " + option;
            return CommandLineResult::Invalid;
        }
    }
    if (!options.recordPath.empty() && !options.inputPath.empty()) {
        error = "--record and --input cannot be used together: a replay takes no keyboard or mouse input";
        return CommandLineResult::Invalid;
    }
    return CommandLineResult::Run;
}
