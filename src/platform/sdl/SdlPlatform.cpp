#include "platform/sdl/SdlPlatform.h"

#include <SDL.h>

#include "platform/ErrorMessage.h"
#include "platform/sdl/VirtualKeys.h"

namespace {

void RequestGlContextAttributes() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

void SetWindowIcon(SDL_Window* window) {
    SDL_Surface* icon = SDL_LoadBMP("bin/icon.bmp");
    if (icon != nullptr) {
        SDL_SetWindowIcon(window, icon);
        SDL_FreeSurface(icon);
    }
}

Message KeyMessage(const SDL_KeyboardEvent& key) {
    Message message;
    const int32_t virtualKey = VirtualKeyFromSdl(key.keysym.sym, key.keysym.scancode);
    if (virtualKey == 0 || IsSystemKey(key.keysym.sym, key.keysym.mod)) {
        message.type = Message::Type::Other;
        return message;
    }
    message.type = key.type == SDL_KEYDOWN ? Message::Type::KeyDown : Message::Type::KeyUp;
    message.virtualKey = virtualKey;
    return message;
}

// When no display can be reached SDL falls back to drivers that draw into
// memory; a viewer nobody can see is a failed start, unless those drivers
// were asked for by name.
bool HasVisibleWindows() {
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* requested = SDL_getenv("SDL_VIDEODRIVER");
    const bool invisible = driver == nullptr || SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0;
    return !invisible || (requested != nullptr && SDL_strcmp(requested, driver) == 0);
}

const char* EnvironmentValue(const char* name) {
    const char* value = SDL_getenv(name);
    return value != nullptr ? value : "(unset)";
}

}  // namespace

void ShowSdlMessageBox(const char* text) { SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Error", text, nullptr); }

SdlPlatform::~SdlPlatform() { Shutdown(); }

bool SdlPlatform::Initialize() {
    initialized_ = SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) == 0;
    if (!initialized_) {
        ReportDiagnostic("SDL_Init(SDL_INIT_VIDEO) failed: %s (DISPLAY=%s, WAYLAND_DISPLAY=%s)", SDL_GetError(),
                         EnvironmentValue("DISPLAY"), EnvironmentValue("WAYLAND_DISPLAY"));
        return false;
    }
    if (!HasVisibleWindows()) {
        ReportDiagnostic("no display can be reached: SDL fell back to its '%s' video driver, which shows nothing "
                         "(DISPLAY=%s, WAYLAND_DISPLAY=%s; set SDL_VIDEODRIVER to use it anyway)",
                         SDL_GetCurrentVideoDriver(), EnvironmentValue("DISPLAY"), EnvironmentValue("WAYLAND_DISPLAY"));
        Shutdown();
    }
    return initialized_;
}

void SdlPlatform::Shutdown() {
    DestroyMainWindow();
    if (initialized_) {
        SDL_Quit();
        initialized_ = false;
    }
}

bool SdlPlatform::GetScreenSize(uint32_t& width, uint32_t& height) {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) {
        ReportDiagnostic("SDL_GetDesktopDisplayMode failed: %s", SDL_GetError());
        return false;
    }
    width = static_cast<uint32_t>(mode.w);
    height = static_cast<uint32_t>(mode.h);
    return true;
}

bool SdlPlatform::CreateMainWindow(const WindowDesc& desc) {
    RequestGlContextAttributes();
    // Resizable and maximisable like any desktop window: the frame keeps its
    // configured size and the device scales it to the window when presenting.
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE;
    if (desc.fullscreen) {
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;  // the screen as it is, no mode change
    }
    window_ = SDL_CreateWindow(desc.title, desc.x, desc.y, static_cast<int>(desc.width),
                               static_cast<int>(desc.height), flags);
    if (window_ == nullptr) {
        ReportDiagnostic("SDL_CreateWindow of %u x %u pixels (windowWidth, windowHeight%s) failed: %s", desc.width,
                         desc.height, desc.fullscreen ? ", fullscreen" : "", SDL_GetError());
        return false;
    }
    SetWindowIcon(window_);
    return true;
}

void SdlPlatform::FocusWindow() { SDL_RaiseWindow(window_); }

void SdlPlatform::HideCursor() { SDL_ShowCursor(SDL_DISABLE); }

void SdlPlatform::ShowMainWindow() { SDL_ShowWindow(window_); }

void SdlPlatform::DestroyMainWindow() {
    if (window_ != nullptr) {
        SDL_DestroyWindow(window_);
        window_ = nullptr;
    }
}

bool SdlPlatform::NextMessage(Message& out) {
    SDL_Event event;
    if (SDL_PollEvent(&event) == 0) {
        return false;
    }
    out = Message();
    switch (event.type) {
    case SDL_QUIT:
        out.type = Message::Type::Quit;
        out.quitCode = quitCode_;
        break;
    case SDL_WINDOWEVENT:
        out.type = event.window.event == SDL_WINDOWEVENT_CLOSE ? Message::Type::Destroy : Message::Type::Other;
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        out = KeyMessage(event.key);
        break;
    case SDL_MOUSEMOTION:
        out.type = Message::Type::MouseMove;
        break;
    default:
        out.type = Message::Type::Other;
        break;
    }
    return true;
}

void SdlPlatform::PostQuit(int32_t code) {
    quitCode_ = code;
    SDL_Event event{};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
}

void SdlPlatform::GetCursorPosition(int32_t& x, int32_t& y) {
    int cursorX = 0;
    int cursorY = 0;
    SDL_GetGlobalMouseState(&cursorX, &cursorY);
    x = cursorX;
    y = cursorY;
}

void SdlPlatform::SetCursorPosition(int32_t x, int32_t y) { SDL_WarpMouseGlobal(x, y); }

int64_t SdlPlatform::PerformanceFrequency() { return static_cast<int64_t>(SDL_GetPerformanceFrequency()); }

int64_t SdlPlatform::PerformanceCounter() { return static_cast<int64_t>(SDL_GetPerformanceCounter()); }
