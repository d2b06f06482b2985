#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "world/Chunk.h"
#include "world/WorldCoordinates.h"
#include "world/WorldSettings.h"

class TerrainGenerator;

// What a chunk's lists are made from: the blocks at its own origin and at the
// origins of the four horizontal face neighbours it is linked to (none at the
// edge of a window that does not wrap).
struct ListKey {
    static constexpr int kSides = 4;
    static constexpr Direction kSideDirections[kSides] = {Direction::XMinus, Direction::XPlus, Direction::ZMinus,
                                                           Direction::ZPlus};

    BlockPosition own;
    BlockPosition sides[kSides];
    bool present[kSides] = {};

    friend bool operator==(const ListKey& a, const ListKey& b);
};

struct ListKeyHash {
    size_t operator()(const ListKey& key) const;
};
struct BlockPositionHash {
    size_t operator()(const BlockPosition& position) const;
};

// One piece of background work: the blocks of the chunk at key.own, or its
// lists from blocks already made.
struct ChunkJob {
    enum class Kind { Blocks, Lists };
    Kind kind = Kind::Blocks;
    ListKey key;
    std::shared_ptr<uint8_t[]> blocks[1 + ListKey::kSides];  // Lists: own, then the present sides
    float distance = 0.0f;                                    // from the player: nearer jobs go first
};

// A finished job, handed back whole.
struct ChunkResult {
    ChunkJob::Kind kind = ChunkJob::Kind::Blocks;
    ListKey key;
    std::shared_ptr<uint8_t[]> blocks;  // Blocks
    uint32_t writeCount = 0;            // Blocks
    CubeLists lists;                    // Lists
};

// Background threads that generate blocks and scan lists. Each job is taken
// by one thread, nearest first, works only on blocks nobody writes any more
// and on storage of its own, and comes back as one result; jobs waiting
// their turn can be taken back.
class ChunkWorkers {
public:
    ChunkWorkers() = default;
    ~ChunkWorkers() { Stop(); }
    ChunkWorkers(const ChunkWorkers&) = delete;
    ChunkWorkers& operator=(const ChunkWorkers&) = delete;

    // Starts up to `threads` threads that build chunks as the world's
    // settings say; false when none could be started.
    bool Start(unsigned threads, const WorldSettings& settings);
    // Drops the waiting jobs, lets the running ones end and joins the threads.
    void Stop();
    unsigned Threads() const { return static_cast<unsigned>(threads_.size()); }

    // Appends the jobs no thread has taken yet to `out` and forgets them.
    void Withdraw(std::vector<ChunkJob>& out);
    // Queues jobs; the nearest waiting job is taken first.
    void Submit(std::vector<ChunkJob>& jobs);
    // Moves the finished results to `out`. With `wait`, first waits until
    // every job handed out has finished (or the workers are held). Storage
    // that ran out on a worker stops them all and ends the program here,
    // on the calling thread, with the out-of-memory message.
    void TakeFinished(std::vector<ChunkResult>& out, bool wait);
    // While held no thread takes a new job (tests hold them to see a world
    // whose work is still outstanding).
    void Hold(bool held);

private:
    void Work(const WorldSettings& settings);
    void WorkUntilStopped(const WorldSettings& settings);
    void NoteOutOfMemory();

    std::mutex mutex_;
    std::condition_variable jobsChanged_;
    std::condition_variable resultsChanged_;
    std::vector<ChunkJob> waiting_;  // a heap, nearest on top
    std::vector<ChunkResult> finished_;
    unsigned running_ = 0;
    bool stopping_ = false;
    bool held_ = false;
    bool outOfMemory_ = false;  // a worker could not have the storage it needed
    std::vector<std::thread> threads_;
};

// The work one job does, on a thread's own generator and scratch chunks.
class ChunkBuilder {
public:
    explicit ChunkBuilder(const WorldSettings& settings);
    ~ChunkBuilder();
    ChunkBuilder(const ChunkBuilder&) = delete;
    ChunkBuilder& operator=(const ChunkBuilder&) = delete;

    ChunkResult Build(const ChunkJob& job);

private:
    ChunkResult BuildBlocks(const ChunkJob& job);
    ChunkResult BuildLists(const ChunkJob& job);

    WorldSettings settings_;
    std::unique_ptr<TerrainGenerator> generator_;
    Chunk own_;
    Chunk sides_[ListKey::kSides];
};
