#include <gtest/gtest.h>

#include <memory>

#include "RecordingDevice.h"
#include "TextTestFiles.h"
#include "config/Settings.h"
#include "graphics/GraphicsDevice.h"
#include "input/InputState.h"
#include "text/OverlayRegistryAccess.h"
#include "text/TextEngine.h"
#include "text/TextOverlay.h"

namespace {

using Texts = std::vector<std::string>;

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
        EXPECT_TRUE(graphics.Initialize(std::move(backend)));
    }
    ~TextOverlayTest() override {
        overlay.Shutdown();
        graphics.Shutdown();
        ClearOverlayRegistry();
        DebugOutput() = false;
    }
    void Render() { overlay.Render(&graphics, Matrix4::Identity(), Matrix4::Identity()); }
    TextTestFiles files;
    RecordingDevice* device = nullptr;
    GraphicsDevice graphics;
    TextOverlay overlay;
};

// A refresh is due once GUIUpdate seconds have gathered (every frame for 0); it drains the queued lines, then asks
// every callback in registration order once, for lines in white at (0, 0) with id 0; counts below one add nothing.
TEST_F(TextOverlayTest, RefreshIsDueAfterGUIUpdateSecondsAndDrainsTheQueueBeforeAskingTheCallbacks) {
    Config().GUIUpdate = 0.5f;
    ASSERT_TRUE(overlay.Initialize(&graphics));
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
    Config().GUIUpdate = 0.0f;
    ASSERT_TRUE(overlay.Initialize(&graphics));
    EXPECT_TRUE(overlay.AddElapsed(0.0f));
}

// Text is drawn solid, between the overlay states, only while the debug output is on.
TEST_F(TextOverlayTest, DrawsSolidBetweenOverlayStatesOnlyWhileDebugOutputIsOn) {
    ASSERT_TRUE(overlay.Initialize(&graphics));
    QueueLine(OverlayLine{.maximumLength = 4});
    overlay.Update(&graphics);
    graphics.SetRasterMode(RasterMode::Wireframe);
    device->calls.clear();
    Render();
    EXPECT_TRUE(device->calls.empty());
    DebugOutput() = true;
    Render();
    Texts states;
    for (const std::string& call : device->calls) {
        const std::string name = call.substr(0, call.find(' '));
        if (name.find("State") != std::string::npos || name == "DrawIndexed") states.push_back(name);
    }
    EXPECT_EQ(states, (Texts{"SetRasterizerState", "SetDepthStencilState", "SetBlendState", "DrawIndexed",
                             "SetBlendState", "SetDepthStencilState"}));
}

// A failing text engine is reported after its own message; a start after a failed one, and a second start, replace
// the engine with all it had made.
TEST_F(TextOverlayTest, ShutdownReleasesWhatItMadeAndAFailingTextEngineIsReportedAfterItsOwnMessage) {
    TextOverlay().Shutdown();  // safe without a start
    const size_t graphicsObjects = device->LiveObjects();
    files.Remove("Font_PS.glsl");
    EXPECT_FALSE(overlay.Initialize(&graphics));
    EXPECT_EQ(files.messages.Messages(), (Texts{"failed to read Font PixelShader", "failed to initialize TextEngine"}));
    files.Write("Font_PS.glsl", "pixel");
    ASSERT_TRUE(overlay.Initialize(&graphics));
    ASSERT_TRUE(overlay.Initialize(&graphics));
    overlay.Shutdown();
    EXPECT_EQ(device->LiveObjects(), graphicsObjects);
}

}  // namespace
