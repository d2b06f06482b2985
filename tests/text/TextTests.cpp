#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <sstream>
#include <tuple>

#include "GlyphAtlas.h"
#include "MessageCapture.h"
#include "RecordingDevice.h"
#include "ScratchFolder.h"
#include "config/Settings.h"
#include "graphics/GraphicsDevice.h"
#include "input/InputState.h"
#include "text/Font.h"
#include "text/OverlayRegistry.h"
#include "text/OverlayRegistryAccess.h"
#include "text/TextEngine.h"
#include "text/TextOverlay.h"

namespace {

using Texts = std::vector<std::string>;

// A scratch folder holding a font info file (glyph i: u i/100..(i+1)/100, i % 7 pixels wide), a small font texture
// and a font shader pair, with the settings pointed at it. Captures shown messages while it lives.
class TextTestFiles : public ScratchFolder {
public:
    TextTestFiles() : ScratchFolder("voxmere-text") {
        settings.font.infoFilename = File("fontInfo.txt");
        settings.font.imageFilename = File("font.dds");
        settings.font.shaderName = File("Font");
        GlyphAtlas atlas;
        for (int i = 0; i < kPrintableCount; ++i) {
            atlas.records.push_back({32 + i, i / 100.0f, (i + 1) / 100.0f, i % 7});
        }
        std::ostringstream info, image;
        WriteFontInfo(info, atlas);
        Write("fontInfo.txt", info.str());
        const GlyphImage glyph{2, 4, std::vector<uint8_t>(8, 255)};
        WriteDds(image, PackGlyphRow({glyph, glyph}, 4));
        Write("font.dds", image.str());
        Write("Font_VS.glsl", "vertex");
        Write("Font_PS.glsl", "pixel");
    }
    void Remove(const std::string& name) const { std::filesystem::remove(File(name)); }
    MessageCapture messages;
    OverlaySettings settings = OverlaySettingsFrom(TypedSettings{});
};

constexpr float kPenX = -630.0f, kPenY = 350.0f, kUntouched = -7.0f;

class FontTest : public ::testing::Test {
protected:
    // The vertices of `text` drawn from (kPenX, kPenY); `written` holds the number of quads.
    std::vector<FontVertex> Build(const char* text, int glyphLimit = 8) {
        EXPECT_TRUE(font.ReadFontInfo(files.settings.font.infoFilename));
        std::vector<FontVertex> v(6 * 8, FontVertex{kUntouched, kUntouched, kUntouched, kUntouched, kUntouched});
        written = font.BuildGlyphQuads(v.data(), glyphLimit, text, kPenX, kPenY);
        return v;
    }
    TextTestFiles files;
    Font font;
    int written = -1;
};

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
    EXPECT_TRUE(Build("~")[4].x == kPenX + 3 && Build("~")[4].u == 0.95f) << "the last record";
    v = Build("! ! !", 2);
    EXPECT_EQ(written, 2);
    EXPECT_FLOAT_EQ(v[6].x, kPenX + 1 + 1 + 5);
    EXPECT_EQ(v[12].x, kUntouched);
}

// The height comes from fontSize; a start fails without its files or with an image path over 99 characters.
TEST_F(FontTest, InitializeTakesHeightFromFontSizeAndFailsWithoutItsFilesOrWithATooLongImagePath) {
    files.settings.font.size = 24.0f;
    RecordingDevice device;
    ASSERT_TRUE(font.Initialize(device, files.settings.font));
    EXPECT_FLOAT_EQ(Build("#")[2].y, kPenY - 24.0f);
    font.Shutdown(device);
    EXPECT_EQ(device.LiveObjects(), 0u);
    for (const size_t length : {99, 100}) {
        const std::string path = files.File(std::string(length - files.File("").size(), 'f'));
        std::filesystem::copy_file(files.File("font.dds"), path);
        files.settings.font.imageFilename = path;
        EXPECT_EQ(font.Initialize(device, files.settings.font), length == 99) << length << " characters";
    }
    files.settings.font.imageFilename = files.File("missing.dds");
    EXPECT_FALSE(font.Initialize(device, files.settings.font)) << "no texture";
    files.settings.font.imageFilename = files.File("font.dds");
    files.Remove("fontInfo.txt");
    EXPECT_FALSE(font.Initialize(device, files.settings.font)) << "no font info";
    EXPECT_EQ(device.Count("CreateTexture"), 2u) << "all files, and a 99-character path";
}

std::vector<float> Floats(const std::vector<uint8_t>& bytes, size_t offset, size_t count) {
    std::vector<float> values(count);
    std::memcpy(values.data(), bytes.data() + offset, count * sizeof(float));
    return values;
}

class TextEngineTest : public ::testing::Test {
protected:
    void Start(int width = 1280) {
        ASSERT_TRUE(engine.Initialize(device, width, 720, files.settings.font));
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
        EXPECT_FALSE(engine.Initialize(failing, 1280, 720, files.settings.font));
        EXPECT_EQ(files.messages.Messages(), *message ? Texts{message} : Texts{}) << call << file;
        failing.failingNth.clear();
        if (*file) files.Write(file, "restored");
        EXPECT_TRUE(engine.Initialize(failing, 1280, 720, files.settings.font));
        engine.SetText(failing, {.text = "!", .maximumLength = 1});
        engine.Shutdown(failing);
        EXPECT_EQ(failing.LiveObjects(), 0u);
    }
}

// A sentence keeps its first maximum length (6 vertices per glyph); pens start at the top left, y growing down.
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

// Each sentence is drawn with its colour after the matrix; an empty one draws degenerate triangles of zeros.
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

// A failed map keeps the old vertices; a sentence whose buffer could not be made is kept but neither filled nor drawn.
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

// Logs its name when asked, keeps what it was handed and returns `count` lines of its own ids.
struct Producer {
    short Lines(OverlayLine* lines) {
        log.push_back(name);
        handed.assign(lines, lines + TextOverlay::kLinesPerCallback);
        for (short i = 0; i < count; ++i) lines[i] = OverlayLine{.id = 100u * count + i, .maximumLength = 8};
        return count;
    }
    const char* name;
    short count;
    Texts& log;
    std::vector<OverlayLine> handed;
    TSpecificCallback<Producer> callback{this, &Producer::Lines};
};

class TextOverlayTest : public ::testing::Test {
protected:
    TextOverlayTest() {
        ClearOverlayRegistry();
        auto backend = std::make_unique<RecordingDevice>();
        device = backend.get();
        EXPECT_TRUE(graphics.Initialize(std::move(backend), DisplaySettings{.width = 1280, .height = 720}));
    }
    ~TextOverlayTest() override {
        overlay.Shutdown();
        graphics.Shutdown();
        ClearOverlayRegistry();
        DebugOutput() = false;
    }
    TextTestFiles files;
    RecordingDevice* device = nullptr;
    GraphicsDevice graphics;
    TextOverlay overlay;
};

// A refresh is due once GUIUpdate seconds have gathered (every frame for 0); it drains the queued lines, then asks
// every callback in registration order once, for lines in white at (0, 0) with id 0; counts below one add nothing.
TEST_F(TextOverlayTest, RefreshIsDueAfterGUIUpdateSecondsAndDrainsTheQueueBeforeAskingTheCallbacks) {
    files.settings.refreshInterval = 0.5f;
    ASSERT_TRUE(overlay.Initialize(&graphics, files.settings));
    EXPECT_FALSE(overlay.AddElapsed(0.25f));
    EXPECT_TRUE(overlay.AddElapsed(0.25f));
    overlay.Update(&graphics);
    EXPECT_FALSE(overlay.AddElapsed(0.25f)) << "a refresh starts the count again";
    Texts log;
    Producer producers[] = {
        {"world", 1, log, {}}, {"core", 2, log, {}}, {"none", 0, log, {}}, {"negative", -3, log, {}}};
    for (Producer& producer : producers) RegisterCallback(&producer.callback);
    QueueLine(OverlayLine{.id = 99, .maximumLength = 32});  // an id no producer line has
    overlay.Update(&graphics);
    EXPECT_TRUE(QueuedLines().empty());
    EXPECT_EQ(log, (Texts{"world", "core", "none", "negative"}));
    ASSERT_EQ(overlay.Engine()->Sentences().size(), 4u) << "the queued line, one from world and two from core";
    EXPECT_EQ(overlay.Engine()->Sentences()[0].maximumLength, 32) << "the queued line came first";
    for (const OverlayLine& line : producers[0].handed) {
        EXPECT_EQ(std::vector<float>(line.colour, line.colour + 4), std::vector<float>(4, 1.0f));
        EXPECT_EQ(line.id + line.x + line.y, 0u);
    }
    files.settings.refreshInterval = 0.0f;
    ASSERT_TRUE(overlay.Initialize(&graphics, files.settings));
    EXPECT_TRUE(overlay.AddElapsed(0.0f));
}

// Text is drawn solid, between the overlay states, only while the debug output is on.
TEST_F(TextOverlayTest, DrawsSolidBetweenOverlayStatesOnlyWhileDebugOutputIsOn) {
    ASSERT_TRUE(overlay.Initialize(&graphics, files.settings));
    QueueLine(OverlayLine{.maximumLength = 4});
    overlay.Update(&graphics);
    graphics.SetRasterMode(RasterMode::Wireframe);
    device->calls.clear();
    overlay.Render(&graphics, Matrix4::Identity(), Matrix4::Identity());
    EXPECT_TRUE(device->calls.empty());
    DebugOutput() = true;
    overlay.Render(&graphics, Matrix4::Identity(), Matrix4::Identity());
    Texts states;
    for (const std::string& call : device->calls) {
        const std::string name = call.substr(0, call.find(' '));
        if (name.find("State") != std::string::npos || name == "DrawIndexed") states.push_back(name);
    }
    EXPECT_EQ(states, (Texts{"SetRasterizerState", "SetDepthStencilState", "SetBlendState", "DrawIndexed",
                             "SetBlendState", "SetDepthStencilState"}));
}

// A start after a failed one, and a second start, replace the engine with all it had made.
TEST_F(TextOverlayTest, ShutdownReleasesWhatItMadeAndAFailingTextEngineIsReportedAfterItsOwnMessage) {
    TextOverlay().Shutdown();  // safe without a start
    const size_t graphicsObjects = device->LiveObjects();
    files.Remove("Font_PS.glsl");
    EXPECT_FALSE(overlay.Initialize(&graphics, files.settings));
    EXPECT_EQ(files.messages.Messages(), (Texts{"failed to read Font PixelShader", "failed to initialize TextEngine"}));
    files.Write("Font_PS.glsl", "pixel");
    ASSERT_TRUE(overlay.Initialize(&graphics, files.settings));
    ASSERT_TRUE(overlay.Initialize(&graphics, files.settings));
    overlay.Shutdown();
    EXPECT_EQ(device->LiveObjects(), graphicsObjects);
}

}  // namespace
