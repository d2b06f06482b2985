#include "WorldTestSupport.h"

#include <limits>

#include "text/OverlayRegistryAccess.h"
#include "world/TerrainGenerator.h"

std::vector<std::string>& CapturedMessages() {
    static std::vector<std::string> messages;
    return messages;
}

void WorldTest::SetUp() {
    settings = WorldSettingsFrom(TypedSettings{});
    CapturedMessages().clear();
    previousSink_ = SetErrorMessageSink([](const char* text) { CapturedMessages().push_back(text); });
}

void WorldTest::TearDown() {
    SetErrorMessageSink(previousSink_);
    ClearOverlayRegistry();
}

void WorldTest::UseSmallWorld(int32_t chunkWidth, int32_t chunkHeight, uint32_t chunksPerSide) {
    settings.chunkWidth = chunkWidth;
    settings.chunkHeight = chunkHeight;
    settings.terrainWidth = static_cast<uint32_t>(chunkWidth) * chunksPerSide;
}

void RebuildNow(Chunk& chunk) {
    chunk.BeginRebuild();
    while (chunk.IsQueued()) chunk.BuildVisibleCubes(std::numeric_limits<int32_t>::max() / 2);
}

std::string GridBytes(const Chunk& chunk) {
    return std::string(reinterpret_cast<const char*>(chunk.Grid().data.get()), chunk.Grid().count);
}

std::vector<float> Floats(const CubeInstance* cubes, uint32_t count) {
    return count == 0 ? std::vector<float>{} : std::vector<float>(&cubes[0].x, &cubes[0].x + 3 * count);
}

std::vector<int32_t> GenerateNow(TerrainGenerator& generator, Chunk& chunk, int method, int32_t budget) {
    std::vector<int32_t> counts;
    do {
        counts.push_back(method == 2 ? generator.GenerateCaves(&chunk, budget)
                                     : generator.GenerateHeightmap(&chunk, budget));
    } while (generator.IsBusy());
    return counts;
}
