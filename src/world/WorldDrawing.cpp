// Per-frame culling and drawing of the chunks, and the statistics line.
#include <cstdio>

#include "text/OverlayRegistry.h"
#include "world/Chunk.h"
#include "world/CubeRenderer.h"
#include "world/Frustum.h"
#include "world/VoxelWorld.h"

namespace {
constexpr uint32_t kIndicesPerCube = 36;
constexpr uint32_t kTrianglesPerCube = 12;
constexpr uint32_t kTrianglesPerFace = 2;
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

// A face can be seen only from the outer side of its plane. Every +x face of
// a chunk lies above the chunk box's low x side, every -x face below its high
// side, and so on: with the eye on the far side of the box on an axis, all
// faces of that direction turn away from it.
FaceLists FacesTowardsEye(const Chunk& chunk, const Vec3& low, const Vec3& high, const Vec3& eye) {
    const bool towards[6] = {eye.z > low.z, eye.z < high.z, eye.y > low.y, eye.y < high.y, eye.x > low.x,
                             eye.x < high.x};
    FaceLists lists;
    for (int face = 0; face < kFaceDirectionCount; ++face) {
        const FaceDirection direction = static_cast<FaceDirection>(face);
        lists.cubes[face] = chunk.Faces(direction);
        lists.counts[face] = towards[face] ? chunk.FaceCount(direction) : 0;
    }
    return lists;
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
    if (renderer_ != nullptr) {
        renderer_->SetMatrices(device, world, view, projection);
        renderer_->Bind(device);
    }
    DrawChunks(device, EyeOfView(view));
}

// Chunks are walked in key order; the walk ends at the first chunk that has
// not been generated yet.
void VoxelWorld::DrawChunks(RenderDevice& device, const Vec3& eye) {
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
        if (renderer_ != nullptr) {
            if (renderFaces_) {
                DrawChunkFaces(device, *chunk, eye);
            } else {
                DrawChunkCubes(device, *chunk);
            }
        }
        chunksDrawn_ += 1;
        cubesDrawn_ += chunk->VisibleCount();
    }
}

// One instanced draw of the whole cube per visible cube.
void VoxelWorld::DrawChunkCubes(RenderDevice& device, const Chunk& chunk) {
    const uint32_t count = chunk.VisibleCount();
    if (count > 0 && renderer_->UploadInstances(device, count, chunk.VisibleCubes())) {
        device.DrawIndexedInstanced(kIndicesPerCube, renderer_->InstanceCount(), 0, 0, 0);
        trianglesDrawn_ += kTrianglesPerCube * count;
    }
}

// One instanced draw per face direction that can face the eye.
void VoxelWorld::DrawChunkFaces(RenderDevice& device, const Chunk& chunk, const Vec3& eye) {
    const BlockPosition& origin = chunk.Origin();
    const Vec3 low{static_cast<float>(origin.x), static_cast<float>(origin.y), static_cast<float>(origin.z)};
    const Vec3 high = low + Vec3{static_cast<float>(chunkWidth_), static_cast<float>(chunkHeight_),
                                 static_cast<float>(chunkWidth_)};
    trianglesDrawn_ += kTrianglesPerFace * renderer_->DrawFaces(device, FacesTowardsEye(chunk, low, high, eye));
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
