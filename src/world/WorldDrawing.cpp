// Per-frame culling and drawing of the chunks, and the statistics line.
#include <algorithm>
#include <cstdio>

#include "text/OverlayRegistry.h"
#include "world/Chunk.h"
#include "world/ChunkStreamer.h"
#include "world/CubeRenderer.h"
#include "world/Frustum.h"
#include "world/VoxelWorld.h"

namespace {
constexpr uint32_t kIndicesPerCube = 36;
constexpr uint32_t kTrianglesPerCube = 12;
constexpr uint32_t kTrianglesPerQuad = 2;
constexpr uint32_t kStatisticsLineId = 4;
constexpr int kStatisticsLineLength = 100;
constexpr uint32_t kStatisticsLineX = 10;
constexpr uint32_t kStatisticsLineY = 110;

// The eye of a view matrix made of a rotation R (rows 0 to 2) and a
// translation t (row 3): the point e with e x R + t = 0, by Cramer's rule.
Vec3 EyeOfView(const Matrix4& view) {
    const Vec3 r0{view.m[0][0], view.m[0][1], view.m[0][2]};
    const Vec3 r1{view.m[1][0], view.m[1][1], view.m[1][2]};
    const Vec3 r2{view.m[2][0], view.m[2][1], view.m[2][2]};
    const Vec3 b{-view.m[3][0], -view.m[3][1], -view.m[3][2]};
    const float determinant = Dot(r0, Cross(r1, r2));
    if (determinant == 0.0f) {
        return Vec3{};
    }
    return Vec3{Dot(b, Cross(r1, r2)) / determinant, Dot(b, Cross(r2, r0)) / determinant,
                Dot(b, Cross(r0, r1)) / determinant};
}

}  // namespace

void VoxelWorld::Render(RenderDevice& device, const Matrix4& world, const Matrix4& view,
                        const Matrix4& projection) {
    if (chunks_.empty()) {
        return;
    }
    chunksDrawn_ = 0;
    cubesDrawn_ = 0;
    trianglesDrawn_ = 0;
    frustum_->Build(view, projection);
    const Vec3 eye = EyeOfView(view);
    if (renderer_ != nullptr) {
        renderer_->ResetUploadCount();
        renderer_->SetMatrices(device, world, view, projection);
        renderer_->SetFog(device, eye);
        renderer_->Bind(device);
    }
    DrawChunks(device, eye);
}

// Chunks are walked in key order; the walk ends at the first chunk that has
// not been generated yet. Streamed in the background, a chunk whose lists
// are not those of its blocks is passed over instead.
void VoxelWorld::DrawChunks(RenderDevice& device, const Vec3& eye) {
    const Vec3 halfExtent{static_cast<float>(chunkWidth_) / 2.0f, static_cast<float>(chunkHeight_) / 2.0f,
                          static_cast<float>(chunkWidth_) / 2.0f};
    drawList_.clear();
    for (const auto& entry : chunks_) {
        Chunk* chunk = entry.second;
        if (!IsDrawable(*chunk)) {
            if (streamer_ != nullptr) {
                continue;
            }
            break;
        }
        if (!frustum_->IsBoxVisible(chunk->Centre(), halfExtent)) {
            // Its quads go to the device now all the same, so that their
            // corners do not wait in memory until it comes into view.
            if (renderFaces_ && renderer_ != nullptr) {
                renderer_->UploadQuads(device, *chunk);
            }
            continue;
        }
        drawList_.push_back(chunk);
        chunksDrawn_ += 1;
        cubesDrawn_ += chunk->VisibleCount();
    }
    if (renderer_ == nullptr) {
        return;
    }
    if (!renderFaces_) {
        for (const Chunk* chunk : drawList_) {
            DrawChunkCubes(device, *chunk);
        }
        return;
    }
    // Nearer chunks first: what they hide then fails the depth test early.
    const auto distance = [&eye](const Chunk* chunk) {
        const Vec3 d = chunk->Centre() - eye;
        return Dot(d, d);
    };
    std::sort(drawList_.begin(), drawList_.end(),
              [&](const Chunk* a, const Chunk* b) { return distance(a) < distance(b); });
    renderer_->BindFaces(device);
    for (Chunk* chunk : drawList_) {
        trianglesDrawn_ += kTrianglesPerQuad * renderer_->DrawQuads(device, *chunk, eye);
    }
}

bool VoxelWorld::IsDrawable(const Chunk& chunk) const {
    return streamer_ != nullptr ? chunk.IsListedAtOrigin() : chunk.HasContent();
}

// One instanced draw of the whole cube per visible cube.
void VoxelWorld::DrawChunkCubes(RenderDevice& device, const Chunk& chunk) {
    const uint32_t count = chunk.VisibleCount();
    if (count > 0 && renderer_->UploadInstances(device, count, chunk.VisibleCubes())) {
        device.DrawIndexedInstanced(kIndicesPerCube, renderer_->InstanceCount(), 0, 0, 0);
        trianglesDrawn_ += kTrianglesPerCube * count;
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
