// A chunk's exposed faces: per direction, the visible cubes whose neighbour
// that way is air, by the same neighbour rules as the visible-cube scan. The
// scan notes each listed cube's faces; finishing the scan sorts them into six
// lists kept one after another in one array.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <new>

#include "platform/ErrorMessage.h"
#include "world/Chunk.h"

namespace {
// Work units per listed cube for sorting its faces, in the units of the scan
// (one per block visited), so that both share one rebuild budget.
constexpr int32_t kFaceWorkPerCube = 4;
}  // namespace

int32_t Chunk::BuildFaceLists() {
    const size_t n = pending_.size();
    uint32_t counts[kFaceDirectionCount] = {};
    for (const uint8_t mask : pendingFaces_) {
        for (int direction = 0; direction < kFaceDirectionCount; ++direction) {
            counts[direction] += (mask >> direction) & 1u;
        }
    }
    for (int direction = 0; direction < kFaceDirectionCount; ++direction) {
        faceStart_[direction + 1] = faceStart_[direction] + counts[direction];
    }
    const uint32_t total = faceStart_[kFaceDirectionCount];
    if (faceCapacity_ < total || !faces_) {
        faces_.reset(new (std::nothrow) CubeInstance[total + 1]);
        if (!faces_) {
            ExitOutOfMemory();
        }
        faceCapacity_ = total + 1;
    }
    uint32_t next[kFaceDirectionCount];
    std::copy(faceStart_, faceStart_ + kFaceDirectionCount, next);
    for (size_t i = 0; i < n; ++i) {
        for (uint32_t mask = pendingFaces_[i]; mask != 0; mask &= mask - 1) {
            faces_[next[std::countr_zero(mask)]++] = pending_[i];
        }
    }
    pendingFaces_.clear();
    return static_cast<int32_t>(std::min<size_t>(n * kFaceWorkPerCube, INT32_MAX / 2));
}

uint32_t Chunk::FaceCount(FaceDirection direction) const {
    const int d = static_cast<int>(direction);
    return faceStart_[d + 1] - faceStart_[d];
}

const CubeInstance* Chunk::Faces(FaceDirection direction) const {
    return faces_.get() + faceStart_[static_cast<int>(direction)];
}
