// Per-frame culling and drawing of the chunks, and the statistics line.
#include <cstdio>

#include "text/OverlayRegistry.h"
#include "world/Chunk.h"
#include "world/CubeRenderer.h"
#include "world/Frustum.h"
#include "world/VoxelWorld.h"

namespace {
constexpr uint32_t kIndicesPerCube = 36;
constexpr uint32_t kStatisticsLineId = 4;
constexpr int kStatisticsLineLength = 100;
constexpr uint32_t kStatisticsLineX = 10;
constexpr uint32_t kStatisticsLineY = 110;
}  // namespace

void VoxelWorld::Render(RenderDevice& device, const Matrix4& world, const Matrix4& view,
                        const Matrix4& projection) {
    if (chunks_.empty()) {
        return;
    }
    chunksDrawn_ = 0;
    cubesDrawn_ = 0;
    frustum_->Build(view, projection);
    if (renderer_ != nullptr) {
        renderer_->SetMatrices(device, world, view, projection);
        renderer_->Bind(device);
    }
    DrawChunks(device);
}

// Chunks are walked in key order; the walk ends at the first chunk that has
// not been generated yet.
void VoxelWorld::DrawChunks(RenderDevice& device) {
    const Vec3 halfExtent{static_cast<float>(chunkWidth_) / 2.0f, static_cast<float>(chunkHeight_) / 2.0f,
                          static_cast<float>(chunkWidth_) / 2.0f};
    for (const auto& entry : chunks_) {
        const Chunk* chunk = entry.second;
        if (!chunk->HasContent()) {
            break;
        }
        if (!frustum_->IsBoxVisible(chunk->Centre(), halfExtent)) {
            continue;
        }
        const uint32_t count = chunk->VisibleCount();
        if (count > 0 && renderer_ != nullptr && renderer_->UploadInstances(device, count, chunk->VisibleCubes())) {
            device.DrawIndexedInstanced(kIndicesPerCube, renderer_->InstanceCount(), 0, 0, 0);
        }
        chunksDrawn_ += 1;
        cubesDrawn_ += count;
    }
}

short VoxelWorld::FillStatisticsLine(OverlayLine* lines) {
    OverlayLine& line = lines[0];
    std::snprintf(line.text, sizeof line.text, "chunks rendered %3i / %3i (%6i cubes)", static_cast<int>(chunksDrawn_),
                  static_cast<int>(chunkCount_), static_cast<int>(cubesDrawn_));
    line.id = kStatisticsLineId;
    line.maximumLength = kStatisticsLineLength;
    line.x = kStatisticsLineX;
    line.y = kStatisticsLineY;
    return 1;
}

// One callback object for the process, bound to the first world registered.
void VoxelWorld::RegisterStatisticsLine() {
    static TSpecificCallback<VoxelWorld> callback(this, &VoxelWorld::FillStatisticsLine);
    RegisterCallback(&callback);
}
