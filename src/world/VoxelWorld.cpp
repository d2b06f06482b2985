#include "world/VoxelWorld.h"

#include "world/Chunk.h"
#include "world/ChunkStreamer.h"
#include "world/CubeRenderer.h"
#include "world/Frustum.h"
#include "world/TerrainGenerator.h"
#include "world/WorkerThreads.h"
#include "world/WorldSettings.h"
#include "platform/ErrorMessage.h"

VoxelWorld::VoxelWorld()
    : chunksX_(0),
      chunksY_(0),
      chunksZ_(0),
      blocksPerChunk_(0),
      worldHeight_(0),
      chunkWidth_(0),
      chunkHeight_(0),
      lastPosition_(),
      wrapX_(false),
      wrapY_(false),
      wrapZ_(false),
      centre_(),
      chunkCount_(0),
      cubesDrawn_(0),
      chunksDrawn_(0),
      trianglesDrawn_(0),
      renderFaces_(false),
      frustum_(nullptr),
      renderer_(nullptr),
      generator_(nullptr),
      streamer_(nullptr),
      statisticsCallback_(this, &VoxelWorld::FillStatisticsLine) {}

VoxelWorld::~VoxelWorld() { Shutdown(); }

bool VoxelWorld::Initialize(const WorldSettings& settings, RenderDevice* device) {
    settings_ = settings;
    if (!ValidateWorldSettings(settings_)) {
        return false;
    }
    ComputeCounts();
    StartStreamer();
    BuildWorld();
    frustum_ = new Frustum();
    generator_ = new TerrainGenerator();
    generator_->Initialize(settings_.mapSeed, chunkWidth_, chunkHeight_, SeedRuleOf(settings_));
    if (device != nullptr) {
        renderer_ = new CubeRenderer();
        if (!renderer_->Initialize(device, blocksPerChunk_, CubeLookOf(settings_))) {
            return false;
        }
        if (renderFaces_ && !renderer_->InitializeFaces(*device)) {
            return false;
        }
    }
    if (streamer_ != nullptr) {
        streamer_->Update(*this, false);  // the threads start on the nearest chunks now
        while (!settings_.instantStart && !streamer_->IsComplete()) {
            streamer_->Update(*this, true);
        }
    } else if (!settings_.instantStart) {
        PreGenerateInParallel(HardwareThreads());
    }
    RegisterCallback(&statisticsCallback_);
    return true;
}

void VoxelWorld::ComputeCounts() {
    const WorldSettings& settings = settings_;
    chunkWidth_ = settings.chunkWidth;
    chunkHeight_ = settings.chunkHeight;
    worldHeight_ = static_cast<uint32_t>(settings.chunkHeight);
    chunksX_ = static_cast<int32_t>(settings.terrainWidth / static_cast<uint32_t>(chunkWidth_));
    chunksZ_ = chunksX_;
    chunksY_ = static_cast<int32_t>(worldHeight_ / static_cast<uint32_t>(chunkHeight_));
    blocksPerChunk_ = static_cast<uint32_t>(chunkWidth_ * chunkWidth_ * chunkHeight_);
    centre_ = ChunkKey{chunksX_ / 2, chunksY_ / 2, chunksZ_ / 2};
    wrapX_ = settings.infiniteTerrain;
    wrapZ_ = settings.infiniteTerrain;
    wrapY_ = false;
    renderFaces_ = settings.renderFaces;
    // The player starts over the corner of the centre chunk.
    lastPosition_ = Vec3{static_cast<float>(centre_.x * chunkWidth_), static_cast<float>((centre_.y + 1) * chunkHeight_),
                         static_cast<float>(centre_.z * chunkWidth_)};
}

// More threads than the machine runs at once would only take turns, and
// take the main thread's turns too.
void VoxelWorld::StartStreamer() {
    if (settings_.streamThreads <= 0) {
        return;
    }
    const unsigned threads = std::min(static_cast<unsigned>(settings_.streamThreads), HardwareThreads());
    streamer_ = new ChunkStreamer();
    if (!streamer_->Initialize(settings_, threads)) {
        ReportDiagnostic("could not start the stream threads: the main thread streams the world");
        delete streamer_;
        streamer_ = nullptr;
    }
}

uint32_t VoxelWorld::ChunksNotListedAtOrigin() const {
    uint32_t count = 0;
    for (const auto& entry : chunks_) {
        count += entry.second->IsListedAtOrigin() ? 0 : 1;
    }
    return count;
}

bool VoxelWorld::IsComplete() const {
    return streamer_ != nullptr ? streamer_->IsComplete() : generationQueue_.empty() && rebuildQueue_.empty();
}

// Chunks are created z-outermost, x-innermost; the generation queue starts in
// that order. Streamed in the background, they start on one shared grid of
// air and take over finished grids whole.
void VoxelWorld::BuildWorld() {
    std::shared_ptr<uint8_t[]> air;
    if (streamer_ != nullptr) {
        air = std::make_shared<uint8_t[]>(static_cast<size_t>(blocksPerChunk_));
    }
    for (int32_t z = 0; z < chunksZ_; ++z) {
        for (int32_t y = 0; y < chunksY_; ++y) {
            for (int32_t x = 0; x < chunksX_; ++x) {
                Chunk* chunk = new Chunk();
                if (streamer_ != nullptr) {
                    chunk->Initialize(chunkWidth_, chunkHeight_, air);
                } else {
                    chunk->Initialize(chunkWidth_, chunkHeight_);
                    generationQueue_.push_back(chunk);
                }
                chunk->MoveTo(BlockPosition{x * chunkWidth_, y * chunkHeight_, z * chunkWidth_});
                if (renderFaces_) {
                    chunk->EnableFaceQuads(QuadOptionsOf(settings_));
                }
                chunks_[ChunkKey{x, y, z}] = chunk;
                ++chunkCount_;
            }
        }
    }
    LinkNeighbours();
}

// The chunk one step along an axis from a slot, wrapping to the opposite
// edge only when the axis wraps.
Chunk* VoxelWorld::SlotAt(int32_t x, int32_t y, int32_t z, int32_t n, bool wrap, Axis axis) {
    int32_t* coordinate = axis == Axis::X ? &x : (axis == Axis::Y ? &y : &z);
    if (*coordinate < 0 || *coordinate >= n) {
        if (!wrap) {
            return nullptr;
        }
        *coordinate = *coordinate < 0 ? n - 1 : 0;
    }
    return FindChunk(ChunkKey{x, y, z});
}

void VoxelWorld::LinkNeighbours() {
    for (int32_t z = 0; z < chunksZ_; ++z) {
        for (int32_t y = 0; y < chunksY_; ++y) {
            for (int32_t x = 0; x < chunksX_; ++x) {
                Chunk* chunk = FindChunk(ChunkKey{x, y, z});
                chunk->SetNeighbour(Direction::XMinus, SlotAt(x - 1, y, z, chunksX_, wrapX_, Axis::X));
                chunk->SetNeighbour(Direction::XPlus, SlotAt(x + 1, y, z, chunksX_, wrapX_, Axis::X));
                chunk->SetNeighbour(Direction::ZMinus, SlotAt(x, y, z - 1, chunksZ_, wrapZ_, Axis::Z));
                chunk->SetNeighbour(Direction::ZPlus, SlotAt(x, y, z + 1, chunksZ_, wrapZ_, Axis::Z));
                chunk->SetNeighbour(Direction::YPlus, SlotAt(x, y + 1, z, chunksY_, wrapY_, Axis::Y));
                chunk->SetNeighbour(Direction::YMinus, SlotAt(x, y - 1, z, chunksY_, wrapY_, Axis::Y));
            }
        }
    }
}

uint64_t VoxelWorld::BytesUploaded() const { return renderer_ != nullptr ? renderer_->BytesUploaded() : 0; }

void VoxelWorld::Shutdown() {
    RemoveCallback(&statisticsCallback_);
    if (streamer_ != nullptr) {
        streamer_->Shutdown();  // no thread reads a chunk's blocks from here on
        delete streamer_;
        streamer_ = nullptr;
    }
    for (auto& entry : chunks_) {
        entry.second->Shutdown();
        delete entry.second;
    }
    chunks_.clear();
    generationQueue_.clear();
    rebuildQueue_.clear();
    if (generator_ != nullptr) {
        generator_->Shutdown();
        delete generator_;
        generator_ = nullptr;
    }
    if (renderer_ != nullptr) {
        renderer_->Shutdown();
        delete renderer_;
        renderer_ = nullptr;
    }
    delete frustum_;
    frustum_ = nullptr;
}

Chunk* VoxelWorld::FindChunk(const ChunkKey& slot) {
    const auto found = chunks_.find(slot);
    return found == chunks_.end() ? nullptr : found->second;
}

const Chunk* VoxelWorld::FindChunk(const ChunkKey& slot) const {
    const auto found = chunks_.find(slot);
    return found == chunks_.end() ? nullptr : found->second;
}

bool VoxelWorld::IsBlockSolid(int32_t x, int32_t y, int32_t z) const {
    if (chunks_.empty()) {
        return false;
    }
    // The window; its vertical top is the world top, not centre + half.
    const int64_t w = chunkWidth_, h = chunkHeight_;
    const int64_t xLow = (static_cast<int64_t>(centre_.x) - chunksX_ / 2) * w;
    const int64_t xHigh = (static_cast<int64_t>(centre_.x) + chunksX_ / 2) * w;
    const int64_t zLow = (static_cast<int64_t>(centre_.z) - chunksZ_ / 2) * w;
    const int64_t zHigh = (static_cast<int64_t>(centre_.z) + chunksZ_ / 2) * w;
    const int64_t yLow = (static_cast<int64_t>(centre_.y) - chunksY_ / 2) * h;
    const int64_t yHigh = static_cast<int64_t>(chunksY_) * h;
    if (x < xLow || x >= xHigh || y < yLow || y >= yHigh || z < zLow || z >= zHigh) {
        return false;
    }
    const ChunkKey slot{FloorModulo(FloorDivide(x, chunkWidth_), chunksX_),
                        FloorModulo(FloorDivide(y, chunkHeight_), chunksY_),
                        FloorModulo(FloorDivide(z, chunkWidth_), chunksZ_)};
    const Chunk* chunk = FindChunk(slot);
    return chunk->Block(FloorModulo(x, chunkWidth_), FloorModulo(y, chunkHeight_), FloorModulo(z, chunkWidth_)) != 0;
}
