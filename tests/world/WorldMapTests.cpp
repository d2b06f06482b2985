// The world tool's map: the column tops it reads from the chunks and the
// picture it draws from them.
#include <array>
#include <set>

#include "WorldMap.h"
#include "WorldTestSupport.h"

namespace {
using Rgb = std::array<int, 3>;

Rgb PixelAt(const MapImage& image, uint32_t x, uint32_t y) {
    const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
    return {p[0], p[1], p[2]};
}

ColumnTops Columns(uint32_t width, uint32_t depth, int32_t (*top)(uint32_t col, uint32_t row)) {
    ColumnTops columns;
    columns.width = width;
    columns.depth = depth;
    columns.minX = -5;
    columns.maxZ = 7;
    for (uint32_t row = 0; row < depth; ++row) {
        for (uint32_t col = 0; col < width; ++col) columns.tops.push_back(top(col, row));
    }
    return columns;
}

constexpr Rgb kSand = {209, 194, 128};
constexpr Rgb kGrass = {82, 158, 46};
constexpr Rgb kSnow = {242, 245, 255};
constexpr Rgb kSky = {153, 153, 153};
constexpr Rgb kMark = {230, 30, 30};
}  // namespace

// Every column of a small cave world, against the block-by-block answer with
// x growing along a row and z falling down the rows.
TEST_F(WorldTest, MapColumnTopsAreOneAboveTheHighestSolidBlock) {
    UseSmallWorld(16, 32, 4);
    settings.mapGenerationMethod = 2;
    settings.instantStart = false;
    VoxelWorld world;
    ASSERT_TRUE(world.Initialize(settings, nullptr));
    const ColumnTops columns = FindColumnTops(world);
    ASSERT_TRUE(columns.width == 64u && columns.depth == 64u && columns.tops.size() == 64u * 64u);
    std::set<int32_t> heights;
    for (uint32_t row = 0; row < columns.depth; ++row) {
        for (uint32_t col = 0; col < columns.width; ++col) {
            const int32_t x = columns.minX + static_cast<int32_t>(col);
            const int32_t z = columns.maxZ - static_cast<int32_t>(row);
            int32_t top = 32;
            while (top > 0 && !world.IsBlockSolid(x, top - 1, z)) --top;
            ASSERT_EQ(columns.At(col, row), top) << x << " " << z;
            heights.insert(top);
        }
    }
    EXPECT_GE(heights.size(), 8u);
    world.Shutdown();
}

// Flat ground takes the top face's colour by height, an empty column the
// sky's; each column fills scale x scale pixels.
TEST(WorldMap, FlatGroundEmptyColumnsAndScale) {
    const ColumnTops columns = Columns(12, 4, [](uint32_t col, uint32_t) { return col < 4 ? 6 : col < 8 ? 0 : 201; });
    const MapImage map = DrawMap(columns, 3, 1000, 1000);  // the mark lies outside
    ASSERT_TRUE(map.width == 36u && map.height == 12u && map.rgba.size() == 36u * 12u * 4u);
    const std::pair<uint32_t, Rgb> expected[] = {{1, kSand}, {2, kSand}, {5, kSky}, {6, kSky}, {9, kSnow}, {10, kSnow}};
    for (const auto& [col, colour] : expected) {
        for (uint32_t y = 0; y < map.height; ++y) {
            for (uint32_t dx = 0; dx < 3; ++dx) ASSERT_EQ(PixelAt(map, col * 3 + dx, y), colour) << col << " " << y;
        }
    }
    for (size_t alpha = 3; alpha < map.rgba.size(); alpha += 4) ASSERT_EQ(map.rgba[alpha], 255);
}

// The light comes from -x and +z (the top left): ground rising along x faces
// it, ground rising along z faces away.
TEST(WorldMap, ReliefLightsSlopesThatFaceTheNorthWest) {
    const auto green = [](int32_t (*top)(uint32_t, uint32_t)) { return PixelAt(DrawMap(Columns(8, 8, top), 1, 1000, 1000), 4, 4)[1]; };
    EXPECT_EQ(green([](uint32_t, uint32_t) { return 30; }), kGrass[1]);
    EXPECT_GT(green([](uint32_t col, uint32_t) { return static_cast<int32_t>(20 + col); }), kGrass[1]);
    EXPECT_LT(green([](uint32_t col, uint32_t) { return static_cast<int32_t>(40 - col); }), kGrass[1]);
    // Rows run towards -z: tops falling down the rows rise along z.
    EXPECT_LT(green([](uint32_t, uint32_t row) { return static_cast<int32_t>(40 - row); }), kGrass[1]);
    EXPECT_GT(green([](uint32_t, uint32_t row) { return static_cast<int32_t>(20 + row); }), kGrass[1]);
}

// The start column is crossed in red at its centre; nothing else changes
// colour far from it.
TEST(WorldMap, MarksTheStartColumn) {
    const ColumnTops columns = Columns(40, 40, [](uint32_t, uint32_t) { return 30; });
    const MapImage map = DrawMap(columns, 2, columns.minX + 20, columns.maxZ - 10);
    EXPECT_EQ(PixelAt(map, 41, 21), kMark);
    EXPECT_EQ(PixelAt(map, 41 + 8, 21), kMark);
    EXPECT_EQ(PixelAt(map, 41, 21 - 8), kMark);
    EXPECT_EQ(PixelAt(map, 41 + 8, 21 + 8), kGrass);
    EXPECT_EQ(PixelAt(map, 79, 79), kGrass);
}
