#include "world/WorldSettings.h"

#include <algorithm>

#include "config/Settings.h"
#include "world/CubeRenderer.h"
#include "world/FaceQuads.h"
#include "platform/ErrorMessage.h"
#include "platform/SystemMemory.h"

namespace {
constexpr uint64_t kMaxChunkBlocks = 1ull << 31;

bool IsPositiveMultipleOf8(int32_t value) { return value > 0 && value % 8 == 0; }
}  // namespace

WorldSettings WorldSettingsFrom(const TypedSettings& settings) {
    WorldSettings world;
    world.chunkWidth = settings.chunkWidth;
    world.chunkHeight = settings.chunkHeight;
    world.terrainWidth = settings.terrainWidth;
    world.mapSeed = settings.mapSeed;
    world.wholeSeed = settings.wholeSeed;
    world.mapGenerationMethod = settings.mapGenerationMethod;
    world.infiniteTerrain = settings.infiniteTerrain;
    world.instantStart = settings.instantStart;
    world.renderFaces = settings.renderFaces;
    world.loadSpeed = settings.loadSpeed;
    world.updateSpeed = settings.updateSpeed;
    world.voxelSize = settings.voxelSize;
    world.cubeShaderName = settings.cubeShaderName;
    world.faceShaderName = settings.faceShaderName;
    world.ambientOcclusion = settings.ambientOcclusion;
    world.fog = settings.fog;
    world.streamThreads = settings.streamThreads;
    return world;
}

// The fog is full where the window's edge can come nearest the player (the
// window moves a chunk at a time) and starts halfway there.
CubeLook CubeLookOf(const WorldSettings& settings) {
    CubeLook look{.voxelSize = settings.voxelSize,
                  .shaderName = settings.cubeShaderName,
                  .faceShaderName = settings.faceShaderName};
    if (settings.fog) {
        const float nearestEdge =
            static_cast<float>(settings.terrainWidth) / 2.0f - static_cast<float>(settings.chunkWidth);
        look.fogEnd = std::max(nearestEdge, 1.0f);
        look.fogStart = look.fogEnd / 2.0f;
    }
    return look;
}

QuadOptions QuadOptionsOf(const WorldSettings& settings) {
    return QuadOptions{.merge = settings.voxelSize == 1.0f,
                       .occlusion = settings.ambientOcclusion,
                       .voxelSize = settings.voxelSize};
}

SeedRule SeedRuleOf(const WorldSettings& settings) {
    return settings.wholeSeed ? SeedRule::WholeText : SeedRule::FirstByte;
}

// Saturates instead of wrapping round: the product may not fit in 64 bits.
uint64_t BlockStorageBytes(const WorldSettings& settings) {
    const uint64_t side = settings.terrainWidth;
    const uint64_t height = static_cast<uint64_t>(settings.chunkHeight);
    const uint64_t area = side * side;
    return area > UINT64_MAX / height ? UINT64_MAX : area * height;
}

bool BlockStorageFits(const WorldSettings& settings, uint64_t memoryBytes) {
    const uint64_t width = static_cast<uint64_t>(settings.chunkWidth);
    const uint64_t layer = width * width;  // below 2^62, as each factor is below 2^31
    if (layer >= kMaxChunkBlocks || layer * static_cast<uint64_t>(settings.chunkHeight) >= kMaxChunkBlocks) {
        return false;
    }
    return memoryBytes == 0 || BlockStorageBytes(settings) <= memoryBytes;
}

bool ValidateWorldSettings(const WorldSettings& settings) {
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
    const uint64_t memory = PhysicalMemoryBytes();
    if (!BlockStorageFits(settings, memory)) {
        ReportDiagnostic("the world's blocks (terrainWidth %u x %u x chunkHeight %d, chunks of %d x %d x %d) need "
                         "%llu bytes; this machine has %llu bytes of memory and a chunk holds below 2^31 blocks",
                         settings.terrainWidth, settings.terrainWidth, settings.chunkHeight, settings.chunkWidth,
                         settings.chunkWidth, settings.chunkHeight,
                         static_cast<unsigned long long>(BlockStorageBytes(settings)),
                         static_cast<unsigned long long>(memory));
        ShowErrorMessage("Cant reserve more than 2GB RAM.");
        return false;
    }
    return true;
}
