#include <gtest/gtest.h>

#include <filesystem>

#include "RecordingDevice.h"
#include "ScratchFolder.h"
#include "graphics/ShaderLoader.h"

namespace {

class ShaderLoaderTest : public ::testing::Test {
protected:
    ShaderPairResult Load(const std::string& baseName) {
        const InputElement position = {"POSITION", 0, Format::R32G32B32_Float, 0, kAppendAligned, false, 0};
        device_.calls.clear();
        return LoadShaderPair(device_, folder_.File(baseName), &position, 1, pair_);
    }
    ScratchFolder folder_{"voxmere-shader"};
    RecordingDevice device_;
    ShaderPair pair_;
};

// "<base>_VS.glsl" must fit 128 bytes with its terminator: a longer name is refused, never read under a cut name.
// The vertex file is read first; the device's rejections of a read pair are not failures.
TEST_F(ShaderLoaderTest, ReadsBothFilesOfNamesUpTo127CharactersVertexFirstThenCreatesShadersAndLayout) {
    const std::string longest(127 - std::string("_VS.glsl").size() - folder_.File("").size(), 'n');
    for (const std::string& name : {std::string("Cube"), longest, longest + "n"}) {
        folder_.Write(name + "_VS.glsl", "vertex");
        folder_.Write(name + "_PS.glsl", "pixel!!");
    }
    for (const std::string& name : {std::string("Cube"), longest}) {
        ASSERT_EQ(Load(name), ShaderPairResult::Loaded) << name;
        EXPECT_EQ(device_.calls,
                  (std::vector<std::string>{"CreateVertexShader", "CreatePixelShader", "CreateInputLayout"}));
        EXPECT_TRUE(pair_.vertexShader && pair_.pixelShader && pair_.inputLayout);
    }
    folder_.Write(longest + "n_VS.gls", "vertex");  // the name cut to 127 characters
    folder_.Write(longest + "n_PS.gls", "pixel");
    EXPECT_EQ(Load(longest + "n"), ShaderPairResult::VertexShaderUnreadable);
    folder_.Write("Pixel_PS.glsl", "pixel");
    folder_.Write("Vertex_VS.glsl", "vertex");
    EXPECT_EQ(Load("Pixel"), ShaderPairResult::VertexShaderUnreadable);
    EXPECT_EQ(Load("Vertex"), ShaderPairResult::PixelShaderUnreadable);
    EXPECT_TRUE(device_.calls.empty());
    folder_.Write("Empty_VS.glsl", "");
    folder_.Write("Empty_PS.glsl", "");
    std::filesystem::create_directory(folder_.File("Dir_VS.glsl"));
    EXPECT_EQ(Load("Dir"), ShaderPairResult::VertexShaderUnreadable) << "a folder, not a file";
    device_.failing = {"CreateVertexShader", "CreatePixelShader", "CreateInputLayout"};
    pair_ = ShaderPair{};
    EXPECT_EQ(Load("Empty"), ShaderPairResult::Loaded);
    EXPECT_FALSE(pair_.vertexShader);
}

}  // namespace
