// Faces merged into quads: what they cover, how their corners are darkened.
#include <array>
#include <cmath>
#include <map>

#include "WorldTestSupport.h"

namespace {
struct Quad {
    int direction;
    std::array<long, 3> low;  // the rectangle's block bounds
    std::array<long, 3> high;
    std::array<std::array<long, 3>, 4> corners;  // in the order drawn
    std::array<int, 4> levels;
};

std::vector<Quad> QuadsOf(const Chunk& chunk) {
    const FaceQuads& quads = chunk.Quads();
    std::vector<Quad> out;
    for (int d = 0; d < kDirectionCount; ++d) {
        for (uint32_t q = quads.start[d]; q < quads.start[d + 1]; ++q) {
            Quad quad{d, {LONG_MAX, LONG_MAX, LONG_MAX}, {LONG_MIN, LONG_MIN, LONG_MIN}, {}, {}};
            for (int c = 0; c < 4; ++c) {
                const QuadVertex& v = quads.corners[4 * q + c];
                const float p[3] = {v.x, v.y, v.z};
                for (int i = 0; i < 3; ++i) {
                    quad.corners[c][i] = std::lround(p[i]);
                    quad.low[i] = std::min(quad.low[i], quad.corners[c][i]);
                    quad.high[i] = std::max(quad.high[i], quad.corners[c][i]);
                }
                quad.levels[c] = static_cast<int>(v.shade) % 32 / 8;
                EXPECT_EQ(static_cast<int>(v.shade) % 8, d);
            }
            out.push_back(quad);
        }
    }
    return out;
}

// The blocks whose faces a quad covers: the layer behind its plane.
std::vector<std::array<long, 3>> CoveredBlocks(const Quad& quad) {
    const int axis = static_cast<int>(AxisOf(static_cast<Direction>(quad.direction)));
    std::vector<std::array<long, 3>> blocks;
    std::array<long, 3> low = quad.low, high = quad.high;
    if (quad.direction % 2 == 0) low[axis] -= 1;
    high[axis] = low[axis] + 1;
    for (long x = low[0]; x < high[0]; ++x)
        for (long y = low[1]; y < high[1]; ++y)
            for (long z = low[2]; z < high[2]; ++z) blocks.push_back({x, y, z});
    return blocks;
}

// The level of a quad's corner at a world point of its plane.
int LevelAt(const Quad& quad, std::array<long, 3> point) {
    for (int c = 0; c < 4; ++c) {
        if (quad.corners[c] == point) return quad.levels[c];
    }
    ADD_FAILURE() << "no corner there";
    return -1;
}
}  // namespace

// Every listed face lies in exactly one quad, and a quad covers listed faces
// only; merging leaves well under two thirds of the quads a face each would
// need, and with occlusion merges only faces whose four corners agree.
TEST_F(WorldTest, QuadsCoverEveryListedFaceExactlyOnce) {
    UseSmallWorld(16, 32, 4);
    settings.mapGenerationMethod = 2;
    settings.instantStart = false;
    settings.infiniteTerrain = false;
    settings.renderFaces = true;
    for (const bool occlusion : {false, true}) {
        settings.ambientOcclusion = occlusion;
        VoxelWorld world;
        ASSERT_TRUE(world.Initialize(settings, nullptr));
        size_t faces = 0, quads = 0;
        for (const auto& entry : world.Chunks()) {
            const Chunk& chunk = *entry.second;
            std::map<std::array<long, 4>, int> covered;  // direction, block: faces listed (1), then covered (+1 each)
            for (int d = 0; d < kDirectionCount; ++d) {
                const CubeInstance* list = chunk.Faces(static_cast<Direction>(d));
                for (uint32_t i = 0; i < chunk.FaceCount(static_cast<Direction>(d)); ++i) {
                    covered[{d, std::lround(list[i].x), std::lround(list[i].y), std::lround(list[i].z)}] = 1;
                }
                faces += chunk.FaceCount(static_cast<Direction>(d));
            }
            for (const Quad& quad : QuadsOf(chunk)) {
                const std::vector<std::array<long, 3>> blocks = CoveredBlocks(quad);
                if (occlusion && blocks.size() > 1) {
                    EXPECT_TRUE(quad.levels[0] == quad.levels[1] && quad.levels[1] == quad.levels[2] &&
                                quad.levels[2] == quad.levels[3]);
                }
                for (const auto& b : blocks) {
                    auto found = covered.find({quad.direction, b[0], b[1], b[2]});
                    ASSERT_TRUE(found != covered.end()) << "a quad covers an unlisted face";
                    found->second += 1;
                }
                ++quads;
            }
            for (const auto& [face, count] : covered) ASSERT_EQ(count, 2) << face[0] << " " << face[1];
        }
        EXPECT_GT(faces, 5000u);
        EXPECT_LT(quads * 3, faces * (occlusion ? 3 : 2)) << occlusion;
        world.Shutdown();
    }
}

// A floor with a pillar at (4, 1, 4) and a block at (5, 1, 3) beside it.
// Corner levels count the solid blocks beside and across each corner in
// front of the face (both sides solid: 0); the diagonal joins the darker
// pair of corners.
TEST_F(WorldTest, OcclusionLevelsOfHandBuiltCorners) {
    Chunk chunk;
    chunk.Initialize(8, 16);
    for (int32_t x = 0; x < 8; ++x)
        for (int32_t z = 0; z < 8; ++z) chunk.SetBlock(x, 0, z, 1);
    chunk.SetBlock(4, 1, 4, 1);
    chunk.SetBlock(5, 1, 3, 1);
    chunk.EnableFaceQuads(QuadOptions{.merge = true, .occlusion = true});
    RebuildNow(chunk);
    const std::vector<Quad> quads = QuadsOf(chunk);
    const auto single = [&](int direction, std::array<long, 3> block) {
        for (const Quad& quad : quads) {
            const std::vector<std::array<long, 3>> blocks = CoveredBlocks(quad);
            if (quad.direction == direction && blocks.size() == 1 && blocks[0] == block) return quad;
        }
        ADD_FAILURE() << "no quad of its own for the face";
        return Quad{};
    };
    constexpr int kTop = 2, kPlusX = 4;
    // Beside the pillar and the block: 0 where both touch it, 2 where one does.
    const Quad nook = single(kTop, {5, 0, 4});
    EXPECT_EQ((std::array<int, 4>{LevelAt(nook, {5, 1, 4}), LevelAt(nook, {5, 1, 5}), LevelAt(nook, {6, 1, 4}),
                                  LevelAt(nook, {6, 1, 5})}),
              (std::array<int, 4>{0, 2, 2, 3}));
    EXPECT_TRUE((nook.corners[1] == std::array<long, 3>{5, 1, 4} && nook.corners[2] == std::array<long, 3>{6, 1, 5}) ||
                (nook.corners[2] == std::array<long, 3>{5, 1, 4} && nook.corners[1] == std::array<long, 3>{6, 1, 5}));
    // Across a corner only: 2 there, the diagonal through it.
    const Quad across = single(kTop, {3, 0, 3});
    EXPECT_EQ(LevelAt(across, {4, 1, 4}), 2);
    EXPECT_EQ(LevelAt(across, {3, 1, 4}) + LevelAt(across, {4, 1, 3}) + LevelAt(across, {3, 1, 3}), 9);
    EXPECT_TRUE(across.corners[1] == (std::array<long, 3>{4, 1, 4}) || across.corners[2] == (std::array<long, 3>{4, 1, 4}));
    // The pillar's +x side: on the floor and against the block 0, on the floor 1, against the block 2, open 3.
    const Quad side = single(kPlusX, {4, 1, 4});
    EXPECT_EQ((std::array<int, 4>{LevelAt(side, {5, 1, 4}), LevelAt(side, {5, 1, 5}), LevelAt(side, {5, 2, 4}),
                                  LevelAt(side, {5, 2, 5})}),
              (std::array<int, 4>{0, 1, 2, 3}));
    // Open floor merges, all corners open.
    bool openFloor = false;
    for (const Quad& quad : quads) {
        if (quad.direction == kTop && CoveredBlocks(quad).size() > 4 && quad.levels == std::array<int, 4>{3, 3, 3, 3})
            openFloor = true;
    }
    EXPECT_TRUE(openFloor);
}
