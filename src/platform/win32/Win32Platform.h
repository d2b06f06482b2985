#pragma once

#include "platform/Platform.h"

struct HWND__;    // HWND, without all of windows.h
struct HINSTANCE__;

// Receives the key, mouse and destroy messages of the main window from the
// window procedure, inside DispatchMessageW.
using WindowMessageHandler = void (*)(const Message& message);

// The platform on Win32: the window class "win32app" and one window, the
// thread's message queue, the performance counter and the system cursor.
class Win32Platform : public Platform {
public:
    explicit Win32Platform(WindowMessageHandler handler);
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

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

    HWND__* Window() const { return window_; }

private:
    WindowMessageHandler handler_;
    HINSTANCE__* instance_ = nullptr;
    HWND__* window_ = nullptr;
};

// Shows a failure with MessageBoxA: no owner window, caption "Error", the
// error icon.
void ShowWin32MessageBox(const char* text);
