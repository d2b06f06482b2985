#include <gtest/gtest.h>

#include <filesystem>

#include "RecordingDevice.h"
#include "TextTestFiles.h"
#include "config/Settings.h"
#include "text/Font.h"

namespace {

constexpr float kPenX = -630.0f, kPenY = 350.0f, kUntouched = -7.0f;

class FontTest : public ::testing::Test {
protected:
    // The vertices of `text` drawn from (kPenX, kPenY); `written` holds the number of quads.
    std::vector<FontVertex> Build(const char* text, int glyphLimit = 8) {
        EXPECT_TRUE(font.ReadFontInfo());
        std::vector<FontVertex> v(6 * 8, FontVertex{kUntouched, kUntouched, kUntouched, kUntouched, kUntouched});
        written = font.BuildGlyphQuads(v.data(), glyphLimit, text, kPenX, kPenY);
        return v;
    }
    TextTestFiles files;
    Font font;
    int written = -1;
};

// Records are read in code order through the space's blank character.
TEST_F(FontTest, ReadsRecordsInCodeOrderThroughTheBlankSpaceRecord) {
    ASSERT_TRUE(font.ReadFontInfo());
    EXPECT_TRUE(font.Glyphs()[94].left == 0.94f && font.Glyphs()[94].right == 0.95f && font.Glyphs()[94].width == 3);
    files.Write("fontInfo.txt", "x   0.5 0.75 3\nsecond ! 0.125 0.25 4\n");
    ASSERT_TRUE(font.ReadFontInfo());
    EXPECT_TRUE(font.Glyphs()[0].width == 3 && font.Glyphs()[1].left == 0.125f);
}

// A glyph is two clockwise triangles of its width and the font's height; the pen advances by width + 1, or 5 for a
// space; codes without a glyph are skipped and only glyphs count towards the limit. Glyph i is i % 7 wide.
TEST_F(FontTest, QuadsAndPenAdvance) {
    auto v = Build("#");  // glyph 3: u 0.03..0.04, 3 pixels wide
    ASSERT_EQ(written, 1);
    const float r = kPenX + 3.0f, b = kPenY - 16.0f, u0 = 0.03f, u1 = 0.04f;
    const FontVertex expected[6] = {{kPenX, kPenY, 0, u0, 0}, {r, b, 0, u1, 1},     {kPenX, b, 0, u0, 1},
                                    {kPenX, kPenY, 0, u0, 0}, {r, kPenY, 0, u1, 0}, {r, b, 0, u1, 1}};
    const auto values = [](const FontVertex& f) { return std::vector<float>{f.x, f.y, f.z, f.u, f.v}; };
    for (int i = 0; i < 6; ++i) EXPECT_EQ(values(v[i]), values(expected[i])) << i;
    EXPECT_EQ(v[6].x, kUntouched);
    v = Build("#$ \t\x7f\xe9%");
    ASSERT_EQ(written, 3);
    EXPECT_FLOAT_EQ(v[6].x, kPenX + 3 + 1);
    EXPECT_FLOAT_EQ(v[12].x, kPenX + 3 + 1 + 4 + 1 + 5);
    v = Build("! ! !", 2);
    EXPECT_EQ(written, 2);
    EXPECT_FLOAT_EQ(v[6].x, kPenX + 1 + 1 + 5);
    EXPECT_EQ(v[12].x, kUntouched);
}

// The height comes from fontSize; a start fails without its files or with an image path over 99 characters.
TEST_F(FontTest, InitializeTakesHeightFromFontSizeAndFailsWithoutItsFilesOrWithATooLongImagePath) {
    Config().fontSize = 24.0f;
    RecordingDevice device;
    ASSERT_TRUE(font.Initialize(device));
    EXPECT_FLOAT_EQ(Build("#")[2].y, kPenY - 24.0f);
    font.Shutdown(device);
    EXPECT_EQ(device.LiveObjects(), 0u);
    for (const size_t length : {99, 100}) {
        const std::string path = files.File(std::string(length - files.File("").size(), 'f'));
        std::filesystem::copy_file(files.File("font.dds"), path);
        Config().fontImageFilename = path;
        EXPECT_EQ(font.Initialize(device), length == 99) << length << " characters";
    }
    Config().fontImageFilename = files.File("missing.dds");
    EXPECT_FALSE(font.Initialize(device)) << "no texture";
    Config().fontImageFilename = files.File("font.dds");
    files.Remove("fontInfo.txt");
    EXPECT_FALSE(font.Initialize(device)) << "no font info";
    EXPECT_EQ(device.Count("CreateTexture"), 2u) << "all files, and a 99-character path";
}

}  // namespace
