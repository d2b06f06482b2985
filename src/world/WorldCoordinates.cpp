#include "world/WorldCoordinates.h"

#include <cmath>

int32_t FloorDivide(int32_t value, int32_t size) {
    if (value >= 0) {
        return value / size;
    }
    return (value + 1) / size - 1;
}

int32_t FloorModulo(int32_t value, int32_t size) {
    const int32_t remainder = value % size;
    return remainder < 0 ? remainder + size : remainder;
}

namespace {
int32_t BlockOf(float v) { return static_cast<int32_t>(std::floor(v)); }
}  // namespace

ChunkKey ChunkOfPosition(float x, float y, float z, int32_t chunkWidth, int32_t chunkHeight) {
    return ChunkKey{FloorDivide(BlockOf(x), chunkWidth), FloorDivide(BlockOf(y), chunkHeight),
                    FloorDivide(BlockOf(z), chunkWidth)};
}
