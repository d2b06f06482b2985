#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "RecordingDevice.h"
#include "WorldTestSupport.h"
#include "world/ChunkStreamer.h"
#include "world/WorkerThreads.h"

namespace {
using Clock = std::chrono::steady_clock;

// What one chunk holds: where it is, its blocks and its lists.
struct ChunkState {
    BlockPosition origin;
    std::string blocks;
    std::vector<float> cubes;
    std::vector<float> faces;
    bool operator==(const ChunkState& other) const {
        return origin == other.origin && blocks == other.blocks && cubes == other.cubes && faces == other.faces;
    }
};

ChunkState StateOf(const Chunk& chunk) {
    ChunkState state{chunk.Origin(), GridBytes(chunk), VisibleFloats(chunk), {}};
    for (int direction = 0; direction < kDirectionCount; ++direction) {
        const Direction face = static_cast<Direction>(direction);
        const std::vector<float> listed = Floats(chunk.Faces(face), chunk.FaceCount(face));
        state.faces.insert(state.faces.end(), listed.begin(), listed.end());
        state.faces.push_back(-1.0f);  // ends each direction's list
    }
    return state;
}

std::map<ChunkKey, ChunkState> StatesOf(const VoxelWorld& world) {
    std::map<ChunkKey, ChunkState> states;
    for (const auto& [slot, chunk] : world.Chunks()) states[slot] = StateOf(*chunk);
    return states;
}

// Frames at one place until every chunk has its lists; false after 20 s.
bool StreamUntilComplete(VoxelWorld& world, float x, float z) {
    const Clock::time_point giveUp = Clock::now() + std::chrono::seconds(20);
    do {
        world.Update(x, 40.0f, z);
        if (world.IsComplete()) return true;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    } while (Clock::now() < giveUp);
    return false;
}

// From far behind the world, looking along +z: every chunk of a small world is in view.
void DrawAll(VoxelWorld& world, RenderDevice& device, float x) {
    Matrix4 view = Matrix4::Identity();
    view.m[3][0] = -x, view.m[3][1] = -40.0f, view.m[3][2] = 400.0f;
    Matrix4 projection;
    projection.m[0][0] = projection.m[1][1] = projection.m[2][3] = 1.0f;
    projection.m[2][2] = 1024.0f / (1024.0f - 0.25f);
    projection.m[3][2] = -projection.m[2][2] * 0.25f;
    world.Render(device, Matrix4::Identity(), view, projection);
}
}  // namespace

// A 4 x 4 window of 16 x 32 chunks, streamed on two threads or under the budgets.
class ThreadedStreaming : public WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        UseSmallWorld(16, 32, 4);
    }
    void Start(VoxelWorld& world, int32_t threads) {
        settings.streamThreads = threads;
        ASSERT_TRUE(world.Initialize(settings, nullptr));
        ASSERT_EQ(world.Streamer() != nullptr, threads > 0);
    }
};

// Both ways give the same blocks and lists for every seed and method, at the start and after the window
// stepped, with the face lists too; the threaded world is complete only when every chunk has its lists.
TEST_F(ThreadedStreaming, GivesTheBudgetedWorldForSeedsMethodsAndASteps) {
    const std::tuple<const char*, int, bool> cases[] = {
        {"voxmere", 1, false}, {"voxmere", 2, true}, {"another seed", 2, false}, {"", 1, true}};
    for (const auto& [seed, method, faces] : cases) {
        std::tie(settings.mapSeed, settings.mapGenerationMethod, settings.renderFaces) = std::tie(seed, method, faces);
        VoxelWorld budgeted, threaded;
        Start(budgeted, 0);
        Start(threaded, 2);
        for (const float x : {32.0f, 72.0f, 40.0f}) {  // two steps along +x, one back
            ASSERT_TRUE(StreamUntilComplete(budgeted, x, 32.0f));
            ASSERT_TRUE(StreamUntilComplete(threaded, x, 32.0f)) << seed << " " << method;
            const auto expected = StatesOf(budgeted), actual = StatesOf(threaded);
            for (const auto& [slot, state] : expected)
                EXPECT_TRUE(actual.at(slot) == state) << seed << " method " << method << " at x " << x << ": slot "
                                                      << slot.x << " " << slot.z;
        }
    }
}

// While the workers are held nothing new appears; once they run, a chunk is drawn only with the lists of its
// own blocks, complete, and chunks without them are passed over, not ending the walk.
TEST_F(ThreadedStreaming, ShowsEachChunkOnlyComplete) {
    settings.infiniteTerrain = false;
    VoxelWorld reference, world;
    Start(reference, 0);
    reference.PreGenerate(100000, 10000);
    Start(world, 1);
    world.Streamer()->Workers().Hold(true);
    RecordingDevice device;
    const auto checkDrawnChunks = [&] {
        world.Update(32.0f, 40.0f, 32.0f);
        uint32_t listed = 0, cubes = 0;
        for (const auto& [slot, chunk] : world.Chunks()) {
            if (!chunk->IsListedAtOrigin()) continue;
            listed += 1;
            cubes += chunk->VisibleCount();
            EXPECT_TRUE(StateOf(*chunk) == StateOf(*reference.FindChunk(slot))) << slot.x << " " << slot.z;
        }
        DrawAll(world, device, 32.0f);
        EXPECT_TRUE(world.ChunksDrawn() == listed && world.CubesDrawn() == cubes);
        return listed;
    };
    const uint32_t listedWhileHeld = checkDrawnChunks();
    for (int frame = 0; frame < 5; ++frame) EXPECT_EQ(checkDrawnChunks(), listedWhileHeld);
    EXPECT_FALSE(world.IsComplete());
    world.Streamer()->Workers().Hold(false);
    const Clock::time_point giveUp = Clock::now() + std::chrono::seconds(20);
    while (checkDrawnChunks() < 16 && Clock::now() < giveUp) std::this_thread::sleep_for(std::chrono::microseconds(100));
    EXPECT_TRUE(world.IsComplete());
}

// With one worker the blocks come nearest the player first, frame after frame; a chunk's lists come before
// the blocks of chunks further out, so the chunks round the player are drawn before the far corners.
TEST_F(ThreadedStreaming, WorksNearestThePlayerFirst) {
    UseSmallWorld(16, 32, 8);
    settings.infiniteTerrain = false;
    VoxelWorld world;
    Start(world, 1);
    const Vec3 player = world.LastPosition();
    const auto distance = [&](const Chunk& chunk) {
        return std::hypot(chunk.Centre().x - player.x, chunk.Centre().z - player.z);
    };
    std::map<const Chunk*, bool> hadBlocks, hadLists;
    float farthestBefore = 0.0f;
    bool farCornerListed = false;
    const Clock::time_point giveUp = Clock::now() + std::chrono::seconds(20);
    while (!world.IsComplete() && Clock::now() < giveUp) {
        world.Update(player.x, player.y, player.z);
        float nearest = 1e9f, farthest = 0.0f;
        for (const auto& [slot, chunk] : world.Chunks()) {
            if (chunk->HasContent() && !hadBlocks[chunk]) {
                hadBlocks[chunk] = true;
                nearest = std::min(nearest, distance(*chunk));
                farthest = std::max(farthest, distance(*chunk));
            }
            if (chunk->IsListedAtOrigin() && !hadLists[chunk]) {
                hadLists[chunk] = true;
                if (distance(*chunk) > 80.0f) farCornerListed = true;
                if (distance(*chunk) < 24.0f) {
                    EXPECT_FALSE(farCornerListed) << "a far chunk was drawn before one next to the player";
                }
            }
        }
        if (farthest > 0.0f) {
            EXPECT_GE(nearest + 0.01f, farthestBefore) << "blocks came out of order";
            farthestBefore = farthest;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    EXPECT_TRUE(world.IsComplete() && hadLists.size() == 64u);
}

// Shutting down with work handed out and running joins the workers and frees everything; the same world
// starts again and streams to its end.
TEST_F(ThreadedStreaming, ShutsDownWithWorkInFlightAndStartsAgain) {
    UseSmallWorld(16, 32, 16);
    VoxelWorld world;
    for (int start = 0; start < 3; ++start) {
        Start(world, 2);
        world.Update(128.0f, 40.0f, 128.0f);
        world.Shutdown();
        EXPECT_TRUE(world.Chunks().empty() && world.Streamer() == nullptr);
    }
    UseSmallWorld(16, 32, 4);
    Start(world, 2);
    EXPECT_TRUE(StreamUntilComplete(world, 32.0f, 32.0f));
}

// Without a frame in between, instantStart=false waits for the same work before Initialize returns.
TEST_F(ThreadedStreaming, PreGeneratesOnTheThreadsWhenTheStartIsNotInstant) {
    settings.instantStart = false;
    VoxelWorld pregenerated, threaded;
    Start(pregenerated, 0);
    Start(threaded, 2);
    EXPECT_TRUE(threaded.IsComplete());
    EXPECT_TRUE(StatesOf(threaded) == StatesOf(pregenerated));
}

// More stream threads than the machine runs at once are not started.
TEST_F(ThreadedStreaming, StartsAtMostOneThreadPerHardwareThread) {
    VoxelWorld world;
    Start(world, 1000);
    EXPECT_EQ(world.Streamer()->Workers().Threads(), HardwareThreads());
}

// The start-up's threads: every one runs the work, the calling one too, and what one throws comes out once all
// have ended.
TEST(WorkerThreads, RunTheWorkOnEachThreadAndRethrowWhatOneThrows) {
    std::mutex mutex;
    std::set<std::thread::id> threads;
    RunOnThreads(3, [&] {
        const std::lock_guard<std::mutex> lock(mutex);
        threads.insert(std::this_thread::get_id());
    });
    EXPECT_TRUE(threads.size() == 3u && threads.count(std::this_thread::get_id()) == 1u);
    std::atomic<int> ran{0};
    EXPECT_THROW(RunOnThreads(3,
                              [&] {
                                  if (ran.fetch_add(1) == 1) throw std::runtime_error("one thread failed");
                              }),
                 std::runtime_error);
    EXPECT_EQ(ran.load(), 3);
}
