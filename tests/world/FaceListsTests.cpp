#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "WorldTestSupport.h"
#include "world/TerrainGenerator.h"

namespace {
constexpr FaceDirection kDirections[] = {FaceDirection::ZPlus,  FaceDirection::ZMinus, FaceDirection::YPlus,
                                         FaceDirection::YMinus, FaceDirection::XPlus,  FaceDirection::XMinus};

using Triples = std::vector<std::array<float, 3>>;

Triples SortedTriples(const std::vector<float>& floats) {
    Triples triples(floats.size() / 3);
    for (size_t i = 0; i < triples.size(); ++i) triples[i] = {floats[3 * i], floats[3 * i + 1], floats[3 * i + 2]};
    std::sort(triples.begin(), triples.end());
    return triples;
}

// Whether a list runs along its direction's axis: x for x faces and so on.
bool RunsAlongItsAxis(const std::vector<float>& floats, FaceDirection direction) {
    const size_t axis = 2 - static_cast<size_t>(direction) / 2;
    for (size_t i = 3; i < floats.size(); i += 3) {
        if (floats[i + axis] < floats[i - 3 + axis]) return false;
    }
    return true;
}
}  // namespace

// Worlds whose chunks also list their exposed faces.
class FaceLists : public WorldTest {
protected:
    void Build(int32_t width, int32_t height, bool infinite) {
        UseSmallWorld(width, height, 4);
        Config().infiniteTerrain = infinite;
        Config().renderFaces = true;
        ASSERT_TRUE(world.Initialize(nullptr));
    }
    Chunk& At(int32_t x, int32_t z) { return *world.FindChunk({x, 0, z}); }
    VoxelWorld world;
};

// Caves give faces in every direction, overhangs included; both edge rules
// (wrapped links and null links) meet the chunk borders. Each budget runs the
// scan in another number of calls, and a write in the middle restarts it.
TEST_F(FaceLists, MatchTheBruteForceListsOnCavesAtEveryBorderForAnyBudget) {
    for (const bool infinite : {false, true}) {
        world.Shutdown();
        Build(16, 32, infinite);
        TerrainGenerator generator;
        generator.Initialize("voxmere", 16, 32);
        for (auto& entry : world.Chunks()) GenerateNow(generator, *entry.second, 2, 100000);
        uint32_t overhangs = 0;
        for (auto& [key, chunk] : world.Chunks()) {
            for (const int32_t budget : {1 << 20, 777}) {
                chunk->BeginRebuild();
                chunk->BuildVisibleCubes(budget);
                const uint8_t block = chunk->Block(5, 20, 5);
                chunk->SetBlock(5, 20, 5, block);  // same content, but the scan starts over
                while (chunk->IsQueued()) chunk->BuildVisibleCubes(budget);
                ASSERT_EQ(VisibleFloats(*chunk), ReferenceVisibleCubes(*chunk)) << "budget " << budget;
                for (const FaceDirection direction : kDirections) {
                    const std::vector<float> faces = FaceFloats(*chunk, direction);
                    ASSERT_EQ(SortedTriples(faces), SortedTriples(ReferenceFaces(*chunk, direction)))
                        << "direction " << static_cast<int>(direction) << " budget " << budget << " infinite "
                        << infinite;
                    ASSERT_TRUE(RunsAlongItsAxis(faces, direction)) << "direction " << static_cast<int>(direction);
                }
            }
            overhangs += chunk->FaceCount(FaceDirection::YMinus);
        }
        EXPECT_GT(overhangs, 100u);
    }
}

// A solid corner chunk of a fixed window, with a hole: no faces towards the
// outside of the world, the top or the bottom; one wall of 8 x 16 faces
// towards each neighbour inside the window; one face into the hole from
// each of its six neighbours.
TEST_F(FaceLists, CountOnlyFacesTowardsAirInsideTheWindow) {
    Build(8, 16, false);
    Chunk& corner = At(0, 0);
    for (int i = 0; i < 8 * 16 * 8; ++i) corner.SetBlock(i / 128, i / 8 % 16, i % 8, i == 4 * 128 + 8 * 8 + 4 ? 0 : 1);
    RebuildNow(corner);
    const uint32_t expected[] = {128 + 1, 1, 1, 1, 128 + 1, 1};  // +z, -z, +y, -y, +x, -x
    for (int d = 0; d < 6; ++d) EXPECT_EQ(corner.FaceCount(kDirections[d]), expected[d]) << "direction " << d;
    EXPECT_EQ(corner.Faces(FaceDirection::YPlus)[0].y, 7.0f);  // the block below the hole at (4, 8, 4)
    // Without renderFaces nothing is listed.
    Config().renderFaces = false;
    VoxelWorld plain;
    ASSERT_TRUE(plain.Initialize(nullptr));
    Chunk& chunk = *plain.FindChunk({0, 0, 0});
    chunk.SetBlock(3, 3, 3, 1);
    RebuildNow(chunk);
    EXPECT_EQ(chunk.VisibleCount(), 1u);
    for (const FaceDirection direction : kDirections) EXPECT_EQ(chunk.FaceCount(direction), 0u);
}
