#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What voxmere-world was asked to do.
struct ToolOptions {
    enum class Mode { PreGenerate, Budgeted, Stream, Time, Columns, Map };
    struct Column {
        int32_t x = 0;
        int32_t z = 0;
    };

    Mode mode = Mode::PreGenerate;
    std::string seed;
    int32_t method = 0;
    int32_t chunkWidth = 0;
    int32_t chunkHeight = 0;
    uint32_t terrainWidth = 0;
    bool infinite = false;
    bool faces = false;
    bool wholeSeed = false;
    int32_t generationBudget = 0;
    int32_t rebuildBudget = 0;
    int32_t loadSpeed = 0;
    int32_t updateSpeed = 0;
    int32_t streamThreads = 0;
    int32_t runs = 0;
    std::vector<Column> columns;
    std::string mapPath;
    int32_t mapScale = 1;
    bool help = false;
    bool version = false;
};

// Starts from the settings' defaults; false with a reason on a bad option.
bool ParseToolOptions(int argc, char** argv, ToolOptions& out, std::string& error);
const char* ToolUsage();
const char* ToolVersion();
