#include "app/WindowPlacement.h"

namespace {
// Halves are rounded down, also for a window larger than the screen.
int32_t CentredOffset(uint32_t screen, uint32_t window) {
    const int64_t difference = static_cast<int64_t>(screen) - static_cast<int64_t>(window);
    return static_cast<int32_t>(difference >= 0 ? difference / 2 : (difference - 1) / 2);
}
}  // namespace

WindowPlacement PlaceWindow(bool fullscreen, uint32_t screenWidth, uint32_t screenHeight, uint32_t windowWidth,
                            uint32_t windowHeight) {
    WindowPlacement placement;
    if (fullscreen) {
        placement.width = screenWidth;
        placement.height = screenHeight;
    } else {
        placement.width = windowWidth;
        placement.height = windowHeight;
        placement.x = CentredOffset(screenWidth, windowWidth);
        placement.y = CentredOffset(screenHeight, windowHeight);
    }
    placement.centreX = static_cast<int32_t>(static_cast<float>(placement.width) * 0.5f + static_cast<float>(placement.x));
    placement.centreY = static_cast<int32_t>(static_cast<float>(placement.height) * 0.5f + static_cast<float>(placement.y));
    return placement;
}
