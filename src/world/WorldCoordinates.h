#pragma once

#include <cstdint>

// Three signed integers naming a chunk: either its slot in the chunk table or
// a world chunk coordinate (i, j, k). Ordered x first, then y, then z.
struct ChunkKey {
    int32_t x = 0;
    int32_t y = 0;
    int32_t z = 0;

    friend bool operator==(const ChunkKey& a, const ChunkKey& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
    friend bool operator<(const ChunkKey& a, const ChunkKey& b) {
        if (a.x != b.x) return a.x < b.x;
        if (a.y != b.y) return a.y < b.y;
        return a.z < b.z;
    }
};

// A block coordinate: the minimum corner of a unit cell.
struct BlockPosition {
    int32_t x = 0;
    int32_t y = 0;
    int32_t z = 0;

    friend bool operator==(const BlockPosition& a, const BlockPosition& b) {
        return a.x == b.x && a.y == b.y && a.z == b.z;
    }
};

// Floor division for a positive size. Negative values go through
// (v + 1) / size - 1 with truncating division, which is the true floor.
int32_t FloorDivide(int32_t value, int32_t size);
// The non-negative remainder of value by a positive size.
int32_t FloorModulo(int32_t value, int32_t size);

// The world chunk holding a float position: each axis is rounded down to a
// block first, then floor-divided by the chunk width (x, z) or height (y).
ChunkKey ChunkOfPosition(float x, float y, float z, int32_t chunkWidth, int32_t chunkHeight);
