#include "app/CommandLine.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "app/Version.h"
#include "config/Settings.h"

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
           "  --set KEY=VALUE     use VALUE for the setting KEY in this run instead of what config.ini\n"
           "                      says (the file is not written); repeatable, a later --set of a key\n"
           "                      wins; an unknown KEY is reported and the run goes on\n"
           "  --no-dialogs        report failures on stderr only, without a message box\n"
           "  --stats             print the last frame's drawing statistics on exit, and when the\n"
           "                      world first had every chunk listed\n"
           "  --check-window      once the world was first ready, count the frames in which a chunk\n"
           "                      of the window had no lists of its own blocks; printed on exit as\n"
           "                      'window frames F gaps G'\n"
           "  --help              show this text\n"
           "  --version           show the version\n"
           "\n"
           "Exit codes: 0 after a normal quit, 1 when start-up fails, 2 for bad options or input files.\n";
}

const char* VersionText() { return "voxmere " VOXMERE_VERSION "\n"; }

namespace {

bool Is(const char* option, const char* name) { return std::strcmp(option, name) == 0; }

bool TakesValue(const char* option) {
    for (const char* name : {"--frames", "--fixed-dt", "--trace", "--screenshot", "--input", "--record", "--set"}) {
        if (Is(option, name)) {
            return true;
        }
    }
    return false;
}

// False for an empty value or one the option does not take.
bool StoreValue(const char* option, const char* value, RunOptions& options) {
    if (*value == '\0') {
        return false;
    }
    if (Is(option, "--frames")) {
        return ParsePositiveInteger(value, options.frames);
    }
    if (Is(option, "--fixed-dt")) {
        return ParsePositiveFloat(value, options.fixedDt);
    }
    if (Is(option, "--set")) {
        SettingOverride setting;
        if (!SplitSetting(value, setting.key, setting.value) || setting.key.empty()) {
            return false;
        }
        options.settingOverrides.push_back(std::move(setting));
        return true;
    }
    std::string& path = Is(option, "--trace")        ? options.tracePath
                        : Is(option, "--screenshot") ? options.screenshotPath
                        : Is(option, "--record")     ? options.recordPath
                                                     : options.inputPath;
    path = value;
    return true;
}

// Reads the option at argv[i], and its value after it; moves i past them.
CommandLineResult ParseOption(int argc, const char* const* argv, int& i, RunOptions& options, std::string& error) {
    const char* option = argv[i];
    if (Is(option, "--help") || Is(option, "-h")) {
        return CommandLineResult::Help;
    }
    if (Is(option, "--version")) {
        return CommandLineResult::Version;
    }
    for (const auto& [name, flag] : {std::pair{"--no-dialogs", &options.noDialogs},
                                     std::pair{"--stats", &options.printStats},
                                     std::pair{"--check-window", &options.checkWindow}}) {
        if (Is(option, name)) {
            *flag = true;
            return CommandLineResult::Run;
        }
    }
    if (!TakesValue(option)) {
        error = std::string("unknown option ") + option;
        return CommandLineResult::Invalid;
    }
    if (i + 1 >= argc) {
        error = std::string(option) + " needs a value";
        return CommandLineResult::Invalid;
    }
    const char* value = argv[++i];
    if (!StoreValue(option, value, options)) {
        error = std::string("bad value '") + value + "' for " + option;
        if (Is(option, "--set")) {
            error += ": it takes KEY=VALUE with a key before the '='";
        }
        return CommandLineResult::Invalid;
    }
    return CommandLineResult::Run;
}

}  // namespace

CommandLineResult ParseCommandLine(int argc, const char* const* argv, RunOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const CommandLineResult result = ParseOption(argc, argv, i, options, error);
        if (result != CommandLineResult::Run) {
            return result;
        }
    }
    if (!options.recordPath.empty() && !options.inputPath.empty()) {
        error = "--record and --input cannot be used together: a replay takes no keyboard or mouse input";
        return CommandLineResult::Invalid;
    }
    return CommandLineResult::Run;
}
