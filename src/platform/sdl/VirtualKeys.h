#pragma once

#include <cstdint>

// Windows virtual-key codes of SDL key events, so settings written for either
// platform bind the same keys.

// The virtual-key code of an SDL key: by its keycode where the key's meaning
// has a code (letters, digits, named keys, media and browser keys), otherwise
// by where the key sits on the keyboard, as on a US layout (national letters,
// the ISO key between left Shift and Z, 226). 0 for a key without a code.
int32_t VirtualKeyFromSdl(int32_t sdlKeycode, int32_t sdlScancode);

// System keys are not recorded: the left Alt key, any key while it is held,
// and F10 - unless Ctrl is held too. The right Alt key (AltGr) and its
// combinations are ordinary keys.
bool IsSystemKey(int32_t sdlKeycode, uint16_t sdlModifiers);
