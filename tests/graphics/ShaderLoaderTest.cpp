#include "graphics/ShaderLoader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "RecordingDevice.h"
#include "TestFiles.h"

namespace {

const InputElement kElements[] = {{"POSITION", 0, Format::R32G32B32_Float, 0, kAppendAligned, false, 0}};

class ShaderLoaderTest : public ::testing::Test {
protected:
    ShaderPairResult Load(const std::string& baseName) {
        return LoadShaderPair(device_, folder_.File(baseName), kElements, 1, pair_);
    }
    void WritePair(const std::string& name) {
        folder_.Write(name + "_VS.glsl", std::string("vertex"));
        folder_.Write(name + "_PS.glsl", std::string("pixel!!"));
    }
    TempFolder folder_;
    RecordingDevice device_;
    ShaderPair pair_;
};

// "<base>_VS.glsl" must fit a 128-byte buffer with its terminator; a longer
// name is refused, never read under a cut name.
TEST_F(ShaderLoaderTest, ReadsBothFilesThenCreatesShadersAndLayoutForNamesUpTo127Characters) {
    const size_t longest = 127 - std::strlen("_VS.glsl") - folder_.File("").size();
    for (const std::string& name : {std::string("Cube"), std::string(longest, 'n')}) {
        WritePair(name);
        device_.calls.clear();
        ASSERT_EQ(Load(name), ShaderPairResult::Loaded) << name;
        EXPECT_EQ(device_.calls, (std::vector<std::string>{"CreateVertexShader", "CreatePixelShader", "CreateInputLayout"}));
        EXPECT_TRUE(pair_.vertexShader && pair_.pixelShader && pair_.inputLayout);
    }
    WritePair(std::string(longest + 1, 'n'));
    device_.calls.clear();
    EXPECT_EQ(Load(std::string(longest + 1, 'n')), ShaderPairResult::VertexShaderUnreadable);
    EXPECT_TRUE(device_.calls.empty());
}

TEST_F(ShaderLoaderTest, MissingFilesFailVertexFirstAndEmptyFilesLoadWithRejectionsIgnored) {
    folder_.Write("Pixel_PS.glsl", std::string("pixel"));
    folder_.Write("Vertex_VS.glsl", std::string("vertex"));
    EXPECT_EQ(Load("Pixel"), ShaderPairResult::VertexShaderUnreadable);
    EXPECT_EQ(Load("Vertex"), ShaderPairResult::PixelShaderUnreadable);
    EXPECT_TRUE(device_.calls.empty());
    folder_.Write("Empty_VS.glsl", std::string());
    folder_.Write("Empty_PS.glsl", std::string());
    device_.failing = {"CreateVertexShader", "CreatePixelShader", "CreateInputLayout"};
    EXPECT_EQ(Load("Empty"), ShaderPairResult::Loaded);
    EXPECT_FALSE(pair_.vertexShader);
}

TEST_F(ShaderLoaderTest, ReadWholeFileTakesBackslashPathsAndReturnsNullForMissingFilesAndFolders) {
    std::string path = folder_.Write("data.bin", std::vector<uint8_t>{1, 2, 3, 0, 5});
    std::replace(path.begin(), path.end(), '/', '\\');
    size_t size = 99;
    const std::unique_ptr<uint8_t[]> bytes = ReadWholeFile(path.c_str(), size);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(bytes.get(), bytes.get() + size), (std::vector<uint8_t>{1, 2, 3, 0, 5}));
    EXPECT_EQ(ReadWholeFile(folder_.File("absent.bin").c_str(), size), nullptr);
    EXPECT_EQ(ReadWholeFile(folder_.File("").c_str(), size), nullptr);
}

}  // namespace
