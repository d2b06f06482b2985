#include <gtest/gtest.h>

#include <filesystem>

#include "ScratchFolder.h"
#include "graphics/Screenshot.h"

#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

namespace {

std::vector<uint8_t> ReadPng(const std::string& path, int& width, int& height) {
    int channels = 0;
    stbi_uc* pixels = stbi_load(path.c_str(), &width, &height, &channels, 4);
    std::vector<uint8_t> rgba(pixels, pixels == nullptr ? pixels : pixels + 4 * width * height);
    stbi_image_free(pixels);
    return rgba;
}

// Rows are written top first and read back unchanged; bad sizes and paths are refused; an old file is replaced
// whole, a folder in the way is left as it was, and no partial file stays behind.
TEST(ScreenshotTest, WritesRowsTopFirstThatReadBackUnchangedAndRefusesBadInput) {
    ScratchFolder folder("voxmere-shot");
    // 3 x 2: a red, green, blue top row over a white, black, translucent one.
    const std::vector<uint8_t> rgba = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255,
                                       255, 255, 255, 255, 0, 0, 0, 255, 10, 20, 30, 128};
    const std::string path = folder.File("shot.png");
    ASSERT_TRUE(SavePng(path.c_str(), rgba, 3, 2));
    int width = 0, height = 0;
    EXPECT_TRUE(ReadPng(path, width, height) == rgba && width == 3 && height == 2);
    const std::vector<uint8_t> onePixel = {1, 2, 3, 4};
    EXPECT_FALSE(SavePng(folder.File("a.png").c_str(), onePixel, 2, 1));
    EXPECT_FALSE(SavePng(folder.File("b.png").c_str(), {}, 0, 0));
    EXPECT_FALSE(SavePng(folder.File("no/such/folder.png").c_str(), onePixel, 1, 1));
    ASSERT_TRUE(SavePng(path.c_str(), onePixel, 1, 1));
    EXPECT_EQ(ReadPng(path, width, height), onePixel);
    std::filesystem::create_directory(folder.File("taken.png"));
    EXPECT_FALSE(SavePng(folder.File("taken.png").c_str(), onePixel, 1, 1));
    EXPECT_TRUE(std::filesystem::is_directory(folder.File("taken.png")));
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) files += entry.is_regular_file();
    EXPECT_EQ(files, 1u) << "only shot.png, no partial files";
}

}  // namespace
