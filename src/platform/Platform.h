#pragma once

#include <cstdint>

// A window message, translated from the platform's events.
struct Message {
    enum class Type { None, Quit, Destroy, KeyDown, KeyUp, MouseMove, Other };
    Type type = Type::None;
    int32_t virtualKey = 0;  // KeyDown, KeyUp: the Windows virtual-key code
    int32_t quitCode = 0;    // Quit
};

struct WindowDesc {
    const char* title = "";
    int32_t x = 0;
    int32_t y = 0;
    uint32_t width = 0;   // the configured client size; a full-screen window
    uint32_t height = 0;  // covers the screen whatever these say
    bool fullscreen = false;
};

// The operating-system services Core uses: window, messages, cursor and timer.
// Each program has its own implementation in a subfolder (sdl/, win32/);
// tests provide fakes. The render device is paired with the platform by the
// program's entry, which knows both.
class Platform {
public:
    virtual ~Platform() = default;

    // Asks the system for window sizes in real pixels on scaled displays;
    // called before Initialize, or never.
    virtual void DeclareDpiAwareness() = 0;
    virtual bool Initialize() = 0;  // registers what windows need
    virtual void Shutdown() = 0;    // unregisters it; harmless when never initialised
    virtual bool GetScreenSize(uint32_t& width, uint32_t& height) = 0;
    virtual bool CreateMainWindow(const WindowDesc& desc) = 0;  // hidden until shown
    virtual void FocusWindow() = 0;
    virtual void HideCursor() = 0;
    virtual void ShowMainWindow() = 0;
    virtual void DestroyMainWindow() = 0;  // harmless when there is none

    // Takes at most one pending message; false when the queue is empty.
    virtual bool NextMessage(Message& out) = 0;
    virtual void PostQuit(int32_t code) = 0;

    virtual void GetCursorPosition(int32_t& x, int32_t& y) = 0;  // screen coordinates
    virtual void SetCursorPosition(int32_t x, int32_t y) = 0;

    virtual int64_t PerformanceFrequency() = 0;
    virtual int64_t PerformanceCounter() = 0;
};
