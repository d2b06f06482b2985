#pragma once

#include <cstdint>

// Windows virtual-key codes of SDL key events, so settings written for either
// platform bind the same keys.

// The virtual-key code of an SDL keycode; 0 for a key without one.
int32_t VirtualKeyFromSdl(int32_t sdlKeycode);

// System keys are not recorded: Alt itself, any key while Alt is held, and F10.
bool IsSystemKey(int32_t sdlKeycode, uint16_t sdlModifiers);
