#include "graphics/ShaderLoader.h"

#include <gtest/gtest.h>

#include "RecordingDevice.h"
#include "TestFiles.h"

namespace {

const InputElement kElements[] = {
    {"POSITION", 0, Format::R32G32B32_Float, 0, kAppendAligned, false, 0},
    {"TEXCOORD", 1, Format::R32G32B32_Float, 1, 0, true, 1},
};

class ShaderLoaderTest : public ::testing::Test {
protected:
    ShaderPairResult Load(const std::string& baseName) { return LoadShaderPair(device_, baseName, kElements, 2, pair_); }

    TempFolder folder_;
    RecordingDevice device_;
    ShaderPair pair_;
};

TEST_F(ShaderLoaderTest, ReadsBothFilesAndCreatesShadersThenLayout) {
    folder_.Write("Cube_VS.glsl", std::string("vertex"));
    folder_.Write("Cube_PS.glsl", std::string("pixel!!"));
    ASSERT_EQ(Load(folder_.File("Cube")), ShaderPairResult::Loaded);
    const std::vector<std::string> expected = {"CreateVertexShader 6", "CreatePixelShader 7",
                                               "CreateInputLayout 2 POSITION0@0v TEXCOORD1@1i"};
    EXPECT_EQ(device_.calls, expected);
    EXPECT_TRUE(pair_.vertexShader);
    EXPECT_TRUE(pair_.pixelShader);
    EXPECT_TRUE(pair_.inputLayout);
}

TEST_F(ShaderLoaderTest, MissingPixelFileFailsAfterTheVertexFileWasRead) {
    folder_.Write("Cube_VS.glsl", std::string("vertex"));
    EXPECT_EQ(Load(folder_.File("Cube")), ShaderPairResult::PixelShaderUnreadable);
    EXPECT_TRUE(device_.calls.empty());
}

TEST_F(ShaderLoaderTest, MissingVertexFileFailsFirst) {
    folder_.Write("Cube_PS.glsl", std::string("pixel"));
    EXPECT_EQ(Load(folder_.File("Cube")), ShaderPairResult::VertexShaderUnreadable);
    EXPECT_TRUE(device_.calls.empty());
}

TEST_F(ShaderLoaderTest, EmptyFilesAreReadAsZeroBytesAndRejectionsAreIgnored) {
    folder_.Write("Empty_VS.glsl", std::string());
    folder_.Write("Empty_PS.glsl", std::string());
    device_.failing = {"CreateVertexShader", "CreatePixelShader", "CreateInputLayout"};
    EXPECT_EQ(Load(folder_.File("Empty")), ShaderPairResult::Loaded);
    EXPECT_EQ(device_.CallsStartingWith("CreateVertexShader"), std::vector<std::string>{"CreateVertexShader 0"});
    EXPECT_FALSE(pair_.vertexShader);
}

TEST_F(ShaderLoaderTest, ReadWholeFileTakesBackslashPathsAndReturnsNullForMissingFiles) {
    const std::string path = folder_.Write("data.bin", std::vector<uint8_t>{1, 2, 3, 0, 5});
    std::string settingsPath = path;
    for (char& c : settingsPath) {
        if (c == '/') c = '\\';
    }
    size_t size = 99;
    const std::unique_ptr<uint8_t[]> bytes = ReadWholeFile(settingsPath.c_str(), size);
    ASSERT_NE(bytes, nullptr);
    ASSERT_EQ(size, 5u);
    EXPECT_EQ(bytes[3], 0);
    EXPECT_EQ(bytes[4], 5);
    EXPECT_EQ(ReadWholeFile(folder_.File("absent.bin").c_str(), size), nullptr);
    EXPECT_EQ(ReadWholeFile(folder_.File("").c_str(), size), nullptr);  // a folder is not a file
}

TEST_F(ShaderLoaderTest, BaseNamesOfUpTo120CharactersKeepTheirWholeSuffix) {
    const std::string longName(120 - folder_.File("").size(), 'n');
    folder_.Write(longName + "_VS.glsl", std::string("vertex"));
    folder_.Write(longName + "_PS.glsl", std::string("pixel"));
    EXPECT_EQ(Load(folder_.File(longName)), ShaderPairResult::Loaded);
}

}  // namespace
