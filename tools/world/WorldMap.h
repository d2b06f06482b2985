#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class VoxelWorld;

// The window of chunks seen from above: per block column, one above its
// highest solid block (0 for an empty column). Column (col, row) is world
// x = minX + col and z = maxZ - row: x grows to the right, z upwards.
struct ColumnTops {
    uint32_t width = 0;  // columns along x
    uint32_t depth = 0;  // columns along z
    int32_t minX = 0;
    int32_t maxZ = 0;
    std::vector<int32_t> tops;  // row by row, top row first

    int32_t At(uint32_t col, uint32_t row) const { return tops[static_cast<size_t>(row) * width + col]; }
};

ColumnTops FindColumnTops(const VoxelWorld& world);

// The map picture: every column `scale` x `scale` pixels in the colour the
// viewer gives the top face of its highest block, lit by a light from the
// north-west across the height differences to its neighbours, and a cross
// on the column (markX, markZ). Tightly packed RGBA rows, top row first.
struct MapImage {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba;
};

MapImage DrawMap(const ColumnTops& columns, uint32_t scale, int32_t markX, int32_t markZ);

// The colour of a top face at a block height, as the cube shader gives it,
// each channel within [0, 1].
void TopFaceColour(float height, float (&rgb)[3]);
