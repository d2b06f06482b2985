#pragma once

#include <deque>

#include "platform/Platform.h"

struct HWND__;    // HWND, without all of windows.h
struct HINSTANCE__;

// The platform on Win32: the window class "win32app" and one window, the
// thread's message queue, the performance counter and the system cursor.
// The window procedure translates the key, mouse and destroy messages and
// queues them here; NextMessage hands them out one at a time.
class Win32Platform : public Platform {
public:
    Win32Platform() = default;
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    // Per-monitor awareness where the system has it (Windows 10 1607 on,
    // the second version from 1703), else system awareness (Vista on);
    // looked up at run time.
    void DeclareDpiAwareness() override;
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
    // Called by the window procedure with each message it translated.
    // Windows sends Print Screen as a release only: one that was not
    // pressed first is queued as a press and a release, so that a binding
    // to the key fires.
    void Receive(const Message& message);

private:
    std::deque<Message> received_;
    bool printScreenDown_ = false;
    HINSTANCE__* instance_ = nullptr;
    HWND__* window_ = nullptr;
};

// Shows a failure with MessageBoxA: no owner window, caption "Error", the
// error icon.
void ShowWin32MessageBox(const char* text);
