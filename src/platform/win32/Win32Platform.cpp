#include "platform/win32/Win32Platform.h"

#include <windows.h>

#include <string>

namespace {

constexpr const wchar_t* kClassName = L"win32app";
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW;
constexpr int kIconGroup = 101;

// The key and mouse messages Core records; everything else is Other.
Message TranslateWindowMessage(UINT message, WPARAM wParam) {
    Message translated;
    switch (message) {
    case WM_KEYDOWN:
        translated.type = Message::Type::KeyDown;
        translated.virtualKey = static_cast<int32_t>(wParam);
        break;
    case WM_KEYUP:
        translated.type = Message::Type::KeyUp;
        translated.virtualKey = static_cast<int32_t>(wParam);
        break;
    case WM_MOUSEMOVE:
        translated.type = Message::Type::MouseMove;
        break;
    case WM_DESTROY:
        translated.type = Message::Type::Destroy;
        break;
    default:
        translated.type = Message::Type::Other;
        break;
    }
    return translated;
}

// The window procedure has no other way to reach the platform; set while the
// window class is registered.
Win32Platform* g_platform = nullptr;

// Key presses, releases, mouse moves and the window's destruction are queued
// for the main loop (which quits on Escape and on destruction); the system
// handles the rest, Alt combinations included, which arrive as system keys.
LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const Message translated = TranslateWindowMessage(message, wParam);
    if (translated.type == Message::Type::Other) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (g_platform != nullptr) {
        g_platform->Receive(translated);
    } else if (translated.type == Message::Type::Destroy) {
        PostQuitMessage(0);
    }
    return 0;
}

std::wstring Widen(const char* text) {
    std::wstring wide;
    for (const char* c = text; *c != '\0'; ++c) {
        wide += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    }
    return wide;
}

}  // namespace

void ShowWin32MessageBox(const char* text) { MessageBoxA(nullptr, text, "Error", MB_ICONERROR); }

Win32Platform::~Win32Platform() = default;

void Win32Platform::DeclareDpiAwareness() {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (user32 == nullptr) {
        return;
    }
    using SetContext = BOOL(WINAPI*)(HANDLE);
    using SetAware = BOOL(WINAPI*)();
    const auto setContext = reinterpret_cast<SetContext>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 and _PER_MONITOR_AWARE,
    // spelled out for older headers; the second where the first is unknown.
    for (const intptr_t context : {-4, -3}) {
        if (setContext != nullptr && setContext(reinterpret_cast<HANDLE>(context))) {
            return;
        }
    }
    const auto setAware =
        reinterpret_cast<SetAware>(reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDPIAware")));
    if (setAware != nullptr) {
        setAware();
    }
}

void Win32Platform::Receive(const Message& message) {
    const bool isPrintScreen =
        (message.type == Message::Type::KeyDown || message.type == Message::Type::KeyUp) &&
        message.virtualKey == VK_SNAPSHOT;
    if (isPrintScreen && message.type == Message::Type::KeyUp && !printScreenDown_) {
        Message press = message;
        press.type = Message::Type::KeyDown;
        received_.push_back(press);
    }
    if (isPrintScreen) {
        printScreenDown_ = message.type == Message::Type::KeyDown;
    }
    received_.push_back(message);
}

bool Win32Platform::Initialize() {
    g_platform = this;
    instance_ = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = &WndProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance_;
    windowClass.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(kIconGroup));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = kClassName;
    windowClass.hIconSm = LoadIconW(instance_, MAKEINTRESOURCEW(kIconGroup));
    return RegisterClassExW(&windowClass) != 0;
}

// Unregistering a class that is not registered is a harmless failure.
void Win32Platform::Shutdown() {
    UnregisterClassW(kClassName, instance_);
    g_platform = nullptr;
    received_.clear();
}

bool Win32Platform::GetScreenSize(uint32_t& width, uint32_t& height) {
    width = static_cast<uint32_t>(GetSystemMetrics(SM_CXSCREEN));
    height = static_cast<uint32_t>(GetSystemMetrics(SM_CYSCREEN));
    return true;
}

bool Win32Platform::CreateMainWindow(const WindowDesc& desc) {
    RECT rectangle = {0, 0, static_cast<LONG>(desc.width), static_cast<LONG>(desc.height)};
    // Windowed, the frame goes around a client area of the requested size.
    if (!desc.fullscreen) {
        AdjustWindowRectEx(&rectangle, kWindowStyle, FALSE, 0);
    }
    const std::wstring title = Widen(desc.title);
    window_ = CreateWindowExW(0, kClassName, title.c_str(), kWindowStyle, desc.x, desc.y,
                              rectangle.right - rectangle.left, rectangle.bottom - rectangle.top, nullptr, nullptr,
                              instance_, nullptr);
    return window_ != nullptr;
}

void Win32Platform::FocusWindow() {
    SetForegroundWindow(window_);
    UpdateWindow(window_);
    SetFocus(window_);
}

void Win32Platform::HideCursor() { ShowCursor(FALSE); }

void Win32Platform::ShowMainWindow() { ShowWindow(window_, SW_SHOW); }

// Destroying a window that was never created is a harmless failure.
void Win32Platform::DestroyMainWindow() {
    DestroyWindow(window_);
    window_ = nullptr;
}

// One message of the thread's queue per call, as the window procedure
// translated it; what one dispatch queued more waits for the next calls.
bool Win32Platform::NextMessage(Message& out) {
    if (received_.empty()) {
        MSG message;
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            return false;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
        if (message.message == WM_QUIT) {
            out = Message();
            out.type = Message::Type::Quit;
            out.quitCode = static_cast<int32_t>(message.wParam);
            return true;
        }
    }
    out = Message();
    out.type = Message::Type::Other;  // a message only the system handles
    if (!received_.empty()) {
        out = received_.front();
        received_.pop_front();
    }
    return true;
}

void Win32Platform::PostQuit(int32_t code) { PostQuitMessage(code); }

void Win32Platform::GetCursorPosition(int32_t& x, int32_t& y) {
    POINT point = {};
    GetCursorPos(&point);
    x = point.x;
    y = point.y;
}

void Win32Platform::SetCursorPosition(int32_t x, int32_t y) { SetCursorPos(x, y); }

int64_t Win32Platform::PerformanceFrequency() {
    LARGE_INTEGER frequency = {};
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

int64_t Win32Platform::PerformanceCounter() {
    LARGE_INTEGER count = {};
    QueryPerformanceCounter(&count);
    return count.QuadPart;
}
