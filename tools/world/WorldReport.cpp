#include "WorldReport.h"

#include <cstring>

#include "world/Chunk.h"
#include "world/VoxelWorld.h"

namespace {
constexpr uint64_t kFnvPrime = 0x100000001b3ull;

uint64_t CountSolid(const BlockGrid& grid) {
    uint64_t solid = 0;
    for (uint32_t i = 0; i < grid.count; ++i) {
        solid += grid.data[i] != 0 ? 1 : 0;
    }
    return solid;
}

// The cubes as little-endian float32 triples, whatever this machine's order.
uint64_t HashCubes(const CubeInstance* cubes, uint32_t count) {
    uint64_t hash = kFnvOffsetBasis;
    for (uint32_t i = 0; i < count; ++i) {
        const float values[3] = {cubes[i].x, cubes[i].y, cubes[i].z};
        for (const float value : values) {
            uint32_t bits = 0;
            std::memcpy(&bits, &value, sizeof bits);
            const uint8_t bytes[4] = {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
                                      static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)};
            hash = Fnv1a64(bytes, sizeof bytes, hash);
        }
    }
    return hash;
}
}  // namespace

uint64_t Fnv1a64(const uint8_t* bytes, size_t count, uint64_t hash) {
    for (size_t i = 0; i < count; ++i) {
        hash ^= bytes[i];
        hash *= kFnvPrime;
    }
    return hash;
}

uint64_t CountFaces(const VoxelWorld& world) {
    uint64_t faces = 0;
    for (const auto& entry : world.Chunks()) {
        for (int direction = 0; direction < kDirectionCount; ++direction) {
            faces += entry.second->FaceCount(static_cast<Direction>(direction));
        }
    }
    return faces;
}

void PrintWorldReport(const VoxelWorld& world, std::FILE* out) {
    uint64_t totalSolid = 0;
    uint64_t totalVisible = 0;
    for (const auto& entry : world.Chunks()) {
        const ChunkKey& slot = entry.first;
        const Chunk& chunk = *entry.second;
        const BlockGrid& grid = chunk.Grid();
        const uint64_t solid = CountSolid(grid);
        const uint32_t visible = chunk.VisibleCount();
        std::fprintf(out, "chunk %d %d %d origin %d %d %d solid %llu blocks %016llx visible %u cubes %016llx\n",
                     slot.x, slot.y, slot.z, chunk.Origin().x, chunk.Origin().y, chunk.Origin().z,
                     static_cast<unsigned long long>(solid),
                     static_cast<unsigned long long>(Fnv1a64(grid.data.get(), grid.count)), visible,
                     static_cast<unsigned long long>(HashCubes(chunk.VisibleCubes(), visible)));
        totalSolid += solid;
        totalVisible += visible;
    }
    std::fprintf(out, "world solid %llu visible %llu\n", static_cast<unsigned long long>(totalSolid),
                 static_cast<unsigned long long>(totalVisible));
}
