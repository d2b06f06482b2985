#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>

#include "RecordingDevice.h"
#include "TextTestFiles.h"
#include "text/OverlayRegistry.h"
#include "text/TextEngine.h"

namespace {

using Texts = std::vector<std::string>;

std::vector<float> Floats(const std::vector<uint8_t>& bytes, size_t offset, size_t count) {
    std::vector<float> values(count);
    std::memcpy(values.data(), bytes.data() + offset, count * sizeof(float));
    return values;
}

class TextEngineTest : public ::testing::Test {
protected:
    void Start(int width = 1280) {
        ASSERT_TRUE(engine.Initialize(device, width, 720));
        device.calls.clear();
    }
    // The bytes of the buffer named last in the first call "<call> <slot> <buffer>".
    const std::vector<uint8_t>& BoundBytes(const std::string& call) const {
        const std::string first = device.CallsStartingWith(call + " ").at(0);
        return device.BufferBytes(BufferHandle{static_cast<uint32_t>(std::stoul(first.substr(first.rfind(' '))))});
    }
    TextTestFiles files;
    RecordingDevice device;
    TextEngine engine;
};

// Each failure of the start shows its message (a missing font info file none); a start once the fault is gone
// first releases what the failed one made, and shutdown releases everything.
TEST_F(TextEngineTest, EachStartFailureShowsItsMessageAndNothingIsLeftBehind) {
    using Case = std::tuple<const char*, int, const char*, const char*>;  // failing call, its n-th, missing file
    for (const auto& [call, nth, file, message] : {Case{"CreateBuffer", 1, "", "failed to create matrices buffer"},
                                                  Case{"CreateBuffer", 2, "", "failed to create matrices buffer"},
                                                  Case{"", 0, "Font_VS.glsl", "failed to read Font VertexShader"},
                                                  Case{"", 0, "Font_PS.glsl", "failed to read Font PixelShader"},
                                                  Case{"CreateSampler", 1, "", "failed to create sampler state"},
                                                  Case{"", 0, "fontInfo.txt", ""}}) {
        if (*file) files.Remove(file);
        RecordingDevice failing;
        failing.failingNth = {{call, nth}};
        files.messages.Messages().clear();
        EXPECT_FALSE(engine.Initialize(failing, 1280, 720));
        EXPECT_EQ(files.messages.Messages(), *message ? Texts{message} : Texts{}) << call << file;
        failing.failingNth.clear();
        if (*file) files.Write(file, "restored");
        EXPECT_TRUE(engine.Initialize(failing, 1280, 720));
        engine.SetText(failing, {.text = "!", .maximumLength = 1});
        engine.Shutdown(failing);
        EXPECT_EQ(failing.LiveObjects(), 0u);
    }
}

// A new id creates a sentence of its first maximum length (6 vertices and indices per glyph); a later line of that
// id refills it, never longer. Pens start at the window's top left, y growing downward.
TEST_F(TextEngineTest, FirstSightOfAnIdCreatesTheSentenceAndLaterLinesRefillItKeepingItsLength) {
    Start(1281);
    engine.SetText(device, {.id = 3, .text = "!", .maximumLength = 4, .x = 10, .y = 30});
    const Sentence& first = engine.Sentences()[0];
    EXPECT_TRUE(first.vertexCount == 24 && device.BufferDescription(first.vertexBuffer).byteWidth == 24 * 20);
    const std::vector<uint8_t>& indexBytes = device.BufferBytes(first.indexBuffer);
    for (uint32_t i = 0; i < 24; ++i) EXPECT_EQ(indexBytes[4 * i], i);
    const std::vector<uint8_t>& vertexBytes = device.BufferBytes(first.vertexBuffer);
    EXPECT_EQ(Floats(vertexBytes, 0, 2), (std::vector<float>{-630.5f, 330.0f}));
    engine.SetText(device, {.id = 9, .text = "!", .maximumLength = 1});
    engine.SetText(device, {.id = 3, .text = "!!!!!!", .colour = {0.25f, 1, 1, 1}, .maximumLength = 9, .x = 110});
    EXPECT_EQ(device.Count("CreateBuffer"), 4u);
    ASSERT_EQ(engine.Sentences().size(), 2u);
    EXPECT_TRUE(engine.Sentences()[0].maximumLength == 4 && engine.Sentences()[0].red == 0.25f);
    EXPECT_EQ(Floats(vertexBytes, 0, 1)[0], -530.5f);
    EXPECT_NE(Floats(vertexBytes, 3 * 120 + 20, 1)[0], 0.0f) << "the fourth glyph is drawn, no fifth";
}

// The matrix is bound once with the font texture, then each sentence in creation order with its colour; an empty
// sentence draws degenerate triangles of zeros.
TEST_F(TextEngineTest, RenderBindsTheMatrixOnceThenDrawsEachSentenceInCreationOrder) {
    Start();
    engine.SetText(device, {.id = 7, .text = "!", .colour = {1, 0, 0, 1}, .maximumLength = 2});
    engine.SetText(device, {.id = 2, .maximumLength = 3});
    const std::vector<uint8_t>& empty = device.BufferBytes(engine.Sentences()[1].vertexBuffer);
    EXPECT_TRUE(std::all_of(empty.begin(), empty.end(), [](uint8_t b) { return b == 0; }));
    Matrix4 ortho;
    for (int i = 0; i < 16; ++i) ortho.m[i / 4][i % 4] = static_cast<float>(i + 1);
    device.calls.clear();
    engine.Render(device, Matrix4::Identity(), ortho);
    EXPECT_EQ(device.Count("SetShaderResource 1 "), 1u);
    EXPECT_EQ(device.CallsStartingWith("DrawIndexed"), (Texts{"DrawIndexed 12 0 0", "DrawIndexed 18 0 0"}));
    const std::string firstVertices = std::to_string(engine.Sentences()[0].vertexBuffer.id);
    EXPECT_EQ(device.CallsStartingWith("SetVertexBuffers")[0], "SetVertexBuffers " + firstVertices + " 0");
    const std::vector<uint8_t>& matrix = BoundBytes("SetConstantBuffer VS 0");
    EXPECT_EQ(Floats(matrix, 192, 16), std::vector<float>(&ortho.m[0][0], &ortho.m[0][0] + 16));
    EXPECT_TRUE(std::all_of(matrix.begin(), matrix.begin() + 192, [](uint8_t b) { return b == 0; }));
    // The colour buffer is shared; after the last draw it holds the second sentence's white.
    EXPECT_EQ(Floats(BoundBytes("SetConstantBuffer PS 3"), 0, 4), std::vector<float>(4, 1.0f));
}

// A failed map shows its message and keeps the old vertices; a sentence whose buffer could not be made is kept but
// neither filled nor drawn.
TEST_F(TextEngineTest, FailuresDuringFramesShowTheirMessageAndDrawingGoesOn) {
    Start();
    engine.SetText(device, {.text = "!", .maximumLength = 1});
    const std::vector<uint8_t> before = device.BufferBytes(engine.Sentences()[0].vertexBuffer);
    device.failing.insert("MapDiscard");
    engine.SetText(device, {.text = "!", .maximumLength = 1, .x = 500, .y = 500});
    EXPECT_EQ(device.BufferBytes(engine.Sentences()[0].vertexBuffer), before);
    engine.Render(device, Matrix4::Identity(), Matrix4::Identity());
    EXPECT_EQ(files.messages.Messages(), Texts(3, "failed to lock constant buffer"));
    EXPECT_EQ(device.Count("DrawIndexed"), 1u);
    files.messages.Messages().clear();
    device.failing.clear();
    device.failingNth["CreateBuffer"] = 6;  // after the shader's two and the first sentence's: the index buffer
    engine.SetText(device, {.id = 1, .text = "!", .maximumLength = 1});
    EXPECT_EQ(files.messages.Messages(), Texts{"failed to create font index buffer"});
    EXPECT_EQ(engine.Sentences().size(), 2u);
    device.calls.clear();
    engine.Render(device, Matrix4::Identity(), Matrix4::Identity());
    EXPECT_EQ(device.Count("DrawIndexed"), 1u);
}

}  // namespace
