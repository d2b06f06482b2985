#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "world/ChunkWorkers.h"

class VoxelWorld;
struct WorldSettings;

// Streaming on background threads. The main thread only decides what is
// missing, hands it out nearest the player first, and installs what comes
// back finished: a chunk's blocks and lists are swapped in whole, so that a
// chunk is drawn with the lists of the blocks at its origin or not at all.
// Blocks are made for the window and for the layer around it, and the lists
// of each layer that would enter the window at the next step ahead of time,
// so that a step of the window finds its new chunks ready.
class ChunkStreamer {
public:
    ChunkStreamer();
    ~ChunkStreamer();
    ChunkStreamer(const ChunkStreamer&) = delete;
    ChunkStreamer& operator=(const ChunkStreamer&) = delete;

    // Starts `threads` workers that build chunks as the world's settings say.
    bool Initialize(const WorldSettings& settings, unsigned threads);
    void Shutdown();  // joins the workers; work in flight is dropped

    // After the window moved for this frame: takes the finished work in,
    // installs what is complete and hands out what is missing. With `wait`
    // it first waits for work to finish (the start-up's pre-generation).
    void Update(VoxelWorld& world, bool wait);
    // Every chunk of the window has the lists of its current neighbourhood.
    bool IsComplete() const { return complete_; }
    ChunkWorkers& Workers() { return workers_; }

private:
    // What the main thread knows about one chunk of the window.
    struct Slot {
        Chunk* chunk = nullptr;
        ListKey wanted;  // the neighbourhood its lists must be made from
        bool hasBlocks = false;
        BlockPosition blocksOrigin;
        bool hasLists = false;
        ListKey listKey;
        bool NeedsLists() const { return !hasLists || !(listKey == wanted); }
    };
    struct Blocks {
        std::shared_ptr<uint8_t[]> data;
        uint32_t writeCount = 0;
    };
    // One thing the window wants made, in the order of planning: blocks at
    // an origin, the lists of a slot, or lists ahead of a step.
    struct Wanted {
        enum class Kind { Blocks, SlotLists, AheadLists };
        Kind kind;
        uint32_t index;  // into wantedOrigins_, slots_ or aheadLists_
        float distance;
    };

    void AttachSlots(const VoxelWorld& world);
    void RefreshWanted(const VoxelWorld& world);
    void ForgetUnwanted();
    void Accept(ChunkResult& result);
    void InstallReady();
    void Install(Slot& slot);
    void OrderWanted();
    void Plan(bool stepped);
    size_t InFlight() const { return blocksInFlight_.size() + listsInFlight_.size(); }
    void WithdrawWaiting();
    bool IsMade(const Wanted& wanted) const;
    // Adds the job that makes `wanted` unless it is on its way or cannot start yet.
    void AddJob(const Wanted& wanted, std::vector<ChunkJob>& jobs) const;
    void AddListsJob(const ListKey& key, float distance, std::vector<ChunkJob>& jobs) const;
    float DistanceTo(const BlockPosition& origin) const;

    ChunkWorkers workers_;
    int32_t chunkWidth_;
    std::vector<Slot> slots_;
    std::unordered_map<BlockPosition, uint32_t, BlockPositionHash> slotAt_;  // by wanted origin
    std::vector<uint32_t> toInstall_;  // slots that something arrived for
    size_t slotsWithoutLists_;         // of the current neighbourhood
    ChunkKey centre_;
    bool planned_;
    bool complete_;
    float playerX_;
    float playerZ_;
    std::unordered_map<BlockPosition, Blocks, BlockPositionHash> blocks_;
    std::unordered_map<ListKey, CubeLists, ListKeyHash> lists_;
    std::unordered_set<BlockPosition, BlockPositionHash> wantedBlocks_;
    std::unordered_set<ListKey, ListKeyHash> wantedLists_;
    std::vector<BlockPosition> wantedOrigins_;
    std::vector<ListKey> aheadLists_;  // of the chunks that enter the window at a step
    std::vector<Wanted> order_;        // nearest first
    size_t madeBefore_;                // everything in order_ before this is made
    std::unordered_set<BlockPosition, BlockPositionHash> blocksInFlight_;
    std::unordered_set<ListKey, ListKeyHash> listsInFlight_;
};
