// Speed of the world's start-up, of its streaming frames (under the budgets
// and on background threads) and of a window shift, with the default settings (16 x 16 chunks of 32 x 128 x 32), the
// streaming frames also with the face lists of renderFaces.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "config/Settings.h"
#include "platform/Stopwatch.h"
#include "world/VoxelWorld.h"

namespace {
using Clock = std::chrono::steady_clock;

WorldSettings Defaults(int method, bool instantStart, bool renderFaces = false) {
    WorldSettings settings = WorldSettingsFrom(TypedSettings{});
    settings.mapGenerationMethod = method;
    settings.instantStart = instantStart;
    settings.renderFaces = renderFaces;
    return settings;
}

// Start position of the player: the centre chunk's corner at the world top.
void StartPosition(const VoxelWorld& world, float& x, float& y, float& z) {
    const ChunkKey centre = world.CentreChunk();
    x = static_cast<float>(centre.x * world.ChunkWidth());
    y = static_cast<float>((centre.y + 1) * world.ChunkHeight());
    z = static_cast<float>(centre.z * world.ChunkWidth());
}

bool QueuesEmpty(const VoxelWorld& world) { return world.GenerationQueueSize() == 0 && world.RebuildQueueSize() == 0; }

// Initialisation with pre-generation: chunk creation, terrain, visible lists.
void BM_PreGenerate(benchmark::State& state) {
    const WorldSettings settings = Defaults(static_cast<int>(state.range(0)), false);
    for (auto _ : state) {
        VoxelWorld world;
        benchmark::DoNotOptimize(world.Initialize(settings, nullptr));
        state.PauseTiming();
        world.Shutdown();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PreGenerate)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Every Update frame while the world streams in at the default budgets; the
// worst and the median frame are the figures that matter. Arguments: the
// generation method and renderFaces.
void BM_StreamFrames(benchmark::State& state) {
    const WorldSettings settings = Defaults(static_cast<int>(state.range(0)), true, state.range(1) != 0);
    std::vector<double> frames;
    double worst = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        VoxelWorld world;
        world.Initialize(settings, nullptr);
        float x, y, z;
        StartPosition(world, x, y, z);
        state.ResumeTiming();
        do {
            const Clock::time_point start = Clock::now();
            world.Update(x, y, z);
            const double elapsed = MillisecondsSince(start);
            frames.push_back(elapsed);
            worst = std::max(worst, elapsed);
        } while (!QueuesEmpty(world));
        state.PauseTiming();
        world.Shutdown();
        state.ResumeTiming();
    }
    std::sort(frames.begin(), frames.end());
    state.counters["frames_per_stream"] = static_cast<double>(frames.size()) / static_cast<double>(state.iterations());
    state.counters["worst_ms"] = worst;
    state.counters["median_ms"] = frames[frames.size() / 2];
}
BENCHMARK(BM_StreamFrames)
    ->ArgNames({"method", "faces"})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({2, 0})
    ->Args({2, 1})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

// The frame that walks into the next chunk: the window shift and the first
// budget of regeneration; the remaining work is drained untimed.
void BM_WindowShiftFrame(benchmark::State& state) {
    VoxelWorld world;
    world.Initialize(Defaults(static_cast<int>(state.range(0)), false), nullptr);
    const float width = static_cast<float>(world.ChunkWidth());
    const ChunkKey centre = world.CentreChunk();
    const float home = (static_cast<float>(centre.x) + 0.5f) * width;
    const float z = (static_cast<float>(centre.z) + 0.5f) * width;
    double worst = 0.0;
    bool forward = true;
    for (auto _ : state) {
        const float x = forward ? home + width : home;
        const Clock::time_point start = Clock::now();
        world.Update(x, 5.0f, z);
        worst = std::max(worst, MillisecondsSince(start));
        state.PauseTiming();
        while (!QueuesEmpty(world)) world.Update(x, 5.0f, z);
        forward = !forward;
        state.ResumeTiming();
    }
    state.counters["worst_ms"] = worst;
    world.Shutdown();
}
BENCHMARK(BM_WindowShiftFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
// The same start-up streamed on background threads, one Update per 60 Hz
// frame: the frames the world takes, the worst and median Update, and the
// wall time until every chunk has its lists. Arguments: the generation
// method and the stream threads.
void BM_ThreadedStream(benchmark::State& state) {
    WorldSettings settings = Defaults(static_cast<int>(state.range(0)), true);
    settings.streamThreads = static_cast<int32_t>(state.range(1));
    std::vector<double> frames;
    double worst = 0.0;
    double ready = 0.0;
    for (auto _ : state) {
        VoxelWorld world;
        const Clock::time_point begin = Clock::now();
        world.Initialize(settings, nullptr);
        float x, y, z;
        StartPosition(world, x, y, z);
        Clock::time_point nextFrame = begin;
        while (true) {
            const Clock::time_point start = Clock::now();
            world.Update(x, y, z);
            frames.push_back(MillisecondsSince(start));
            worst = std::max(worst, frames.back());
            if (world.IsComplete()) break;
            std::this_thread::sleep_until(nextFrame += std::chrono::microseconds(16667));
        }
        ready += MillisecondsSince(begin);
        state.PauseTiming();
        world.Shutdown();
        state.ResumeTiming();
    }
    std::sort(frames.begin(), frames.end());
    const double runs = static_cast<double>(state.iterations());
    state.counters["frames_per_stream"] = static_cast<double>(frames.size()) / runs;
    state.counters["worst_ms"] = worst;
    state.counters["median_ms"] = frames[frames.size() / 2];
    state.counters["ready_ms"] = ready / runs;
}
BENCHMARK(BM_ThreadedStream)
    ->ArgNames({"method", "threads"})
    ->Args({1, 2})
    ->Args({2, 2})
    ->Args({1, 4})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
}  // namespace

BENCHMARK_MAIN();
