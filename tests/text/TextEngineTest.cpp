#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>

#include "RecordingDevice.h"
#include "TextTestFiles.h"
#include "text/OverlayRegistry.h"
#include "text/TextEngine.h"

namespace {

OverlayLine Line(uint32_t id, const char* text, int maximumLength, uint32_t x = 10, uint32_t y = 10) {
    OverlayLine line;
    std::snprintf(line.text, sizeof line.text, "%s", text);
    std::tie(line.id, line.maximumLength, line.x, line.y) = std::tie(id, maximumLength, x, y);
    return line;
}

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
    // The buffer bound by the first call starting with the prefix, e.g. "SetConstantBuffer VS 0".
    BufferHandle BoundBuffer(const std::string& prefix) const {
        return BufferHandle{static_cast<uint32_t>(std::stoul(device.CallsStartingWith(prefix + " ").at(0).substr(prefix.size())))};
    }
    std::vector<std::string> CallNames() const {
        std::vector<std::string> names;
        for (const std::string& call : device.calls) names.push_back(call.substr(0, call.find(' ')));
        return names;
    }

    TextTestFiles files;
    RecordingDevice device;
    TextEngine engine;
};

TEST_F(TextEngineTest, StartCreatesBuffersShadersLayoutAndSamplerAndShutdownReleasesSentencesThenShaderThenFont) {
    ASSERT_TRUE(engine.Initialize(device, 1280, 720));
    const std::vector<std::string> expected = {"CreateBuffer 16 1 2 1 0", "CreateBuffer 256 1 2 1 0", "CreateVertexShader 6",
                                               "CreatePixelShader 5", "CreateInputLayout 2 POSITION0@0v TEXCOORD0@0v",
                                               "CreateSampler 1 1"};
    EXPECT_EQ(std::vector<std::string>(device.calls.end() - 6, device.calls.end()), expected);
    EXPECT_TRUE(TextTestFiles::messages.empty());

    engine.SetText(device, Line(0, "!", 1));
    engine.Shutdown(device);
    // Numbered as created: texture 1, colour 2, matrix 3, shaders 4 and 5, layout 6, sampler 7, vertex 8, index 9.
    EXPECT_EQ(device.CallsStartingWith("Release"),
              (std::vector<std::string>{"ReleaseBuffer 8", "ReleaseBuffer 9", "ReleaseBuffer 2", "ReleaseBuffer 3",
                                        "ReleaseInputLayout 6", "ReleaseShader 4", "ReleaseShader 5", "ReleaseSampler 7",
                                        "ReleaseTextureView 1"}));
    EXPECT_EQ(device.LiveObjects(), 0u);
}

TEST_F(TextEngineTest, EachStartFailureShowsItsMessage) {
    struct Case {
        const char* failingCall;
        int nth;
        const char* missingFile;
        const char* message;
    };
    for (const Case& c : {Case{"CreateBuffer", 1, nullptr, "failed to create matrices buffer"},
                          Case{"CreateBuffer", 2, nullptr, "failed to create matrices buffer"},
                          Case{nullptr, 0, "Font_VS.glsl", "failed to read Font VertexShader"},
                          Case{nullptr, 0, "Font_PS.glsl", "failed to read Font PixelShader"},
                          Case{"CreateSampler", 1, nullptr, "failed to create sampler state"},
                          Case{nullptr, 0, "fontInfo.txt", nullptr}}) {
        TextTestFiles failing;
        if (c.missingFile != nullptr) failing.Remove(c.missingFile);
        RecordingDevice failingDevice;
        if (c.failingCall != nullptr) failingDevice.failingNth[c.failingCall] = c.nth;
        TextEngine failingEngine;
        EXPECT_FALSE(failingEngine.Initialize(failingDevice, 1280, 720));
        EXPECT_EQ(TextTestFiles::messages, c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
        // A start once the fault is gone first releases what the failed one made.
        failingDevice.failingNth.clear();
        if (c.missingFile != nullptr) failing.Write(c.missingFile, "restored");
        EXPECT_TRUE(failingEngine.Initialize(failingDevice, 1280, 720));
        failingEngine.Shutdown(failingDevice);
        EXPECT_EQ(failingDevice.LiveObjects(), 0u);
    }
}

TEST_F(TextEngineTest, FirstSightOfAnIdCreatesBuffersAndALaterLineRefillsOnlyItsSentenceKeepingItsMaximumLength) {
    Start(1281);
    engine.SetText(device, Line(3, "!", 4, 10, 30));
    EXPECT_EQ(device.CallsStartingWith("CreateBuffer"),
              (std::vector<std::string>{"CreateBuffer 480 1 0 1 1", "CreateBuffer 96 0 1 0 1"}));
    const std::vector<uint8_t>& indexBytes = device.BufferBytes(engine.Sentences()[0].indexBuffer);
    for (uint32_t i = 0; i < 24; ++i) EXPECT_EQ(indexBytes[4 * i], i);
    const std::vector<uint8_t>& vertexBytes = device.BufferBytes(engine.Sentences()[0].vertexBuffer);
    EXPECT_EQ(Floats(vertexBytes, 0, 2), (std::vector<float>{-630.5f, 330.0f})) << "pen measured from the top left";

    engine.SetText(device, Line(9, "!", 1));
    OverlayLine longer = Line(3, "!!!!!!", 9, 110);
    longer.colour[0] = 0.25f;
    engine.SetText(device, longer);
    EXPECT_EQ(device.Count("CreateBuffer"), 4u);
    ASSERT_EQ(engine.Sentences().size(), 2u);
    EXPECT_EQ(engine.Sentences()[0].maximumLength, 4);
    EXPECT_EQ(engine.Sentences()[0].red, 0.25f);
    EXPECT_EQ(Floats(vertexBytes, 0, 1)[0], -530.5f);
    EXPECT_NE(Floats(vertexBytes, 3 * 120 + 20, 1)[0], 0.0f) << "the fourth glyph is drawn";
    EXPECT_EQ(vertexBytes.size(), 480u) << "the fifth is not";
    EXPECT_EQ(Floats(device.BufferBytes(engine.Sentences()[1].vertexBuffer), 0, 1)[0], -630.5f);
}

TEST_F(TextEngineTest, RenderBindsMatrixOnceThenDrawsEachSentenceInCreationOrderEmptyOnesAsDegenerateTriangles) {
    Start();
    OverlayLine red = Line(7, "!", 2);
    red.colour[1] = red.colour[2] = 0.0f;
    engine.SetText(device, red);
    engine.SetText(device, Line(2, "", 3));
    const std::vector<uint8_t>& empty = device.BufferBytes(engine.Sentences()[1].vertexBuffer);
    EXPECT_TRUE(std::all_of(empty.begin(), empty.end(), [](uint8_t b) { return b == 0; }));
    Matrix4 ortho;
    for (int i = 0; i < 16; ++i) ortho.m[i / 4][i % 4] = static_cast<float>(i + 1);
    device.calls.clear();
    engine.Render(device, Matrix4::Identity(), ortho);

    const std::vector<std::string> perSentence = {"SetVertexBuffers", "SetIndexBuffer", "SetPrimitiveTopology", "MapDiscard",
                                                  "Unmap", "SetConstantBuffer", "SetInputLayout", "SetVertexShader",
                                                  "SetPixelShader", "SetSampler", "DrawIndexed"};
    std::vector<std::string> expected = {"MapDiscard", "Unmap", "SetConstantBuffer", "SetShaderResource"};
    expected.insert(expected.end(), perSentence.begin(), perSentence.end());
    expected.insert(expected.end(), perSentence.begin(), perSentence.end());
    EXPECT_EQ(CallNames(), expected);
    EXPECT_EQ(device.CallsStartingWith("DrawIndexed"), (std::vector<std::string>{"DrawIndexed 12 0 0", "DrawIndexed 18 0 0"}));
    EXPECT_EQ(BoundBuffer("SetVertexBuffers 0 1"), engine.Sentences()[0].vertexBuffer);
    EXPECT_EQ(device.Count("SetIndexBuffer " + std::to_string(engine.Sentences()[0].indexBuffer.id) + " 42 0"), 1u);
    EXPECT_EQ(device.Count("SetShaderResource PS 1 "), 1u);
    EXPECT_EQ(device.Count("SetSampler PS 1 "), 2u);

    const std::vector<uint8_t>& matrix = device.BufferBytes(BoundBuffer("SetConstantBuffer VS 0"));
    EXPECT_EQ(Floats(matrix, 192, 16), std::vector<float>(&ortho.m[0][0], &ortho.m[0][0] + 16));
    EXPECT_TRUE(std::all_of(matrix.begin(), matrix.begin() + 192, [](uint8_t b) { return b == 0; }));
    // The colour buffer is shared; after the last draw it holds the second sentence's white.
    EXPECT_EQ(Floats(device.BufferBytes(BoundBuffer("SetConstantBuffer PS 3")), 0, 4), std::vector<float>(4, 1.0f));
}

TEST_F(TextEngineTest, FailingMapShowsMessageKeepsOldVerticesAndDrawingGoesOn) {
    Start();
    engine.SetText(device, Line(0, "!", 1));
    const std::vector<uint8_t> before = device.BufferBytes(engine.Sentences()[0].vertexBuffer);
    device.failing.insert("MapDiscard");
    device.calls.clear();
    engine.SetText(device, Line(0, "!", 1, 500, 500));
    EXPECT_EQ(device.BufferBytes(engine.Sentences()[0].vertexBuffer), before);
    engine.Render(device, Matrix4::Identity(), Matrix4::Identity());
    EXPECT_EQ(TextTestFiles::messages, std::vector<std::string>(3, "failed to lock constant buffer"));
    EXPECT_EQ(device.Count("Unmap"), 0u);
    EXPECT_EQ(device.Count("DrawIndexed"), 1u);
}

TEST_F(TextEngineTest, SentenceMissingABufferIsKeptButNotDrawn) {
    Start();
    device.failingNth["CreateBuffer"] = 3;  // calls 1 and 2 were the shader's: the first sentence's vertex buffer
    engine.SetText(device, Line(0, "!", 1));
    device.failingNth["CreateBuffer"] = 6;  // the second sentence's index buffer
    engine.SetText(device, Line(1, "!", 1));
    EXPECT_EQ(TextTestFiles::messages,
              (std::vector<std::string>{"failed to create font vertex buffer", "failed to create font index buffer"}));
    EXPECT_EQ(engine.Sentences().size(), 2u);
    EXPECT_EQ(device.Count("MapDiscard"), 1u) << "a sentence without vertex buffer is not filled";
    engine.Render(device, Matrix4::Identity(), Matrix4::Identity());
    EXPECT_EQ(device.Count("DrawIndexed"), 0u);
}

}  // namespace
