#pragma once

#include <cstdint>
#include <string>

#include "world/SimplexNoise.h"

struct TypedSettings;

// What the world takes from the settings, handed over at Initialize.
struct WorldSettings {
    int32_t chunkWidth = 0;
    int32_t chunkHeight = 0;
    uint32_t terrainWidth = 0;
    std::string mapSeed;
    bool wholeSeed = false;  // every byte of mapSeed counts, not only the first
    int32_t mapGenerationMethod = 1;  // 1 heightmap, 2 caves
    bool infiniteTerrain = false;
    bool instantStart = false;
    bool renderFaces = false;
    int32_t loadSpeed = 0;    // generation work per frame
    int32_t updateSpeed = 0;  // visible-cube rebuild work per frame
    float voxelSize = 1.0f;
    std::string cubeShaderName;
    std::string faceShaderName;
    bool ambientOcclusion = false;  // face corners darkened by their neighbours (faces only)
    bool fog = false;               // distance fog into the sky, full at the window's edge
    // Background threads that generate and list chunks; 0 streams on the
    // main thread under the two budgets.
    int32_t streamThreads = 0;
};

WorldSettings WorldSettingsFrom(const TypedSettings& settings);

struct CubeLook;
struct QuadOptions;
CubeLook CubeLookOf(const WorldSettings& settings);
QuadOptions QuadOptionsOf(const WorldSettings& settings);

// The rule by which mapSeed seeds the terrain noise.
SeedRule SeedRuleOf(const WorldSettings& settings);

// Bytes of block storage the world window takes: one byte per block of
// terrainWidth x terrainWidth x chunkHeight.
uint64_t BlockStorageBytes(const WorldSettings& settings);

// Whether the block storage can be allocated at all: every chunk's grid below
// 2 GiB (its block count is a 32-bit number) and the whole storage within the
// given memory (0: unknown, no limit).
bool BlockStorageFits(const WorldSettings& settings, uint64_t memoryBytes);

// Checks the chunk and terrain sizes before anything is allocated: chunk
// width and height positive multiples of 8, a terrain width giving an even,
// non-zero number of chunks, and block storage this machine's memory can
// hold. Shows the message for the first broken rule and returns false.
bool ValidateWorldSettings(const WorldSettings& settings);
