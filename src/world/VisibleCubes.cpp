// The resumable scan that lists a chunk's solid blocks touching air. It walks
// y, then x, then z (z contiguous in memory) and treats a run of one z-row at
// a time; the result and the work counts are those of a block-by-block walk.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <new>

#include "platform/ErrorMessage.h"
#include "world/Chunk.h"

namespace {
static_assert(std::endian::native == std::endian::little, "row words are read as little-endian");

constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
constexpr uint64_t kHigh = 0x8080808080808080ull;
// What each call of a whole rebuild gets: the lists are the same for any budget.
constexpr int32_t kWholeScanBudget = 10000;

uint64_t LoadWord(const uint8_t* bytes) {
    uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// The top bit of each byte that is not zero, for eight bytes at once.
uint64_t SolidBits(uint64_t word) { return (((word & kLow7) + kLow7) | word) & kHigh; }

// Top bits of the bytes with index in [begin, end) of one eight-byte word.
uint64_t ByteRangeMask(int32_t begin, int32_t end) {
    const uint64_t upTo = end >= 8 ? ~0ull : (1ull << (8 * end)) - 1;
    const uint64_t from = begin <= 0 ? ~0ull : ~((1ull << (8 * begin)) - 1);
    return upTo & from & kHigh;
}

// The rows around one z-row, and the row itself with its z neighbours across
// the chunk's faces in front and behind: padded[z + 1] is the block at z.
struct RowNeighbourhood {
    const uint8_t* own;
    const uint8_t* xMinus;
    const uint8_t* xPlus;
    const uint8_t* yMinus;
    const uint8_t* yPlus;
    const uint8_t* padded;
};

constexpr int Bit(Direction direction) { return static_cast<int>(direction); }

// Per block of [begin, end): the directions in which a solid block's
// neighbour is air, a bit per Direction, and 0 for air. A plain byte loop
// that compilers turn into vector code.
void MarkExposedFaces(const RowNeighbourhood& row, int32_t begin, int32_t end, uint8_t* faces) {
    for (int32_t z = begin; z < end; ++z) {
        const int air = (row.padded[z + 2] == 0) << Bit(Direction::ZPlus) |
                        (row.padded[z] == 0) << Bit(Direction::ZMinus) |
                        (row.yPlus[z] == 0) << Bit(Direction::YPlus) |
                        (row.yMinus[z] == 0) << Bit(Direction::YMinus) |
                        (row.xPlus[z] == 0) << Bit(Direction::XPlus) |
                        (row.xMinus[z] == 0) << Bit(Direction::XMinus);
        faces[z] = row.own[z] != 0 ? static_cast<uint8_t>(air) : uint8_t{0};
    }
}

bool IsAllAir(const uint8_t* blocks, int32_t begin, int32_t end) {
    uint8_t any = 0;
    for (int32_t z = begin; z < end; ++z) {
        any |= blocks[z];
    }
    return any == 0;
}
}  // namespace

// A missing neighbour counts as solid. Handing back the block's own row gives
// exactly that: for a solid block its own byte is never air.
const uint8_t* Chunk::NeighbourRowX(Direction side, int32_t y, const uint8_t* ownRow) const {
    const Chunk* neighbour = Neighbour(side);
    if (neighbour == nullptr) {
        return ownRow;
    }
    const int32_t x = side == Direction::XMinus ? static_cast<int32_t>(grid_.width) - 1 : 0;
    return neighbour->grid_.data.get() + grid_.IndexOf(x, y, 0);
}

const uint8_t* Chunk::NeighbourRowY(int32_t x, int32_t y, Direction side, const uint8_t* ownRow) const {
    const int32_t lastY = static_cast<int32_t>(grid_.height) - 1;
    if (side == Direction::YMinus && y > 0) {
        return ownRow - grid_.width;
    }
    if (side == Direction::YPlus && y < lastY) {
        return ownRow + grid_.width;
    }
    const Chunk* neighbour = Neighbour(side);
    if (neighbour == nullptr) {
        return ownRow;
    }
    return neighbour->grid_.data.get() + grid_.IndexOf(x, side == Direction::YMinus ? lastY : 0, 0);
}

const uint8_t* Chunk::NeighbourRowZ(Direction side, int32_t x, int32_t y) const {
    const Chunk* neighbour = Neighbour(side);
    return neighbour == nullptr ? nullptr : neighbour->grid_.data.get() + grid_.IndexOf(x, y, 0);
}

void Chunk::ScanRun(int32_t x, int32_t y, int32_t zBegin, int32_t zEnd) {
    const int32_t w = static_cast<int32_t>(grid_.width);
    const uint32_t slab = grid_.width * grid_.height;
    const uint8_t* own = grid_.data.get() + grid_.IndexOf(x, y, 0);
    if (IsAllAir(own, zBegin, zEnd)) {
        return;
    }
    // A missing z link stands in a solid block, as a missing link does on
    // the other axes.
    const uint8_t* zMinusRow = NeighbourRowZ(Direction::ZMinus, x, y);
    const uint8_t* zPlusRow = NeighbourRowZ(Direction::ZPlus, x, y);
    uint8_t* padded = scanScratch_.data();
    uint8_t* faces = padded + w + 2;
    padded[0] = zMinusRow != nullptr ? zMinusRow[w - 1] : 1;
    std::memcpy(padded + 1, own, static_cast<size_t>(w));
    padded[w + 1] = zPlusRow != nullptr ? zPlusRow[0] : 1;
    RowNeighbourhood row;
    row.own = own;
    row.xMinus = x > 0 ? own - slab : NeighbourRowX(Direction::XMinus, y, own);
    row.xPlus = x < w - 1 ? own + slab : NeighbourRowX(Direction::XPlus, y, own);
    row.yMinus = NeighbourRowY(x, y, Direction::YMinus, own);
    row.yPlus = NeighbourRowY(x, y, Direction::YPlus, own);
    row.padded = padded;
    MarkExposedFaces(row, zBegin, zEnd, faces);
    const float worldX = static_cast<float>(origin_.x + x);
    const float worldY = static_cast<float>(origin_.y + y);
    for (int32_t k = zBegin / 8; 8 * k < zEnd; ++k) {
        uint64_t exposed = SolidBits(LoadWord(faces + 8 * k)) & ByteRangeMask(zBegin - 8 * k, zEnd - 8 * k);
        for (; exposed != 0; exposed &= exposed - 1) {
            const int32_t z = 8 * k + std::countr_zero(exposed) / 8;
            pending_.push_back(CubeInstance{worldX, worldY, static_cast<float>(origin_.z + z)});
            if (listFaces_) {
                pendingFaces_.push_back(faces[z]);
            }
        }
    }
}

void Chunk::SaveScanPosition(uint32_t position) {
    scanZ_ = static_cast<int32_t>(position % grid_.width);
    scanX_ = static_cast<int32_t>(position / grid_.width % grid_.width);
    scanY_ = static_cast<int32_t>(position / grid_.width / grid_.width);
}

void Chunk::BeginRebuild() {
    dirty_ = false;
    queued_ = true;
    visited_ = 0;
    SaveScanPosition(0);
}

int32_t Chunk::FinishScan() {
    int32_t faceWork = listFaces_ ? BuildFaceLists() : 0;
    if (listQuads_) {
        faceWork += BuildFaceQuads();
    }
    ++listVersion_;
    const uint32_t n = static_cast<uint32_t>(pending_.size());
    if (lists_.count > n) {
        // A shorter list is written over the old one, which keeps its storage.
        std::copy(pending_.begin(), pending_.end(), lists_.cubes.begin());
    } else {
        // Any other takes over the storage it was gathered in.
        lists_.cubes.swap(pending_);
    }
    lists_.count = n;
    listed_ = true;
    listOrigin_ = origin_;
    pending_.clear();
    queued_ = false;
    visited_ = 0;
    SaveScanPosition(0);
    return faceWork;
}

// The lists grow while the scan runs: storage that cannot be had ends the
// program with the message of block storage.
int32_t Chunk::BuildVisibleCubes(int32_t budget) {
    try {
        if (IsWorkerAllocationFailing()) {
            throw std::bad_alloc();
        }
        return ScanWithinBudget(budget);
    } catch (const std::bad_alloc&) {
        ExitOutOfMemory();
    }
}

void Chunk::FinishRebuild() {
    while (queued_) {
        BuildVisibleCubes(kWholeScanBudget);
    }
}

int32_t Chunk::ScanWithinBudget(int32_t budget) {
    if (dirty_) {
        dirty_ = false;
        pending_.clear();
        pendingFaces_.clear();
        visited_ = 0;
        SaveScanPosition(0);
    }
    if (visited_ == 0 && pending_.capacity() == 0) {
        // Room for a height map's surface, about one to two cubes per column,
        // so that a first scan seldom moves its list while it grows.
        pending_.reserve(2 * static_cast<size_t>(grid_.width) * grid_.width);
    }
    scanScratch_.resize(2 * static_cast<size_t>(grid_.width) + 2);
    const uint32_t total = grid_.count;
    const int32_t width = static_cast<int32_t>(grid_.width);
    const int32_t height = static_cast<int32_t>(grid_.height);
    int32_t x = scanX_, y = scanY_, z = scanZ_;
    int64_t count = 0;
    for (;;) {
        if (count > budget) {
            scanX_ = x, scanY_ = y, scanZ_ = z;
            return static_cast<int32_t>(count);
        }
        if (visited_ == total) {
            return static_cast<int32_t>(count) + FinishScan();
        }
        // Visit to the end of this z-row, or until the budget check would
        // stop the walk, whichever comes first.
        const int32_t zEnd = static_cast<int32_t>(std::min<int64_t>(width, z + (budget - count + 1)));
        ScanRun(x, y, z, zEnd);
        visited_ += static_cast<uint32_t>(zEnd - z);
        count += zEnd - z;
        z = zEnd;
        if (z == width) {
            z = 0;
            if (++x == width) {
                x = 0;
                ++y;
            }
        }
        if (y == height) {
            // The walk ran to its end during this call: it reports the budget
            // and finishes at its next call.
            return budget;
        }
    }
}
