// A chunk's exposed faces: per direction, the visible cubes whose neighbour
// that way is air, by the same neighbour rules as the visible-cube scan. The
// scan notes each listed cube's faces; finishing the scan sorts them into six
// lists kept one after another in one array, each ordered along its
// direction's axis so that the faces turned towards an eye form one run.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <new>
#include <vector>

#include "platform/ErrorMessage.h"
#include "world/Chunk.h"

namespace {
// Work units per listed cube for sorting its faces, in the units of the scan
// (one per block visited), so that both share one rebuild budget.
constexpr int32_t kFaceWorkPerCube = 4;

}  // namespace

// A counting sort per direction by the local coordinate along its axis; the
// scan order is kept among equal coordinates.
int32_t Chunk::BuildFaceLists() {
    const size_t n = pending_.size();
    const int32_t origin[3] = {origin_.x, origin_.y, origin_.z};
    const int32_t extent[3] = {static_cast<int32_t>(grid_.width), static_cast<int32_t>(grid_.height),
                               static_cast<int32_t>(grid_.width)};
    const size_t keys = static_cast<size_t>(std::max(extent[0], extent[1]));
    // Local coordinate of a listed cube along an axis, kept inside the chunk
    // even where the float positions have run out of precision.
    const auto key = [&](const CubeInstance& cube, Axis axis) {
        const int i = static_cast<int>(axis);
        const int64_t local = static_cast<int64_t>(CoordinateAlong(cube, axis)) - origin[i];
        return static_cast<size_t>(std::clamp<int64_t>(local, 0, extent[i] - 1));
    };
    std::vector<uint32_t> next(kDirectionCount * keys, 0);
    for (size_t i = 0; i < n; ++i) {
        for (uint32_t mask = pendingFaces_[i]; mask != 0; mask &= mask - 1) {
            const int direction = std::countr_zero(mask);
            next[direction * keys + key(pending_[i], AxisOf(static_cast<Direction>(direction)))] += 1;
        }
    }
    uint32_t total = 0;
    for (int direction = 0; direction < kDirectionCount; ++direction) {
        lists_.faceStart[direction] = total;
        for (size_t k = 0; k < keys; ++k) {
            const uint32_t count = next[direction * keys + k];
            next[direction * keys + k] = total;
            total += count;
        }
    }
    lists_.faceStart[kDirectionCount] = total;
    if (lists_.faceCapacity < total || !lists_.faces) {
        lists_.faces.reset(new (std::nothrow) CubeInstance[total + 1]);
        if (!lists_.faces) {
            ExitOutOfMemory();
        }
        lists_.faceCapacity = total + 1;
    }
    for (size_t i = 0; i < n; ++i) {
        for (uint32_t mask = pendingFaces_[i]; mask != 0; mask &= mask - 1) {
            const int direction = std::countr_zero(mask);
            lists_.faces[next[direction * keys + key(pending_[i], AxisOf(static_cast<Direction>(direction)))]++] = pending_[i];
        }
    }
    pendingFaces_.clear();
    return static_cast<int32_t>(std::min<size_t>(n * kFaceWorkPerCube, INT32_MAX / 2));
}

uint32_t Chunk::FaceCount(Direction direction) const {
    const int d = static_cast<int>(direction);
    return lists_.faceStart[d + 1] - lists_.faceStart[d];
}

const CubeInstance* Chunk::Faces(Direction direction) const {
    return lists_.faces.get() + lists_.faceStart[static_cast<int>(direction)];
}
