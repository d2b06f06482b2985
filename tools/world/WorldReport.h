#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

class VoxelWorld;

constexpr uint64_t kFnvOffsetBasis = 0xcbf29ce484222325ull;

// FNV-1a, 64 bits, continuing from a previous hash.
uint64_t Fnv1a64(const uint8_t* bytes, size_t count, uint64_t hash = kFnvOffsetBasis);

// One line per chunk in chunk-table order, then the world totals.
void PrintWorldReport(const VoxelWorld& world, std::FILE* out);

// The faces of all chunks' face lists (none without renderFaces).
uint64_t CountFaces(const VoxelWorld& world);
