#include <gtest/gtest.h>

#include <SDL_keycode.h>

#include <utility>

#include "platform/sdl/VirtualKeys.h"

TEST(VirtualKeys, TranslatesEveryKeyRangeToItsWindowsCode) {
    const std::pair<SDL_Keycode, int32_t> keys[] = {
        {SDLK_a, 65},        {SDLK_w, 87},           {SDLK_z, 90},          {SDLK_0, 48},         {SDLK_9, 57},
        {SDLK_SPACE, 32},    {SDLK_ESCAPE, 27},      {SDLK_RETURN, 13},     {SDLK_TAB, 9},        {SDLK_BACKSPACE, 8},
        {SDLK_LSHIFT, 16},   {SDLK_RSHIFT, 16},      {SDLK_RCTRL, 17},      {SDLK_LEFT, 37},      {SDLK_UP, 38},
        {SDLK_RIGHT, 39},    {SDLK_DOWN, 40},        {SDLK_F1, 112},        {SDLK_F12, 123},      {SDLK_F13, 124},
        {SDLK_F24, 135},     {SDLK_KP_0, 96},        {SDLK_KP_9, 105},      {SDLK_KP_MULTIPLY, 106},
        {SDLK_KP_DIVIDE, 111}, {SDLK_SEMICOLON, 186}, {SDLK_BACKQUOTE, 192}, {SDLK_LEFTBRACKET, 219},
        {SDLK_QUOTE, 222},   {SDLK_DELETE, 46},      {SDLK_PAGEUP, 33},     {SDLK_SCROLLLOCK, 145},
        {SDLK_VOLUMEUP, 0},  // no Windows code: not recorded
    };
    for (const auto& [sdl, windows] : keys) {
        EXPECT_EQ(VirtualKeyFromSdl(sdl), windows) << "SDL keycode " << sdl;
    }
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
