#pragma once

#include <cstdint>

struct TypedSettings;

// Bytes of block storage the world window takes: one byte per block of
// terrainWidth x terrainWidth x chunkHeight.
uint64_t BlockStorageBytes(const TypedSettings& settings);

// Whether the block storage can be allocated at all: every chunk's grid below
// 2 GiB (its block count is a 32-bit number) and the whole storage within the
// given memory (0: unknown, no limit).
bool BlockStorageFits(const TypedSettings& settings, uint64_t memoryBytes);

// Checks the chunk and terrain sizes before anything is allocated: chunk
// width and height positive multiples of 8, a terrain width giving an even,
// non-zero number of chunks, and block storage this machine's memory can
// hold. Shows the message for the first broken rule and returns false.
bool ValidateWorldSettings(const TypedSettings& settings);
