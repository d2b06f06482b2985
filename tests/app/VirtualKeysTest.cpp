#include <gtest/gtest.h>

#include <SDL_keycode.h>

#include "platform/VirtualKeys.h"

TEST(VirtualKeys, LettersDigitsAndNamedKeys) {
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_a), 65);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_w), 87);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_z), 90);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_0), 48);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_9), 57);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_SPACE), 32);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_ESCAPE), 27);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RETURN), 13);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_TAB), 9);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_BACKSPACE), 8);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_LSHIFT), 16);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RSHIFT), 16);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RCTRL), 17);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_LEFT), 37);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_UP), 38);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RIGHT), 39);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_DOWN), 40);
}

TEST(VirtualKeys, FunctionKeypadAndPunctuationRanges) {
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F1), 112);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F12), 123);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F13), 124);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F24), 135);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_0), 96);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_9), 105);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_MULTIPLY), 106);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_DIVIDE), 111);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_SEMICOLON), 186);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_BACKQUOTE), 192);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_LEFTBRACKET), 219);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_QUOTE), 222);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_DELETE), 46);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_PAGEUP), 33);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_SCROLLLOCK), 145);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_VOLUMEUP), 0);
}

TEST(VirtualKeys, AltCombinationsAndF10AreSystemKeys) {
    EXPECT_TRUE(IsSystemKey(SDLK_LALT, KMOD_LALT));
    EXPECT_TRUE(IsSystemKey(SDLK_RALT, KMOD_NONE));
    EXPECT_TRUE(IsSystemKey(SDLK_F4, KMOD_LALT));
    EXPECT_TRUE(IsSystemKey(SDLK_w, KMOD_RALT));
    EXPECT_TRUE(IsSystemKey(SDLK_F10, KMOD_NONE));
    EXPECT_FALSE(IsSystemKey(SDLK_w, KMOD_LSHIFT));
    EXPECT_FALSE(IsSystemKey(SDLK_F9, KMOD_NONE));
}
