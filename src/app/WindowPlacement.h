#pragma once

#include <cstdint>

// Where the main window goes and where the cursor is returned to.
struct WindowPlacement {
    int32_t x = 0;
    int32_t y = 0;
    uint32_t width = 0;   // client size
    uint32_t height = 0;
    int32_t centreX = 0;  // screen point the cursor is returned to
    int32_t centreY = 0;
};

// Full-screen windows cover the screen from (0, 0); windowed ones are centred.
WindowPlacement PlaceWindow(bool fullscreen, uint32_t screenWidth, uint32_t screenHeight, uint32_t windowWidth,
                            uint32_t windowHeight);
