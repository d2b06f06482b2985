#include "world/ChunkStreamer.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "world/VoxelWorld.h"
#include "world/WorldSettings.h"

namespace {
// Jobs handed out per planning, per thread: enough to keep a thread busy
// until the next frame plans again, few enough that planning stays short.
constexpr size_t kJobsAheadPerThread = 256;

// The neighbourhood a chunk's lists are made from, after the window has
// stepped by (dx, dz) chunks (0, 0: as it stands).
ListKey KeyAfterStep(const VoxelWorld& world, const Chunk& chunk, int32_t dx, int32_t dz) {
    ListKey key;
    key.own = world.OriginAfterShift(chunk.Origin(), dx, dz);
    for (int side = 0; side < ListKey::kSides; ++side) {
        const Chunk* neighbour = chunk.Neighbour(ListKey::kSideDirections[side]);
        key.present[side] = neighbour != nullptr;
        if (neighbour != nullptr) {
            key.sides[side] = world.OriginAfterShift(neighbour->Origin(), dx, dz);
        }
    }
    return key;
}

constexpr int32_t kSteps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
}  // namespace

ChunkStreamer::ChunkStreamer()
    : chunkWidth_(0),
      slotsWithoutLists_(0),
      centre_(),
      planned_(false),
      complete_(false),
      playerX_(0.0f),
      playerZ_(0.0f),
      madeBefore_(0) {}

ChunkStreamer::~ChunkStreamer() { Shutdown(); }

bool ChunkStreamer::Initialize(const WorldSettings& settings, unsigned threads) {
    chunkWidth_ = settings.chunkWidth;
    return workers_.Start(threads, settings);
}

void ChunkStreamer::Shutdown() {
    workers_.Stop();
    slots_.clear();
    blocks_.clear();
    lists_.clear();
    blocksInFlight_.clear();
    listsInFlight_.clear();
    planned_ = false;
    complete_ = false;
}

void ChunkStreamer::Update(VoxelWorld& world, bool wait) {
    if (slots_.empty()) {
        AttachSlots(world);
    }
    std::vector<ChunkResult> results;
    workers_.TakeFinished(results, wait);
    const bool stepped = !planned_ || !(world.CentreChunk() == centre_);
    if (stepped) {
        RefreshWanted(world);
    }
    if (results.empty() && !stepped) {
        return;
    }
    for (ChunkResult& result : results) {
        Accept(result);
    }
    InstallReady();
    Plan(stepped);
}

void ChunkStreamer::AttachSlots(const VoxelWorld& world) {
    for (const auto& entry : world.Chunks()) {
        Slot slot;
        slot.chunk = entry.second;
        slots_.push_back(slot);
    }
}

// What the window needs now, and what it will need after one step either way.
void ChunkStreamer::RefreshWanted(const VoxelWorld& world) {
    centre_ = world.CentreChunk();
    planned_ = true;
    playerX_ = world.LastPosition().x;
    playerZ_ = world.LastPosition().z;
    wantedBlocks_.clear();
    wantedLists_.clear();
    aheadLists_.clear();
    slotAt_.clear();
    toInstall_.clear();
    for (uint32_t i = 0; i < slots_.size(); ++i) {
        Slot& slot = slots_[i];
        slot.wanted = KeyAfterStep(world, *slot.chunk, 0, 0);
        wantedBlocks_.insert(slot.wanted.own);
        wantedLists_.insert(slot.wanted);
        slotAt_[slot.wanted.own] = i;
        toInstall_.push_back(i);
    }
    for (const auto& step : kSteps) {
        for (const Slot& slot : slots_) {
            const ListKey ahead = KeyAfterStep(world, *slot.chunk, step[0], step[1]);
            if (!(ahead.own == slot.wanted.own)) {
                wantedBlocks_.insert(ahead.own);
                wantedLists_.insert(ahead);
                aheadLists_.push_back(ahead);
            }
        }
    }
    slotsWithoutLists_ = static_cast<size_t>(
        std::count_if(slots_.begin(), slots_.end(), [](const Slot& slot) { return slot.NeedsLists(); }));
    ForgetUnwanted();
    OrderWanted();
}

// The window comes first, nearest first, then what lies ahead of a step; a
// chunk's lists go before the blocks of chunks half a chunk further out.
void ChunkStreamer::OrderWanted() {
    constexpr float kAhead = 1.0e9f;
    const float listsFirst = 0.5f * static_cast<float>(chunkWidth_);
    wantedOrigins_.assign(wantedBlocks_.begin(), wantedBlocks_.end());
    order_.clear();
    for (uint32_t i = 0; i < wantedOrigins_.size(); ++i) {
        const float ahead = slotAt_.count(wantedOrigins_[i]) != 0 ? 0.0f : kAhead;
        order_.push_back(Wanted{Wanted::Kind::Blocks, i, DistanceTo(wantedOrigins_[i]) + ahead});
    }
    for (uint32_t i = 0; i < slots_.size(); ++i) {
        order_.push_back(Wanted{Wanted::Kind::SlotLists, i, DistanceTo(slots_[i].wanted.own) - listsFirst});
    }
    for (uint32_t i = 0; i < aheadLists_.size(); ++i) {
        order_.push_back(Wanted{Wanted::Kind::AheadLists, i, DistanceTo(aheadLists_[i].own) - listsFirst + kAhead});
    }
    std::stable_sort(order_.begin(), order_.end(),
                     [](const Wanted& a, const Wanted& b) { return a.distance < b.distance; });
    madeBefore_ = 0;
}

void ChunkStreamer::ForgetUnwanted() {
    std::erase_if(blocks_, [this](const auto& entry) { return wantedBlocks_.count(entry.first) == 0; });
    std::erase_if(lists_, [this](const auto& entry) { return wantedLists_.count(entry.first) == 0; });
}

void ChunkStreamer::Accept(ChunkResult& result) {
    const auto slot = slotAt_.find(result.key.own);
    if (slot != slotAt_.end()) {
        toInstall_.push_back(slot->second);
    }
    if (result.kind == ChunkJob::Kind::Blocks) {
        blocksInFlight_.erase(result.key.own);
        if (wantedBlocks_.count(result.key.own) != 0) {
            blocks_[result.key.own] = Blocks{std::move(result.blocks), result.writeCount};
        }
        return;
    }
    listsInFlight_.erase(result.key);
    if (wantedLists_.count(result.key) != 0) {
        lists_[result.key] = std::move(result.lists);
    }
}

void ChunkStreamer::InstallReady() {
    for (const uint32_t index : toInstall_) {
        Slot& slot = slots_[index];
        const bool hadLists = !slot.NeedsLists();
        Install(slot);
        if (!hadLists && !slot.NeedsLists()) {
            --slotsWithoutLists_;
        }
    }
    toInstall_.clear();
    complete_ = slotsWithoutLists_ == 0;
}

void ChunkStreamer::Install(Slot& slot) {
    const BlockPosition& origin = slot.wanted.own;
    if (!slot.hasBlocks || !(slot.blocksOrigin == origin)) {
        const auto found = blocks_.find(origin);
        if (found != blocks_.end()) {
            slot.chunk->AdoptBlocks(found->second.data, found->second.writeCount);
            slot.hasBlocks = true;
            slot.blocksOrigin = origin;
        }
    }
    if (slot.NeedsLists() && slot.hasBlocks && slot.blocksOrigin == origin) {
        const auto found = lists_.find(slot.wanted);
        if (found != lists_.end()) {
            slot.chunk->AdoptLists(std::move(found->second), origin);
            lists_.erase(found);
            slot.hasLists = true;
            slot.listKey = slot.wanted;
        }
    }
}

// Hands out the nearest things missing that can be made now, up to a number
// in flight. After a step the waiting jobs are taken back first: what they
// make may no longer be wanted, and the order changed.
void ChunkStreamer::Plan(bool stepped) {
    if (stepped) {
        WithdrawWaiting();
    }
    const size_t limit = kJobsAheadPerThread * std::max(1u, workers_.Threads());
    while (madeBefore_ < order_.size() && IsMade(order_[madeBefore_])) {
        ++madeBefore_;
    }
    std::vector<ChunkJob> jobs;
    for (size_t i = madeBefore_; i < order_.size() && InFlight() + jobs.size() < limit; ++i) {
        if (!IsMade(order_[i])) {
            AddJob(order_[i], jobs);
        }
    }
    for (const ChunkJob& job : jobs) {
        if (job.kind == ChunkJob::Kind::Blocks) {
            blocksInFlight_.insert(job.key.own);
        } else {
            listsInFlight_.insert(job.key);
        }
    }
    workers_.Submit(jobs);
}

void ChunkStreamer::WithdrawWaiting() {
    std::vector<ChunkJob> withdrawn;
    workers_.Withdraw(withdrawn);
    for (const ChunkJob& job : withdrawn) {
        if (job.kind == ChunkJob::Kind::Blocks) {
            blocksInFlight_.erase(job.key.own);
        } else {
            listsInFlight_.erase(job.key);
        }
    }
}

bool ChunkStreamer::IsMade(const Wanted& wanted) const {
    switch (wanted.kind) {
    case Wanted::Kind::Blocks:
        return blocks_.count(wantedOrigins_[wanted.index]) != 0;
    case Wanted::Kind::SlotLists:
        return !slots_[wanted.index].NeedsLists();
    case Wanted::Kind::AheadLists:
        return lists_.count(aheadLists_[wanted.index]) != 0;
    }
    return true;
}

void ChunkStreamer::AddJob(const Wanted& wanted, std::vector<ChunkJob>& jobs) const {
    if (wanted.kind == Wanted::Kind::SlotLists) {
        AddListsJob(slots_[wanted.index].wanted, wanted.distance, jobs);
        return;
    }
    if (wanted.kind == Wanted::Kind::AheadLists) {
        AddListsJob(aheadLists_[wanted.index], wanted.distance, jobs);
        return;
    }
    const BlockPosition& origin = wantedOrigins_[wanted.index];
    if (blocksInFlight_.count(origin) == 0) {
        ChunkJob job;
        job.kind = ChunkJob::Kind::Blocks;
        job.key.own = origin;
        job.distance = wanted.distance;
        jobs.push_back(std::move(job));
    }
}

// Only once every block it reads is made.
void ChunkStreamer::AddListsJob(const ListKey& key, float distance, std::vector<ChunkJob>& jobs) const {
    if (lists_.count(key) != 0 || listsInFlight_.count(key) != 0) {
        return;
    }
    ChunkJob job;
    job.kind = ChunkJob::Kind::Lists;
    job.key = key;
    for (int part = 0; part <= ListKey::kSides; ++part) {
        if (part > 0 && !key.present[part - 1]) {
            continue;
        }
        const auto found = blocks_.find(part == 0 ? key.own : key.sides[part - 1]);
        if (found == blocks_.end()) {
            return;
        }
        job.blocks[part] = found->second.data;
    }
    job.distance = distance;
    jobs.push_back(std::move(job));
}

// Horizontal distance from the player to the chunk's centre.
float ChunkStreamer::DistanceTo(const BlockPosition& origin) const {
    const float half = 0.5f * static_cast<float>(chunkWidth_);
    return std::hypot(static_cast<float>(origin.x) + half - playerX_, static_cast<float>(origin.z) + half - playerZ_);
}
