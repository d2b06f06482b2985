#pragma once

#include <cstdint>

struct TypedSettings;

// The largest block storage the world window may take.
constexpr uint64_t kMaxBlockStorageBytes = 2ull * 1024 * 1024 * 1024;

// Checks the chunk and terrain sizes before anything is allocated: chunk
// width and height positive multiples of 8, a terrain width giving an even,
// non-zero number of chunks, and at most 2 GiB of blocks. Shows the message
// for the first broken rule and returns false.
bool ValidateWorldSettings(const TypedSettings& settings);
