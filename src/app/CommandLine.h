#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One --set KEY=VALUE: the value replaces the settings file's for this run.
struct SettingOverride {
    std::string key;
    std::string value;
};

// The program's own command-line options.
struct RunOptions {
    int64_t frames = -1;       // end the main loop after this many frames; -1 runs until quit
    float fixedDt = -1.0f;     // every frame takes this many seconds; negative uses the timer
    std::string tracePath;     // CSV file with one row per frame
    std::string screenshotPath;  // PNG of the last frame
    std::string inputPath;     // replayed input instead of keyboard and mouse
    std::string recordPath;    // the keyboard and mouse input, written for --input
    bool noDialogs = false;    // failures go to stderr only
    bool printStats = false;   // print the last frame's drawing statistics at exit
    bool checkWindow = false;  // count frames with a chunk not drawn at its place once the world was ready
    std::vector<SettingOverride> settingOverrides;  // in command-line order: a later one of a key wins
};

enum class CommandLineResult { Run, Help, Version, Invalid };

CommandLineResult ParseCommandLine(int argc, const char* const* argv, RunOptions& options, std::string& error);

const char* UsageText();
const char* VersionText();  // "voxmere <version>" and a line feed
