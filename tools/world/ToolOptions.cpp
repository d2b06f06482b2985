#include "ToolOptions.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "app/Version.h"
#include "config/Settings.h"

namespace {
bool ParseInteger(const char* text, long long low, long long high, long long& out) {
    if (text == nullptr || *text == '\0') return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtoll(text, &end, 10);
    return errno == 0 && *end == '\0' && out >= low && out <= high;
}

// Reads the value after option i into out, within [low, high].
template <typename T>
bool TakeInteger(int argc, char** argv, int& i, long long low, long long high, T& out, std::string& error) {
    long long value = 0;
    if (i + 1 >= argc || !ParseInteger(argv[i + 1], low, high, value)) {
        error = std::string("bad or missing value for ") + argv[i];
        return false;
    }
    out = static_cast<T>(value);
    ++i;
    return true;
}

constexpr long long kIntMax = 2147483647LL;
}  // namespace

const char* ToolVersion() { return "voxmere-world " VOXMERE_VERSION "\n"; }

const char* ToolUsage() {
    return "usage: voxmere-world [options]\n"
           "voxmere-world " VOXMERE_VERSION "\n"
           "\n"
           "Builds the voxel world the viewer would build for a seed and prints one line\n"
           "per chunk, in chunk-table order (slot x, then y, then z):\n"
           "  chunk X Y Z origin OX OY OZ solid S blocks HB visible V cubes HC\n"
           "S counts the solid blocks, HB is the FNV-1a 64 hash of the block bytes, V the\n"
           "number of visible cubes and HC the FNV-1a 64 hash of their positions. A last\n"
           "line sums them up: world solid S visible V. Two seeds give the same world\n"
           "exactly when these lines agree.\n"
           "\n"
           "World options (defaults are those of config.ini's settings; no file is read):\n"
           "  --seed TEXT            map seed (only its first byte matters, unless\n"
           "                         --whole-seed 1)\n"
           "  --whole-seed 0|1       let every byte of the seed decide the terrain\n"
           "                         (wholeSeed)\n"
           "  --method N             1 height map, 2 height map carved by caves\n"
           "  --chunk-width W        chunk width in blocks, a multiple of 8\n"
           "  --chunk-height H       chunk height in blocks, a multiple of 8\n"
           "  --terrain-width T      window width in blocks: an even number of chunks\n"
           "  --infinite 0|1         wrap the window (infiniteTerrain)\n"
           "  --faces 0|1            also list the exposed faces (renderFaces); adds a\n"
           "                         line after the world line: world faces F\n"
           "\n"
           "Modes:\n"
           "  (none)                 generate everything at start-up, as with instantStart=0\n"
           "  --budgeted GEN REBUILD same, with these work budgets per call\n"
           "  --stream               stream the world in frame by frame as the viewer does\n"
           "                         with instantStart=1; adds a line\n"
           "                         stream frames F worst_ms W median_ms M\n"
           "  --load-speed N         generation units per frame while streaming\n"
           "  --update-speed N       rebuild units per frame while streaming\n"
           "  --stream-threads N     stream (and pre-generate) on N background threads\n"
           "                         (streamThreads); --stream then paces its frames at\n"
           "                         60 Hz and adds ready_ms R to its line: the time until\n"
           "                         every chunk had its lists\n"
           "  --time N               time N start-ups with pre-generation only:\n"
           "                         pregen_ms median A min B max C runs N\n"
           "  --column X Z           after pre-generation, print the surface of the block\n"
           "                         column at world x, z (repeatable):\n"
           "                         column X Z top T  (T: one above the highest solid\n"
           "                         block, 0 for an empty column or one outside the window)\n"
           "  --map FILE.png         after pre-generation, write a top-down map of the\n"
           "                         whole window: each block column in its top block's\n"
           "                         colour, shaded by the relief, the player's start\n"
           "                         column marked with a red cross\n"
           "  --map-scale N          N x N pixels per column in the map (1 to 16; 1)\n"
           "  --version              the program's version\n"
           "  --help                 this text\n";
}

namespace {
// An option that takes one integer within [low, high].
struct IntegerOption {
    const char* name;
    long long low;
    long long high;
    int32_t* target;
};

ToolOptions Defaults() {
    const TypedSettings defaults;
    ToolOptions out;
    out.seed = defaults.mapSeed;
    out.method = defaults.mapGenerationMethod;
    out.chunkWidth = defaults.chunkWidth;
    out.chunkHeight = defaults.chunkHeight;
    out.terrainWidth = defaults.terrainWidth;
    out.infinite = defaults.infiniteTerrain;
    out.wholeSeed = defaults.wholeSeed;
    out.loadSpeed = defaults.loadSpeed;
    out.updateSpeed = defaults.updateSpeed;
    return out;
}

// The options that take one integer and set nothing else; false when
// `option` is none of them.
bool TakeIntegerOption(const std::string& option, int argc, char** argv, int& i, ToolOptions& out, bool& ok,
                       std::string& error) {
    int32_t infinite = out.infinite, faces = out.faces, wholeSeed = out.wholeSeed;
    const IntegerOption options[] = {
        {"--method", -kIntMax - 1, kIntMax, &out.method},        {"--chunk-width", 1, kIntMax, &out.chunkWidth},
        {"--chunk-height", 1, kIntMax, &out.chunkHeight},        {"--infinite", 0, 1, &infinite},
        {"--faces", 0, 1, &faces},                                {"--load-speed", 1, kIntMax, &out.loadSpeed},
        {"--update-speed", 1, kIntMax, &out.updateSpeed},         {"--stream-threads", 0, 1024, &out.streamThreads},
        {"--whole-seed", 0, 1, &wholeSeed},                       {"--map-scale", 1, 16, &out.mapScale},
    };
    for (const IntegerOption& integer : options) {
        if (option == integer.name) {
            ok = TakeInteger(argc, argv, i, integer.low, integer.high, *integer.target, error);
            out.infinite = infinite != 0;
            out.faces = faces != 0;
            out.wholeSeed = wholeSeed != 0;
            return true;
        }
    }
    return false;
}

// The options that choose a mode, with the values they take.
bool TakeModeOption(const std::string& option, int argc, char** argv, int& i, ToolOptions& out, bool& ok,
                    std::string& error) {
    if (option == "--budgeted") {
        out.mode = ToolOptions::Mode::Budgeted;
        ok = TakeInteger(argc, argv, i, 0, kIntMax, out.generationBudget, error) &&
             TakeInteger(argc, argv, i, 0, kIntMax, out.rebuildBudget, error);
    } else if (option == "--stream") {
        out.mode = ToolOptions::Mode::Stream;
    } else if (option == "--column") {
        out.mode = ToolOptions::Mode::Columns;
        ToolOptions::Column column;
        ok = TakeInteger(argc, argv, i, -kIntMax - 1, kIntMax, column.x, error) &&
             TakeInteger(argc, argv, i, -kIntMax - 1, kIntMax, column.z, error);
        out.columns.push_back(column);
    } else if (option == "--map") {
        out.mode = ToolOptions::Mode::Map;
        ok = i + 1 < argc && argv[i + 1][0] != '\0';
        if (ok) out.mapPath = argv[++i];
        else error = "missing file name for --map";
    } else if (option == "--time") {
        out.mode = ToolOptions::Mode::Time;
        ok = TakeInteger(argc, argv, i, 1, 100000, out.runs, error);
    } else {
        return false;
    }
    return true;
}
}  // namespace

bool ParseToolOptions(int argc, char** argv, ToolOptions& out, std::string& error) {
    out = Defaults();
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        bool ok = true;
        if (option == "--help" || option == "-h") {
            out.help = true;
        } else if (option == "--version") {
            out.version = true;
        } else if (option == "--seed") {
            ok = i + 1 < argc;
            if (ok) out.seed = argv[++i];
            else error = "missing value for --seed";
        } else if (option == "--terrain-width") {
            ok = TakeInteger(argc, argv, i, 1, 4294967295LL, out.terrainWidth, error);
        } else if (!TakeIntegerOption(option, argc, argv, i, out, ok, error) &&
                   !TakeModeOption(option, argc, argv, i, out, ok, error)) {
            error = "unknown option " + option;
            ok = false;
        }
        if (!ok) return false;
    }
    return true;
}
