#include <gtest/gtest.h>

#include <SDL_keyboard.h>
#include <SDL_keycode.h>

#include "platform/sdl/VirtualKeys.h"

TEST(VirtualKeys, TranslatesEveryKeyToItsWindowsCode) {
    const struct {
        SDL_Keycode keycode;
        SDL_Scancode place;
        int32_t windows;
    } keys[] = {
        {SDLK_a, SDL_SCANCODE_A, 65},           {SDLK_w, SDL_SCANCODE_W, 87},
        {SDLK_z, SDL_SCANCODE_Y, 90},           // a German layout: the key means Z
        {SDLK_0, SDL_SCANCODE_0, 48},           {SDLK_9, SDL_SCANCODE_9, 57},
        {SDLK_SPACE, SDL_SCANCODE_SPACE, 32},   {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 27},
        {SDLK_RETURN, SDL_SCANCODE_RETURN, 13}, {SDLK_TAB, SDL_SCANCODE_TAB, 9},
        {SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, 8}, {SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, 16},
        {SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, 16}, {SDLK_RCTRL, SDL_SCANCODE_RCTRL, 17},
        {SDLK_RALT, SDL_SCANCODE_RALT, 18},     {SDLK_LEFT, SDL_SCANCODE_LEFT, 37},
        {SDLK_UP, SDL_SCANCODE_UP, 38},         {SDLK_RIGHT, SDL_SCANCODE_RIGHT, 39},
        {SDLK_DOWN, SDL_SCANCODE_DOWN, 40},     {SDLK_F1, SDL_SCANCODE_F1, 112},
        {SDLK_F12, SDL_SCANCODE_F12, 123},      {SDLK_F13, SDL_SCANCODE_F13, 124},
        {SDLK_F24, SDL_SCANCODE_F24, 135},      {SDLK_KP_0, SDL_SCANCODE_KP_0, 96},
        {SDLK_KP_9, SDL_SCANCODE_KP_9, 105},    {SDLK_KP_MULTIPLY, SDL_SCANCODE_KP_MULTIPLY, 106},
        {SDLK_KP_DIVIDE, SDL_SCANCODE_KP_DIVIDE, 111}, {SDLK_KP_EQUALS, SDL_SCANCODE_KP_EQUALS, 146},
        {SDLK_CLEAR, SDL_SCANCODE_CLEAR, 12},   {SDLK_SEMICOLON, SDL_SCANCODE_SEMICOLON, 186},
        {SDLK_BACKQUOTE, SDL_SCANCODE_GRAVE, 192}, {SDLK_LEFTBRACKET, SDL_SCANCODE_LEFTBRACKET, 219},
        {SDLK_QUOTE, SDL_SCANCODE_APOSTROPHE, 222}, {SDLK_DELETE, SDL_SCANCODE_DELETE, 46},
        {SDLK_PAGEUP, SDL_SCANCODE_PAGEUP, 33}, {SDLK_SCROLLLOCK, SDL_SCANCODE_SCROLLLOCK, 145},
        // Volume, media and browser keys.
        {SDLK_AUDIOMUTE, SDL_SCANCODE_AUDIOMUTE, 173}, {SDLK_VOLUMEDOWN, SDL_SCANCODE_VOLUMEDOWN, 174},
        {SDLK_VOLUMEUP, SDL_SCANCODE_VOLUMEUP, 175},   {SDLK_AUDIONEXT, SDL_SCANCODE_AUDIONEXT, 176},
        {SDLK_AUDIOPLAY, SDL_SCANCODE_AUDIOPLAY, 179}, {SDLK_AC_BACK, SDL_SCANCODE_AC_BACK, 166},
        {SDLK_AC_HOME, SDL_SCANCODE_AC_HOME, 172},     {SDLK_MAIL, SDL_SCANCODE_MAIL, 180},
        // Keys whose meaning has no code of its own are known by their place.
        {SDLK_LESS, SDL_SCANCODE_NONUSBACKSLASH, 226},  // the ISO key beside left Shift
        {0xFC, SDL_SCANCODE_LEFTBRACKET, 219},          // a German u-umlaut
        {0xE4, SDL_SCANCODE_APOSTROPHE, 222},           // a German a-umlaut
        {0x444, SDL_SCANCODE_A, 65},                    // a Russian layout's key on A
        {SDLK_AMPERSAND, SDL_SCANCODE_1, 49},           // a French layout's digit row
        {SDLK_AUDIOREWIND, SDL_SCANCODE_AUDIOREWIND, 0},  // no Windows code: not recorded
    };
    for (const auto& key : keys) {
        EXPECT_EQ(VirtualKeyFromSdl(key.keycode, key.place), key.windows)
            << "SDL keycode " << key.keycode << " at scancode " << key.place;
    }
}

TEST(VirtualKeys, LeftAltCombinationsAndF10AreSystemKeysUnlessCtrlIsHeld) {
    const struct {
        SDL_Keycode keycode;
        uint16_t modifiers;
        bool system;
    } keys[] = {
        {SDLK_LALT, KMOD_LALT, true},           {SDLK_F4, KMOD_LALT, true},
        {SDLK_F10, KMOD_NONE, true},            {SDLK_w, KMOD_LALT, true},
        {SDLK_RALT, KMOD_NONE, false},          // AltGr
        {SDLK_q, KMOD_RALT, false},             // AltGr+Q, the @ of a German layout
        {SDLK_w, KMOD_LALT | KMOD_LCTRL, false},  // Ctrl+Alt: an ordinary key
        {SDLK_w, KMOD_LSHIFT, false},           {SDLK_F9, KMOD_NONE, false},
    };
    for (const auto& key : keys) {
        EXPECT_EQ(IsSystemKey(key.keycode, key.modifiers), key.system)
            << "SDL keycode " << key.keycode << " with modifiers " << key.modifiers;
    }
}
