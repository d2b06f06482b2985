// The Win32 layer on a real window (under Wine in the cross build's
// end-to-end pass, which has a display).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/Win32Platform.h"

namespace {
std::string Drain(Win32Platform& platform) {
    std::string seen;
    Message message;
    while (platform.NextMessage(message)) {
        if (message.type == Message::Type::KeyDown || message.type == Message::Type::KeyUp) {
            seen += (message.type == Message::Type::KeyDown ? "down " : "up ") + std::to_string(message.virtualKey) + ";";
        }
    }
    return seen;
}

}  // namespace

// Windows sends Print Screen as a release only; a key that is pressed and
// released, Print Screen included, comes through once each way.
TEST(Win32Platform, PrintScreenReleasedAloneArrivesAsAPressAndARelease) {
    Win32Platform platform;
    ASSERT_TRUE(platform.Initialize());
    WindowDesc desc;
    desc.title = "Voxmere platform test";
    desc.width = 64;
    desc.height = 64;
    ASSERT_TRUE(platform.CreateMainWindow(desc));
    HWND window = platform.Window();
    Drain(platform);
    SendMessageW(window, WM_KEYUP, VK_SNAPSHOT, 0);
    SendMessageW(window, WM_KEYDOWN, 'W', 0);
    SendMessageW(window, WM_KEYUP, 'W', 0);
    SendMessageW(window, WM_KEYDOWN, VK_SNAPSHOT, 0);
    SendMessageW(window, WM_KEYUP, VK_SNAPSHOT, 0);
    SendMessageW(window, WM_KEYUP, VK_SNAPSHOT, 0);
    EXPECT_EQ(Drain(platform), "down 44;up 44;down 87;up 87;down 44;up 44;down 44;up 44;");
    platform.DestroyMainWindow();
    platform.Shutdown();
}
