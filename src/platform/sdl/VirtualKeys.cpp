#include "platform/sdl/VirtualKeys.h"

#include <SDL_keyboard.h>
#include <SDL_keycode.h>
#include <SDL_scancode.h>

namespace {

struct KeyPair {
    SDL_Keycode sdl;
    int32_t virtualKey;
};

constexpr KeyPair kSingleKeys[] = {
    {SDLK_SPACE, 32},      {SDLK_ESCAPE, 27},        {SDLK_RETURN, 13},       {SDLK_KP_ENTER, 13},
    {SDLK_TAB, 9},         {SDLK_BACKSPACE, 8},      {SDLK_LSHIFT, 16},       {SDLK_RSHIFT, 16},
    {SDLK_LCTRL, 17},      {SDLK_RCTRL, 17},         {SDLK_LALT, 18},         {SDLK_RALT, 18},
    {SDLK_MODE, 18},       {SDLK_LEFT, 37},          {SDLK_UP, 38},           {SDLK_RIGHT, 39},
    {SDLK_DOWN, 40},       {SDLK_KP_MULTIPLY, 106},  {SDLK_KP_PLUS, 107},     {SDLK_KP_COMMA, 108},
    {SDLK_KP_MINUS, 109},  {SDLK_KP_PERIOD, 110},    {SDLK_KP_DECIMAL, 110},  {SDLK_KP_DIVIDE, 111},
    {SDLK_KP_EQUALS, 146}, {SDLK_SEMICOLON, 186},    {SDLK_EQUALS, 187},      {SDLK_PLUS, 187},
    {SDLK_COMMA, 188},     {SDLK_MINUS, 189},        {SDLK_PERIOD, 190},      {SDLK_SLASH, 191},
    {SDLK_BACKQUOTE, 192}, {SDLK_LEFTBRACKET, 219},  {SDLK_BACKSLASH, 220},   {SDLK_RIGHTBRACKET, 221},
    {SDLK_QUOTE, 222},     {SDLK_CANCEL, 3},         {SDLK_CLEAR, 12},        {SDLK_KP_CLEAR, 12},
    {SDLK_PAUSE, 19},      {SDLK_CAPSLOCK, 20},      {SDLK_PAGEUP, 33},       {SDLK_PAGEDOWN, 34},
    {SDLK_END, 35},        {SDLK_HOME, 36},          {SDLK_SELECT, 41},       {SDLK_EXECUTE, 43},
    {SDLK_PRINTSCREEN, 44}, {SDLK_INSERT, 45},       {SDLK_DELETE, 46},       {SDLK_HELP, 47},
    {SDLK_LGUI, 91},       {SDLK_RGUI, 92},          {SDLK_APPLICATION, 93},  {SDLK_SLEEP, 95},
    {SDLK_SEPARATOR, 108}, {SDLK_NUMLOCKCLEAR, 144}, {SDLK_SCROLLLOCK, 145},
    // Browser, volume, media and launch keys.
    {SDLK_AC_BACK, 166},   {SDLK_AC_FORWARD, 167},   {SDLK_AC_REFRESH, 168},  {SDLK_AC_STOP, 169},
    {SDLK_AC_SEARCH, 170}, {SDLK_AC_BOOKMARKS, 171}, {SDLK_AC_HOME, 172},     {SDLK_AUDIOMUTE, 173},
    {SDLK_VOLUMEDOWN, 174}, {SDLK_VOLUMEUP, 175},    {SDLK_AUDIONEXT, 176},   {SDLK_AUDIOPREV, 177},
    {SDLK_AUDIOSTOP, 178}, {SDLK_AUDIOPLAY, 179},    {SDLK_MAIL, 180},        {SDLK_MEDIASELECT, 181},
    {SDLK_COMPUTER, 182},  {SDLK_CALCULATOR, 183},   {SDLK_CRSEL, 247},       {SDLK_EXSEL, 248},
};

constexpr SDL_Keycode kKeypadDigits[] = {SDLK_KP_0, SDLK_KP_1, SDLK_KP_2, SDLK_KP_3, SDLK_KP_4,
                                         SDLK_KP_5, SDLK_KP_6, SDLK_KP_7, SDLK_KP_8, SDLK_KP_9};

// The keys of the main block whose meaning changes with the layout, by their
// place, with the code a US layout gives them.
struct PlacePair {
    SDL_Scancode place;
    int32_t virtualKey;
};

constexpr PlacePair kPlacedKeys[] = {
    {SDL_SCANCODE_MINUS, 189},      {SDL_SCANCODE_EQUALS, 187},    {SDL_SCANCODE_LEFTBRACKET, 219},
    {SDL_SCANCODE_RIGHTBRACKET, 221}, {SDL_SCANCODE_BACKSLASH, 220}, {SDL_SCANCODE_NONUSHASH, 220},
    {SDL_SCANCODE_SEMICOLON, 186},  {SDL_SCANCODE_APOSTROPHE, 222}, {SDL_SCANCODE_GRAVE, 192},
    {SDL_SCANCODE_COMMA, 188},      {SDL_SCANCODE_PERIOD, 190},    {SDL_SCANCODE_SLASH, 191},
    {SDL_SCANCODE_NONUSBACKSLASH, 226},
};

int32_t VirtualKeyFromKeycode(int32_t sdlKeycode) {
    if (sdlKeycode >= SDLK_a && sdlKeycode <= SDLK_z) {
        return 'A' + (sdlKeycode - SDLK_a);
    }
    if (sdlKeycode >= SDLK_0 && sdlKeycode <= SDLK_9) {
        return '0' + (sdlKeycode - SDLK_0);
    }
    if (sdlKeycode >= SDLK_F1 && sdlKeycode <= SDLK_F12) {
        return 112 + (sdlKeycode - SDLK_F1);
    }
    if (sdlKeycode >= SDLK_F13 && sdlKeycode <= SDLK_F24) {
        return 124 + (sdlKeycode - SDLK_F13);
    }
    for (int digit = 0; digit < 10; ++digit) {
        if (sdlKeycode == kKeypadDigits[digit]) {
            return 96 + digit;
        }
    }
    for (const KeyPair& pair : kSingleKeys) {
        if (pair.sdl == sdlKeycode) {
            return pair.virtualKey;
        }
    }
    return 0;
}

int32_t VirtualKeyFromPlace(int32_t sdlScancode) {
    if (sdlScancode >= SDL_SCANCODE_A && sdlScancode <= SDL_SCANCODE_Z) {
        return 'A' + (sdlScancode - SDL_SCANCODE_A);
    }
    if (sdlScancode >= SDL_SCANCODE_1 && sdlScancode <= SDL_SCANCODE_9) {
        return '1' + (sdlScancode - SDL_SCANCODE_1);
    }
    if (sdlScancode == SDL_SCANCODE_0) {
        return '0';
    }
    for (const PlacePair& pair : kPlacedKeys) {
        if (pair.place == sdlScancode) {
            return pair.virtualKey;
        }
    }
    return 0;
}

}  // namespace

int32_t VirtualKeyFromSdl(int32_t sdlKeycode, int32_t sdlScancode) {
    const int32_t byMeaning = VirtualKeyFromKeycode(sdlKeycode);
    return byMeaning != 0 ? byMeaning : VirtualKeyFromPlace(sdlScancode);
}

bool IsSystemKey(int32_t sdlKeycode, uint16_t sdlModifiers) {
    if ((sdlModifiers & KMOD_CTRL) != 0) {
        return false;  // Ctrl+Alt combinations, AltGr among them, are ordinary keys
    }
    return sdlKeycode == SDLK_LALT || sdlKeycode == SDLK_F10 || (sdlModifiers & KMOD_LALT) != 0;
}
