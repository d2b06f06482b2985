// voxmere-world: builds the world for a seed without a window and prints a
// per-chunk digest, so that seeds, settings and builds can be compared.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "ToolOptions.h"
#include "WorldMap.h"
#include "WorldReport.h"
#include "config/Settings.h"
#include "graphics/Screenshot.h"
#include "platform/Files.h"
#include "platform/Stopwatch.h"
#include "world/VoxelWorld.h"
#include "world/WorldSettings.h"

namespace {
using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

WorldSettings WorldSettingsOf(const ToolOptions& options, bool instantStart) {
    WorldSettings settings = WorldSettingsFrom(TypedSettings{});
    settings.mapSeed = options.seed;
    settings.wholeSeed = options.wholeSeed;
    settings.mapGenerationMethod = options.method;
    settings.chunkWidth = options.chunkWidth;
    settings.chunkHeight = options.chunkHeight;
    settings.terrainWidth = options.terrainWidth;
    settings.infiniteTerrain = options.infinite;
    settings.loadSpeed = options.loadSpeed;
    settings.updateSpeed = options.updateSpeed;
    settings.instantStart = instantStart;
    settings.renderFaces = options.faces;
    // Budgeted runs work the budgeted queues themselves.
    settings.streamThreads = options.mode == ToolOptions::Mode::Budgeted ? 0 : options.streamThreads;
    return settings;
}

// The world lines, and with --faces the number of faces listed.
void PrintReport(const VoxelWorld& world, const ToolOptions& options) {
    PrintWorldReport(world, stdout);
    if (options.faces) {
        std::printf("world faces %llu\n", static_cast<unsigned long long>(CountFaces(world)));
    }
}

int RunPreGeneration(const ToolOptions& options) {
    VoxelWorld world;
    if (!world.Initialize(WorldSettingsOf(options, options.mode == ToolOptions::Mode::Budgeted), nullptr)) return 1;
    if (options.mode == ToolOptions::Mode::Budgeted) {
        world.PreGenerate(options.generationBudget, options.rebuildBudget);
    }
    PrintReport(world, options);
    world.Shutdown();
    return 0;
}

// One Update per frame at the player's start position until every chunk has
// its lists; with background threads the frames come at 60 Hz, as on a
// display that waits for its vertical blank.
int RunStream(const ToolOptions& options) {
    VoxelWorld world;
    if (!world.Initialize(WorldSettingsOf(options, true), nullptr)) return 1;
    const Vec3 start = world.LastPosition();
    const bool paced = options.streamThreads > 0;
    constexpr std::chrono::microseconds kFramePeriod{16667};
    std::vector<double> frames;
    const Clock::time_point begin = Clock::now();
    Clock::time_point nextFrame = begin;
    while (true) {
        const Clock::time_point frameStart = Clock::now();
        world.Update(start.x, start.y, start.z);
        frames.push_back(MillisecondsSince(frameStart));
        if (world.IsComplete()) break;
        if (paced) std::this_thread::sleep_until(nextFrame += kFramePeriod);
    }
    const double readyMs = MillisecondsSince(begin);
    PrintReport(world, options);
    std::printf("stream frames %zu worst_ms %.3f median_ms %.3f", frames.size(),
                *std::max_element(frames.begin(), frames.end()), Median(frames));
    if (paced) std::printf(" ready_ms %.1f", readyMs);
    std::printf("\n");
    world.Shutdown();
    return 0;
}

// The surface height of block columns of the pre-generated world.
int RunColumns(const ToolOptions& options) {
    VoxelWorld world;
    if (!world.Initialize(WorldSettingsOf(options, false), nullptr)) return 1;
    for (const ToolOptions::Column& column : options.columns) {
        int32_t top = options.chunkHeight;
        while (top > 0 && !world.IsBlockSolid(column.x, top - 1, column.z)) {
            --top;
        }
        std::printf("column %d %d top %d\n", column.x, column.z, top);
    }
    world.Shutdown();
    return 0;
}

// The map of the pre-generated window, with the player's start column marked.
int RunMap(const ToolOptions& options) {
    VoxelWorld world;
    if (!world.Initialize(WorldSettingsOf(options, false), nullptr)) return 1;
    const Vec3 start = world.LastPosition();
    const MapImage map = DrawMap(FindColumnTops(world), static_cast<uint32_t>(options.mapScale),
                                 static_cast<int32_t>(std::floor(start.x)), static_cast<int32_t>(std::floor(start.z)));
    world.Shutdown();
    if (!SavePng(options.mapPath.c_str(), map.rgba, map.width, map.height)) {
        std::fprintf(stderr, "voxmere-world: could not write the map %s\n", options.mapPath.c_str());
        return 1;
    }
    std::printf("map %s %ux%u\n", options.mapPath.c_str(), map.width, map.height);
    return 0;
}

int RunTiming(const ToolOptions& options) {
    const WorldSettings settings = WorldSettingsOf(options, false);
    std::vector<double> runs;
    for (int32_t i = 0; i < options.runs; ++i) {
        VoxelWorld world;
        const Clock::time_point start = Clock::now();
        if (!world.Initialize(settings, nullptr)) return 1;
        runs.push_back(MillisecondsSince(start));
        world.Shutdown();
    }
    std::printf("pregen_ms median %.3f min %.3f max %.3f runs %d\n", Median(runs),
                *std::min_element(runs.begin(), runs.end()), *std::max_element(runs.begin(), runs.end()),
                options.runs);
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    ToolOptions options;
    std::string error;
    if (!ParseToolOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "voxmere-world: %s\n%s", error.c_str(), ToolUsage());
        return 2;
    }
    if (options.help || options.version) {
        std::fputs(options.help ? ToolUsage() : ToolVersion(), stdout);
        return 0;
    }
    std::string reason;
    if (options.mode == ToolOptions::Mode::Map && !CanWriteFile(options.mapPath, reason)) {
        std::fprintf(stderr, "voxmere-world: cannot write the map %s: %s\n", options.mapPath.c_str(), reason.c_str());
        return 2;
    }
    if (!ValidateWorldSettings(WorldSettingsOf(options, false))) {  // says which rule the sizes break
        std::fputs(ToolUsage(), stderr);
        return 2;
    }
    switch (options.mode) {
        case ToolOptions::Mode::Stream:
            return RunStream(options);
        case ToolOptions::Mode::Time:
            return RunTiming(options);
        case ToolOptions::Mode::Columns:
            return RunColumns(options);
        case ToolOptions::Mode::Map:
            return RunMap(options);
        default:
            return RunPreGeneration(options);
    }
}
