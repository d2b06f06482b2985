#include "world/ChunkWorkers.h"

#include <algorithm>
#include <new>
#include <system_error>
#include <utility>

#include "platform/ErrorMessage.h"
#include "platform/ThreadPriority.h"
#include "world/TerrainGenerator.h"

namespace {
size_t Mix(size_t hash, int32_t value) {
    return (hash ^ static_cast<uint32_t>(value)) * 0x100000001b3ull;
}

size_t HashOf(const BlockPosition& position, size_t hash) {
    return Mix(Mix(Mix(hash, position.x), position.y), position.z);
}

constexpr size_t kHashBasis = 0xcbf29ce484222325ull;

bool Farther(const ChunkJob& a, const ChunkJob& b) { return a.distance > b.distance; }
}  // namespace

bool operator==(const ListKey& a, const ListKey& b) {
    if (!(a.own == b.own)) {
        return false;
    }
    for (int side = 0; side < ListKey::kSides; ++side) {
        if (a.present[side] != b.present[side] || (a.present[side] && !(a.sides[side] == b.sides[side]))) {
            return false;
        }
    }
    return true;
}

size_t ListKeyHash::operator()(const ListKey& key) const {
    size_t hash = HashOf(key.own, kHashBasis);
    for (int side = 0; side < ListKey::kSides; ++side) {
        hash = key.present[side] ? HashOf(key.sides[side], hash) : Mix(hash, -1);
    }
    return hash;
}

size_t BlockPositionHash::operator()(const BlockPosition& position) const { return HashOf(position, kHashBasis); }

bool ChunkWorkers::Start(unsigned threads, const WorldSettings& settings) {
    stopping_ = false;
    for (unsigned i = 0; i < threads; ++i) {
        try {
            threads_.emplace_back([this, settings] { Work(settings); });
        } catch (const std::system_error&) {
            break;
        }
    }
    return !threads_.empty();
}

void ChunkWorkers::Stop() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        waiting_.clear();
    }
    jobsChanged_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
    threads_.clear();
    finished_.clear();
}

void ChunkWorkers::Withdraw(std::vector<ChunkJob>& out) {
    const std::lock_guard<std::mutex> lock(mutex_);
    for (ChunkJob& job : waiting_) {
        out.push_back(std::move(job));
    }
    waiting_.clear();
}

void ChunkWorkers::Submit(std::vector<ChunkJob>& jobs) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        for (ChunkJob& job : jobs) {
            waiting_.push_back(std::move(job));
            std::push_heap(waiting_.begin(), waiting_.end(), Farther);
        }
    }
    jobs.clear();
    jobsChanged_.notify_all();
}

void ChunkWorkers::TakeFinished(std::vector<ChunkResult>& out, bool wait) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (wait) {
        resultsChanged_.wait(lock, [this] {
            return (running_ == 0 && (waiting_.empty() || held_)) || threads_.empty() || outOfMemory_;
        });
    }
    if (outOfMemory_) {
        lock.unlock();
        Stop();
        ExitOutOfMemory();
    }
    for (ChunkResult& result : finished_) {
        out.push_back(std::move(result));
    }
    finished_.clear();
}

void ChunkWorkers::Hold(bool held) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        held_ = held;
    }
    jobsChanged_.notify_all();
    resultsChanged_.notify_all();
}

// A worker that runs out of storage says so and ends; the others go on
// until the main thread takes the results and stops them.
void ChunkWorkers::Work(const WorldSettings& settings) {
    const WorkerThreadScope worker;
    LowerThreadPriority();
    try {
        WorkUntilStopped(settings);
    } catch (const OutOfMemoryOnWorker&) {
        NoteOutOfMemory();
    } catch (const std::bad_alloc&) {
        NoteOutOfMemory();
    }
}

void ChunkWorkers::NoteOutOfMemory() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        outOfMemory_ = true;
    }
    resultsChanged_.notify_all();
}

void ChunkWorkers::WorkUntilStopped(const WorldSettings& settings) {
    ChunkBuilder builder(settings);
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
        jobsChanged_.wait(lock, [this] { return stopping_ || (!held_ && !waiting_.empty()); });
        if (stopping_) {
            return;
        }
        std::pop_heap(waiting_.begin(), waiting_.end(), Farther);
        const ChunkJob job = std::move(waiting_.back());
        waiting_.pop_back();
        ++running_;
        lock.unlock();
        ChunkResult result = builder.Build(job);
        lock.lock();
        --running_;
        finished_.push_back(std::move(result));
        resultsChanged_.notify_all();
    }
}

ChunkBuilder::ChunkBuilder(const WorldSettings& settings) : settings_(settings), generator_(new TerrainGenerator()) {
    generator_->Initialize(settings.mapSeed, settings.chunkWidth, settings.chunkHeight, SeedRuleOf(settings));
    own_.Initialize(settings.chunkWidth, settings.chunkHeight, nullptr);
    for (Chunk& side : sides_) {
        side.Initialize(settings.chunkWidth, settings.chunkHeight, nullptr);
    }
    if (settings.renderFaces) {
        own_.EnableFaceQuads(QuadOptionsOf(settings));
    }
}

ChunkBuilder::~ChunkBuilder() { generator_->Shutdown(); }

ChunkResult ChunkBuilder::Build(const ChunkJob& job) {
    return job.kind == ChunkJob::Kind::Blocks ? BuildBlocks(job) : BuildLists(job);
}

// Fresh storage for every chunk: the blocks leave with the result.
ChunkResult ChunkBuilder::BuildBlocks(const ChunkJob& job) {
    const BlockGrid& grid = own_.Grid();
    own_.AdoptBlocks(std::make_shared_for_overwrite<uint8_t[]>(grid.count), 0);  // every byte is written
    own_.MoveTo(job.key.own);
    generator_->GenerateWhole(settings_.mapGenerationMethod, &own_);
    ChunkResult result;
    result.kind = ChunkJob::Kind::Blocks;
    result.key = job.key;
    result.blocks = grid.data;
    result.writeCount = grid.writeCount;
    own_.AdoptBlocks(nullptr, 0);
    return result;
}

// The scan reads the blocks through the scratch chunks' links, as a chunk of
// the world reads its neighbours'.
ChunkResult ChunkBuilder::BuildLists(const ChunkJob& job) {
    own_.AdoptBlocks(job.blocks[0], 1);
    own_.MoveTo(job.key.own);
    for (int side = 0; side < ListKey::kSides; ++side) {
        Chunk* neighbour = job.key.present[side] ? &sides_[side] : nullptr;
        if (neighbour != nullptr) {
            neighbour->AdoptBlocks(job.blocks[1 + side], 1);
        }
        own_.SetNeighbour(ListKey::kSideDirections[side], neighbour);
    }
    own_.BeginRebuild();
    own_.FinishRebuild();
    ChunkResult result;
    result.kind = ChunkJob::Kind::Lists;
    result.key = job.key;
    result.lists = own_.TakeLists();
    own_.AdoptBlocks(nullptr, 0);
    for (Chunk& side : sides_) {
        side.AdoptBlocks(nullptr, 0);
    }
    return result;
}
