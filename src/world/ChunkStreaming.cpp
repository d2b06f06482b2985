// The two budgeted work queues and the moving window of chunks.
#include "world/Chunk.h"
#include "world/ChunkStreamer.h"
#include "world/TerrainGenerator.h"
#include "world/VoxelWorld.h"

void VoxelWorld::Update(float x, float y, float z) {
    if (chunks_.empty()) {
        return;
    }
    lastPosition_ = Vec3{x, y, z};
    UpdateChunkWindow();
    if (streamer_ != nullptr) {
        streamer_->Update(*this, false);
        return;
    }
    if (!generationQueue_.empty()) {
        const int32_t loadSpeed = settings_.loadSpeed;
        if (loadSpeed > 0) {
            RunGeneration(loadSpeed);
        }
        if (generationQueue_.empty()) {
            EnqueueDirtyChunks();
        }
    }
    const int32_t updateSpeed = settings_.updateSpeed;
    if (!rebuildQueue_.empty() && updateSpeed > 0) {
        RunRebuilds(updateSpeed);
    }
}

int32_t VoxelWorld::GenerateFront(int32_t budget) {
    const int32_t work = generator_->Generate(settings_.mapGenerationMethod, generationQueue_.front(), budget);
    if (!generator_->IsBusy()) {
        generationQueue_.pop_front();
    }
    return work;
}

int32_t VoxelWorld::RebuildFront(int32_t budget) {
    Chunk* chunk = rebuildQueue_.front();
    const int32_t work = chunk->BuildVisibleCubes(budget);
    if (!chunk->IsQueued()) {
        rebuildQueue_.pop_front();
    }
    return work;
}

// Every call gets the full budget; the loop stops once the sum reaches it, so
// a frame may do up to about twice the budget.
void VoxelWorld::RunGeneration(int32_t budget) {
    int64_t done = 0;
    do {
        if (generationQueue_.empty()) {
            break;
        }
        done += GenerateFront(budget);
    } while (done < budget);
}

void VoxelWorld::RunRebuilds(int32_t budget) {
    int64_t done = 0;
    do {
        if (rebuildQueue_.empty()) {
            break;
        }
        done += RebuildFront(budget);
    } while (done < budget);
}

// Visible-cube lists are rebuilt only once all pending generation is done.
void VoxelWorld::EnqueueDirtyChunks() {
    if (!generationQueue_.empty()) {
        return;
    }
    for (auto& entry : chunks_) {
        Chunk* chunk = entry.second;
        if (!chunk->IsQueued() && chunk->IsDirty() && chunk->HasContent()) {
            chunk->BeginRebuild();
            rebuildQueue_.push_back(chunk);
        }
    }
}

void VoxelWorld::UpdateChunkWindow() {
    const ChunkKey target =
        ChunkOfPosition(lastPosition_.x, lastPosition_.y, lastPosition_.z, chunkWidth_, chunkHeight_);
    if (target == centre_) {
        return;
    }
    const int32_t dx = wrapX_ ? target.x - centre_.x : 0;
    const int32_t dz = wrapZ_ ? target.z - centre_.z : 0;
    if (dx == 0 && dz == 0) {
        return;
    }
    for (auto& entry : chunks_) {
        Chunk* chunk = entry.second;
        const BlockPosition origin = OriginAfterShift(chunk->Origin(), dx, dz);
        if (!(origin == chunk->Origin())) {
            chunk->MoveTo(origin);
            if (streamer_ == nullptr) {
                generationQueue_.push_back(chunk);
            }
        }
    }
    centre_ = target;
}

// One layer per axis moves to the side the player walked towards.
BlockPosition VoxelWorld::OriginAfterShift(const BlockPosition& origin, int32_t dx, int32_t dz) const {
    const int32_t xLow = (centre_.x - chunksX_ / 2) * chunkWidth_;
    const int32_t xHigh = (centre_.x + chunksX_ / 2) * chunkWidth_;
    const int32_t zLow = (centre_.z - chunksZ_ / 2) * chunkWidth_;
    const int32_t zHigh = (centre_.z + chunksZ_ / 2) * chunkWidth_;
    const auto shift = [this](int32_t d, int32_t coordinate, int32_t low, int32_t high) {
        if (d > 0 && coordinate == low) {
            return high;
        }
        if (d < 0 && coordinate == high - chunkWidth_) {
            return low - chunkWidth_;
        }
        return coordinate;
    };
    return BlockPosition{shift(dx, origin.x, xLow, xHigh), origin.y, shift(dz, origin.z, zLow, zHigh)};
}

void VoxelWorld::PreGenerate(int32_t generationBudget, int32_t rebuildBudget) {
    while (!generationQueue_.empty()) {
        GenerateFront(generationBudget);
    }
    EnqueueDirtyChunks();
    while (!rebuildQueue_.empty()) {
        RebuildFront(rebuildBudget);
    }
}
