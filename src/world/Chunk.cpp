#include "world/Chunk.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "platform/ErrorMessage.h"

Chunk::Chunk()
    : centre_(),
      origin_(),
      hasContent_(false),
      dirty_(false),
      queued_(false),
      grid_(),
      listed_(false),
      listOrigin_(),
      lists_(),
      neighbours_{},
      pending_(),
      pendingFaces_(),
      scanScratch_(),
      visited_(0),
      scanX_(0),
      scanY_(0),
      scanZ_(0),
      listFaces_(false),
      deferMarks_(false),
      deferredSides_(0) {}

Chunk::~Chunk() = default;

bool Chunk::Initialize(int32_t width, int32_t height) {
    grid_.width = static_cast<uint32_t>(width);
    grid_.height = static_cast<uint32_t>(height);
    grid_.count = grid_.width * grid_.width * grid_.height;
    grid_.writeCount = 0;
    // Zeroed here, at start-up, so that no frame pays for first-touch faults.
    grid_.data.reset(new (std::nothrow) uint8_t[grid_.count]());
    if (!grid_.data) {
        ExitOutOfMemory();
    }
    return true;
}

void Chunk::Initialize(int32_t width, int32_t height, std::shared_ptr<uint8_t[]> blocks) {
    grid_.width = static_cast<uint32_t>(width);
    grid_.height = static_cast<uint32_t>(height);
    grid_.count = grid_.width * grid_.width * grid_.height;
    grid_.writeCount = 0;
    grid_.data = std::move(blocks);
}

void Chunk::AdoptBlocks(std::shared_ptr<uint8_t[]> blocks, uint32_t writeCount) {
    grid_.data = std::move(blocks);
    grid_.writeCount = writeCount;
    AfterWrite();
}

CubeLists Chunk::TakeLists() {
    listed_ = false;
    return std::exchange(lists_, CubeLists{});
}

void Chunk::AdoptLists(CubeLists lists, const BlockPosition& origin) {
    lists_ = std::move(lists);
    ++listVersion_;
    listed_ = true;
    listOrigin_ = origin;
}

void Chunk::Shutdown() {
    // Blocks shared with other chunks or threads are only let go of.
    if (grid_.data && grid_.data.use_count() == 1) {
        Clear();
    }
    lists_ = CubeLists{};
    listed_ = false;
    std::vector<CubeInstance>().swap(pending_);
    std::vector<uint8_t>().swap(pendingFaces_);
    std::vector<uint8_t>().swap(scanScratch_);
    grid_.data.reset();
}

void Chunk::MoveTo(const BlockPosition& origin) {
    origin_ = origin;
    const float halfWidth = static_cast<float>(grid_.width) / 2.0f;
    const float halfHeight = static_cast<float>(grid_.height) / 2.0f;
    centre_ = Vec3{static_cast<float>(origin.x) + halfWidth, static_cast<float>(origin.y) + halfHeight,
                   static_cast<float>(origin.z) + halfWidth};
}

void Chunk::MarkNeighbour(Direction side) {
    if (deferMarks_) {
        deferredSides_ |= static_cast<uint8_t>(1u << static_cast<int>(side));
        return;
    }
    Chunk* neighbour = Neighbour(side);
    if (neighbour != nullptr) {
        neighbour->dirty_ = true;
    }
}

void Chunk::ApplyNeighbourMarks() {
    deferMarks_ = false;
    for (int side = 0; side < kDirectionCount; ++side) {
        if ((deferredSides_ >> side) & 1u) {
            MarkNeighbour(static_cast<Direction>(side));
        }
    }
    deferredSides_ = 0;
}

// A write on a face also changes what the chunk across that face can see.
void Chunk::MarkNeighbours(int32_t localX, int32_t y, int32_t localZ) {
    const int32_t lastX = static_cast<int32_t>(grid_.width) - 1;
    const int32_t lastY = static_cast<int32_t>(grid_.height) - 1;
    if (localX == 0) {
        MarkNeighbour(Direction::XMinus);
    } else if (localX == lastX) {
        MarkNeighbour(Direction::XPlus);
    }
    if (localZ == 0) {
        MarkNeighbour(Direction::ZMinus);
    } else if (localZ == lastX) {
        MarkNeighbour(Direction::ZPlus);
    }
    if (y == 0) {
        MarkNeighbour(Direction::YMinus);
    } else if (y == lastY) {
        MarkNeighbour(Direction::YPlus);
    }
}

void Chunk::MarkRowNeighbours(int32_t localX, int32_t y, int32_t zBegin, int32_t zEnd) {
    MarkNeighbours(localX, y, zBegin);
    if (zEnd == static_cast<int32_t>(grid_.width) && zEnd - 1 != zBegin) {
        MarkNeighbour(Direction::ZPlus);
    }
}

void Chunk::AfterWrite() { hasContent_ = grid_.writeCount != 0; }

void Chunk::SetBlock(int32_t localX, int32_t y, int32_t localZ, uint8_t value) {
    grid_.data[grid_.IndexOf(localX, y, localZ)] = value;
    grid_.writeCount += 1;
    dirty_ = true;
    MarkNeighbours(localX, y, localZ);
    AfterWrite();
}

void Chunk::SetColumn(int32_t localX, int32_t localZ, int32_t height) {
    const int32_t h = static_cast<int32_t>(grid_.height);
    const int32_t top = std::min(height, h - 1);
    if (top < 0) {
        return;
    }
    for (int32_t y = 0; y < h; ++y) {
        grid_.data[grid_.IndexOf(localX, y, localZ)] = y < top ? 1 : 0;
    }
    // Counted as H + 1 writes per column.
    grid_.writeCount += grid_.height + 1;
    dirty_ = true;
    MarkNeighbours(localX, 0, localZ);
    AfterWrite();
}

void Chunk::SetAllColumns(const int32_t* heights) {
    const int32_t w = static_cast<int32_t>(grid_.width);
    const int32_t h = static_cast<int32_t>(grid_.height);
    const int32_t columns = w * w;
    if (std::any_of(heights, heights + columns, [](int32_t height) { return height < 0; })) {
        // A negative height leaves its column untouched: write column by column.
        for (int32_t z = 0; z < w; ++z) {
            for (int32_t x = 0; x < w; ++x) SetColumn(x, z, heights[x * w + z]);
        }
        return;
    }
    // Rows are contiguous in z, so fill them row by row.
    for (int32_t x = 0; x < w; ++x) {
        const int32_t* columnHeights = heights + x * w;
        for (int32_t y = 0; y < h; ++y) {
            uint8_t* row = grid_.data.get() + grid_.IndexOf(x, y, 0);
            for (int32_t z = 0; z < w; ++z) {
                row[z] = static_cast<uint8_t>(y < std::min(columnHeights[z], h - 1));
            }
        }
    }
    for (int32_t x = 0; x < w; ++x) {
        for (int32_t z = 0; z < w; ++z) MarkNeighbours(x, 0, z);
    }
    grid_.writeCount += static_cast<uint32_t>(columns) * (grid_.height + 1);
    dirty_ = true;
    AfterWrite();
}

void Chunk::SetRow(int32_t localX, int32_t y, int32_t zBegin, int32_t zEnd, const uint8_t* values) {
    if (zEnd <= zBegin) {
        return;
    }
    std::memcpy(grid_.data.get() + grid_.IndexOf(localX, y, zBegin), values, static_cast<size_t>(zEnd - zBegin));
    grid_.writeCount += static_cast<uint32_t>(zEnd - zBegin);
    dirty_ = true;
    MarkRowNeighbours(localX, y, zBegin, zEnd);
    AfterWrite();
}

void Chunk::Clear() {
    std::memset(grid_.data.get(), 0, grid_.count);
    grid_.writeCount = 0;
    hasContent_ = false;
    pending_.clear();
    pendingFaces_.clear();
}
