#include <gtest/gtest.h>

#include <SDL_keyboard.h>
#include <SDL_keycode.h>

#include <tuple>

#include "platform/sdl/VirtualKeys.h"

// By meaning where Windows has a code for it (a German layout's Z sits on the
// Y key), else by place on the keyboard; a key with neither is not recorded (0).
TEST(VirtualKeys, TranslateByMeaningElseByPlace) {
    const std::tuple<SDL_Keycode, SDL_Scancode, int32_t> keys[] = {  // meaning, place, Windows code
        {SDLK_z, SDL_SCANCODE_Y, 90},           {SDLK_0, SDL_SCANCODE_0, 48},       {SDLK_F12, SDL_SCANCODE_F12, 123},
        {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 27}, {SDLK_LEFT, SDL_SCANCODE_LEFT, 37}, {SDLK_KP_9, SDL_SCANCODE_KP_9, 105},
        {SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, 16}, {SDLK_SPACE, SDL_SCANCODE_SPACE, 32},
        {SDLK_SEMICOLON, SDL_SCANCODE_SEMICOLON, 186}, {SDLK_AUDIOMUTE, SDL_SCANCODE_AUDIOMUTE, 173},
        {SDLK_LESS, SDL_SCANCODE_NONUSBACKSLASH, 226},  // the ISO key beside left Shift
        {0xFC, SDL_SCANCODE_LEFTBRACKET, 219},          // a German u-umlaut
        {0x444, SDL_SCANCODE_A, 65},                    // a Russian layout's key on A
        {SDLK_AMPERSAND, SDL_SCANCODE_1, 49},           // a French layout's digit row
        {SDLK_AUDIOREWIND, SDL_SCANCODE_AUDIOREWIND, 0}};  // neither
    for (const auto& [keycode, place, windows] : keys) EXPECT_EQ(VirtualKeyFromSdl(keycode, place), windows) << keycode;
}

// Left Alt and F10 are system keys, as on Windows, unless Ctrl is held; AltGr is not.
TEST(VirtualKeys, LeftAltCombinationsAndF10AreSystemKeysUnlessCtrlIsHeld) {
    const std::tuple<SDL_Keycode, uint16_t, bool> keys[] = {
        {SDLK_F4, KMOD_LALT, true},  {SDLK_F10, KMOD_NONE, true},            {SDLK_RALT, KMOD_NONE, false},
        {SDLK_q, KMOD_RALT, false},  {SDLK_w, KMOD_LALT | KMOD_LCTRL, false}, {SDLK_F9, KMOD_NONE, false}};
    for (const auto& [keycode, modifiers, system] : keys) EXPECT_EQ(IsSystemKey(keycode, modifiers), system) << keycode;
}
