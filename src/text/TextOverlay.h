#pragma once

#include "text/TextSettings.h"

struct Matrix4;
class GraphicsDevice;
class TextEngine;

// The debug text overlay: refreshes the registry's lines every GUIUpdate
// seconds and draws them while the debug output is switched on.
class TextOverlay {
public:
    // The most records one callback may fill per refresh.
    static constexpr int kLinesPerCallback = 10;

    TextOverlay();
    ~TextOverlay();
    TextOverlay(const TextOverlay&) = delete;
    TextOverlay& operator=(const TextOverlay&) = delete;

    bool Initialize(GraphicsDevice* graphics, const OverlaySettings& settings);
    // Adds a frame time; true once GUIUpdate seconds have gathered since the
    // last refresh, when the caller is to call Update.
    bool AddElapsed(float seconds);
    // One refresh: the queued lines first, then each callback in
    // registration order.
    void Update(GraphicsDevice* graphics);
    void Render(GraphicsDevice* graphics, const Matrix4& world, const Matrix4& ortho);
    void Shutdown();

    const TextEngine* Engine() const { return textEngine_; }

private:
    void DrainQueuedLines(GraphicsDevice* graphics);
    void AskCallbacks(GraphicsDevice* graphics);

    TextEngine* textEngine_;
    GraphicsDevice* graphics_;  // borrowed for the shutdown
    float refreshInterval_;
    float elapsed_;
    int screenWidth_;
    int screenHeight_;
};
