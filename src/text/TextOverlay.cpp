#include "text/TextOverlay.h"

#include "graphics/GraphicsDevice.h"
#include "input/InputState.h"
#include "platform/ErrorMessage.h"
#include "text/OverlayRegistryAccess.h"
#include "text/TextEngine.h"

TextOverlay::TextOverlay()
    : textEngine_(nullptr), graphics_(nullptr), refreshInterval_(0.0f), elapsed_(0.0f), screenWidth_(0), screenHeight_(0) {}

TextOverlay::~TextOverlay() { delete textEngine_; }

bool TextOverlay::Initialize(GraphicsDevice* graphics, const OverlaySettings& settings) {
    Shutdown();  // the engine of an earlier start, failed or not
    graphics_ = graphics;
    refreshInterval_ = settings.refreshInterval;
    screenWidth_ = static_cast<int>(settings.screenWidth);
    screenHeight_ = static_cast<int>(settings.screenHeight);
    textEngine_ = new TextEngine();
    if (!textEngine_->Initialize(graphics, screenWidth_, screenHeight_, settings.font)) {
        ShowErrorMessage("failed to initialize TextEngine");
        return false;
    }
    return true;
}

bool TextOverlay::AddElapsed(float seconds) {
    elapsed_ += seconds;
    return elapsed_ >= refreshInterval_;
}

void TextOverlay::Update(GraphicsDevice* graphics) {
    elapsed_ = 0.0f;
    DrainQueuedLines(graphics);
    AskCallbacks(graphics);
}

void TextOverlay::DrainQueuedLines(GraphicsDevice* graphics) {
    std::deque<OverlayLine>& queue = QueuedLines();
    while (!queue.empty()) {
        const OverlayLine line = queue.front();
        queue.pop_front();
        textEngine_->SetText(graphics, line);
    }
}

void TextOverlay::AskCallbacks(GraphicsDevice* graphics) {
    for (TCallback* callback : RegisteredCallbacks()) {
        OverlayLine lines[kLinesPerCallback];
        const short count = (*callback)(lines);
        for (short i = 0; i < count && i < kLinesPerCallback; ++i) {
            textEngine_->SetText(graphics, lines[i]);
        }
    }
}

void TextOverlay::Render(GraphicsDevice* graphics, const Matrix4& world, const Matrix4& ortho) {
    if (!DebugOutput()) {
        return;
    }
    graphics->SetRasterMode(RasterMode::Solid);
    graphics->ToggleOverlayStates();
    textEngine_->Render(*graphics->Device(), world, ortho);
    graphics->ToggleOverlayStates();
}

void TextOverlay::Shutdown() {
    if (textEngine_ == nullptr) {
        return;
    }
    textEngine_->Shutdown(*graphics_->Device());
    delete textEngine_;
    textEngine_ = nullptr;
}
