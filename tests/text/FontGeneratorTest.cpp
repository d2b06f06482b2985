#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "GlyphAtlas.h"
#include "GlyphRasterizer.h"

namespace {

GlyphImage Solid(int width, int height, uint8_t value) {
    return GlyphImage{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height, value)};
}

int LowestInkRow(const GlyphImage& glyph) {
    for (int row = glyph.height - 1; row >= 0; --row) {
        const auto begin = glyph.coverage.begin() + row * glyph.width;
        if (std::any_of(begin, begin + glyph.width, [](uint8_t c) { return c != 0; })) return row;
    }
    return -1;
}

// Glyphs sit in one row with an empty column around each; the texture holds them as premultiplied white after the
// 128-byte header. (The font tests read the written info files.)
TEST(GlyphAtlasTest, GlyphsSitInOneRowWithAnEmptyColumnAroundEachAsPremultipliedWhite) {
    const GlyphAtlas atlas = PackGlyphRow({Solid(2, 3, 200), Solid(0, 3, 0), Solid(3, 3, 100)}, 3);
    ASSERT_TRUE(atlas.width == 9 && atlas.records.size() == 3u);
    EXPECT_TRUE(atlas.records[2].code == 34 && atlas.records[2].width == 3);
    EXPECT_FLOAT_EQ(atlas.records[0].left, 1.0f / 9.0f);
    EXPECT_FLOAT_EQ(atlas.records[0].right, 3.0f / 9.0f);
    EXPECT_FLOAT_EQ(atlas.records[2].left, 5.0f / 9.0f);
    EXPECT_EQ(std::vector<uint8_t>(atlas.coverage.end() - 9, atlas.coverage.end()),
              (std::vector<uint8_t>{0, 200, 200, 0, 0, 100, 100, 100, 0}));
    std::ostringstream image;
    WriteDds(image, atlas);
    EXPECT_EQ(image.str().size(), 128u + 9 * 3 * 4);
    EXPECT_EQ(image.str().substr(128 + 4, 8), std::string(8, '\xc8')) << "first pixels of glyph 0";
}

TEST(GlyphRasterizerTest, DejaVuSansMonoFitsSixteenRowsWithRoomForDescenders) {
    if (!std::filesystem::exists(VOXMERE_FONT_SOURCE)) GTEST_SKIP() << "font not installed";
    std::vector<GlyphImage> glyphs;
    std::string error;
    ASSERT_TRUE(RenderPrintableGlyphs(VOXMERE_FONT_SOURCE, 16, 16, glyphs, error)) << error;
    ASSERT_EQ(glyphs.size(), 95u);
    EXPECT_EQ(glyphs[0].width, 0) << "the space has no ink";
    for (size_t i = 1; i < glyphs.size(); ++i) EXPECT_TRUE(glyphs[i].height == 16 && LowestInkRow(glyphs[i]) >= 0) << i;
    const int baseline = LowestInkRow(glyphs['x' - 32]);
    EXPECT_EQ(LowestInkRow(glyphs['A' - 32]), baseline);
    EXPECT_GT(LowestInkRow(glyphs['g' - 32]), baseline + 1);
    EXPECT_FALSE(RenderPrintableGlyphs("/nonexistent/font.ttf", 16, 16, glyphs, error));
    EXPECT_NE(error.find("/nonexistent/font.ttf"), std::string::npos);
}

}  // namespace
