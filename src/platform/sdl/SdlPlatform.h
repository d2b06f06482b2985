#pragma once

#include "platform/Platform.h"

struct SDL_Window;

// The platform on SDL2: one OpenGL window, its events as messages, the
// high-resolution counter and the global cursor.
class SdlPlatform : public Platform {
public:
    SdlPlatform() = default;
    ~SdlPlatform() override;

    // X11 and Wayland do not stretch a window's pixels: nothing to declare.
    void DeclareDpiAwareness() override {}
    bool Initialize() override;
    void Shutdown() override;
    bool GetScreenSize(uint32_t& width, uint32_t& height) override;
    bool CreateMainWindow(const WindowDesc& desc) override;
    void FocusWindow() override;
    void HideCursor() override;
    void ShowMainWindow() override;
    void DestroyMainWindow() override;
    bool NextMessage(Message& out) override;
    void PostQuit(int32_t code) override;
    void GetCursorPosition(int32_t& x, int32_t& y) override;
    void SetCursorPosition(int32_t x, int32_t y) override;
    int64_t PerformanceFrequency() override;
    int64_t PerformanceCounter() override;

    SDL_Window* Window() const { return window_; }

private:
    bool initialized_ = false;
    SDL_Window* window_ = nullptr;
    int32_t quitCode_ = 0;
};

// Shows a failure in an SDL message box captioned "Error".
void ShowSdlMessageBox(const char* text);
