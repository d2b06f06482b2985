#include "world/WorldSettings.h"

#include "config/Settings.h"
#include "platform/ErrorMessage.h"

namespace {
bool IsPositiveMultipleOf8(int32_t value) { return value > 0 && value % 8 == 0; }

// Compared without forming the product, which may not fit in 64 bits.
bool ExceedsBlockStorage(const TypedSettings& settings) {
    const uint64_t side = settings.terrainWidth;  // a multiple of chunkWidth here
    const uint64_t area = side * side;
    return area > kMaxBlockStorageBytes / static_cast<uint64_t>(settings.chunkHeight);
}
}  // namespace

bool ValidateWorldSettings(const TypedSettings& settings) {
    if (!IsPositiveMultipleOf8(settings.chunkWidth)) {
        ShowErrorMessage("chunkWidth must be a positive multiple of 8");
        return false;
    }
    if (!IsPositiveMultipleOf8(settings.chunkHeight)) {
        ShowErrorMessage("chunkHeight must be a positive multiple of 8");
        return false;
    }
    const uint32_t width = static_cast<uint32_t>(settings.chunkWidth);
    const uint32_t chunksPerSide = settings.terrainWidth / width;
    if (settings.terrainWidth % width != 0 || chunksPerSide == 0 || chunksPerSide % 2 != 0) {
        ShowErrorMessage("terrainWidth must be a multiple of chunkWidth giving an even number of chunks");
        return false;
    }
    if (ExceedsBlockStorage(settings)) {
        ShowErrorMessage("Cant reserve more than 2GB RAM.");
        return false;
    }
    return true;
}
