#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "RecordingDevice.h"
#include "TextTestFiles.h"
#include "config/Settings.h"
#include "graphics/GraphicsDevice.h"
#include "graphics/Matrix.h"
#include "input/InputState.h"
#include "text/OverlayRegistryAccess.h"
#include "text/TextEngine.h"
#include "text/TextOverlay.h"

namespace {

// A line producer that logs each time it is asked and keeps what it was handed.
class Producer {
public:
    Producer(const char* name, short count, std::vector<std::string>& log)
        : name_(name), count_(count), log_(log), callback_(this, &Producer::Lines) {
        RegisterCallback(&callback_);
    }
    short Lines(OverlayLine* lines) {
        log_.push_back(name_);
        handed.assign(lines, lines + TextOverlay::kLinesPerCallback);
        for (short i = 0; i < count_; ++i) {
            lines[i].id = 100 * log_.size() + i;
            lines[i].maximumLength = 8;
        }
        return count_;
    }
    std::vector<OverlayLine> handed;

private:
    const char* name_;
    short count_;
    std::vector<std::string>& log_;
    TSpecificCallback<Producer> callback_;
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
    void Start() { ASSERT_TRUE(overlay.Initialize(&graphics)); }

    TextTestFiles files;
    RecordingDevice* device = nullptr;
    GraphicsDevice graphics;
    TextOverlay overlay;
    std::vector<std::string> log;
};

// A refresh is due once GUIUpdate seconds have gathered (every frame for 0);
// it drains the queued lines, then asks every callback in registration order
// once, for lines in white at (0, 0) with id 0; counts below one add nothing.
TEST_F(TextOverlayTest, RefreshIsDueAfterGUIUpdateSecondsAndDrainsTheQueueBeforeAskingTheCallbacks) {
    Config().GUIUpdate = 0.5f;
    Start();
    EXPECT_FALSE(overlay.AddElapsed(0.25f));
    EXPECT_TRUE(overlay.AddElapsed(0.25f));
    overlay.Update(&graphics);
    EXPECT_FALSE(overlay.AddElapsed(0.25f)) << "a refresh starts the count again";

    Producer world("world", 1, log);
    Producer core("core", 2, log);
    Producer none("none", 0, log);
    Producer negative("negative", -3, log);
    OverlayLine title;  // an id no producer line has, so stray lines would add a sentence
    title.id = 99;
    title.maximumLength = 32;
    QueueLine(title);
    overlay.Update(&graphics);
    EXPECT_TRUE(QueuedLines().empty());
    EXPECT_EQ(log, (std::vector<std::string>{"world", "core", "none", "negative"}));
    ASSERT_EQ(overlay.Engine()->Sentences().size(), 4u) << "the queued line, one from world and two from core";
    EXPECT_EQ(overlay.Engine()->Sentences()[0].maximumLength, 32) << "the queued line came first";
    for (const OverlayLine& line : world.handed) {
        EXPECT_EQ(std::vector<float>(line.colour, line.colour + 4), std::vector<float>(4, 1.0f));
        EXPECT_EQ(line.id + line.x + line.y, 0u);
    }
    Config().GUIUpdate = 0.0f;
    TextOverlay everyFrame;
    ASSERT_TRUE(everyFrame.Initialize(&graphics));
    EXPECT_TRUE(everyFrame.AddElapsed(0.0f));
    everyFrame.Shutdown();
}

// Text is drawn solid, between the overlay states, only while the debug
// output is on.
TEST_F(TextOverlayTest, DrawsSolidBetweenOverlayStatesOnlyWhileDebugOutputIsOn) {
    Start();
    OverlayLine blank;
    blank.maximumLength = 4;
    QueueLine(blank);
    overlay.Update(&graphics);
    graphics.SetRasterMode(RasterMode::Wireframe);
    device->calls.clear();
    overlay.Render(&graphics, Matrix4::Identity(), Matrix4::Identity());
    EXPECT_TRUE(device->calls.empty());

    DebugOutput() = true;
    overlay.Render(&graphics, Matrix4::Identity(), Matrix4::Identity());
    std::vector<std::string> states;
    for (const std::string& call : device->calls) {
        const std::string name = call.substr(0, call.find(' '));
        if (name.find("State") != std::string::npos || name == "DrawIndexed") states.push_back(name);
    }
    EXPECT_EQ(states, (std::vector<std::string>{"SetRasterizerState", "SetDepthStencilState", "SetBlendState",
                                                "DrawIndexed", "SetBlendState", "SetDepthStencilState"}));
}

// A failing text engine is reported after its own message; a start after a
// failed one, and a second start, replace the engine with all it had made.
TEST_F(TextOverlayTest, ShutdownReleasesWhatItMadeAndAFailingTextEngineIsReportedAfterItsOwnMessage) {
    TextOverlay().Shutdown();  // safe without a start
    const size_t graphicsObjects = device->LiveObjects();
    files.Remove("Font_PS.glsl");
    EXPECT_FALSE(overlay.Initialize(&graphics));
    EXPECT_EQ(TextTestFiles::messages,
              (std::vector<std::string>{"failed to read Font PixelShader", "failed to initialize TextEngine"}));
    files.Write("Font_PS.glsl", "pixel");
    Start();
    Start();
    overlay.Shutdown();
    EXPECT_EQ(device->LiveObjects(), graphicsObjects);
}

}  // namespace
