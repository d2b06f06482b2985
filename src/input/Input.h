#pragma once

#include <cstdint>

class Settings;

// The one action a frame with key events fires, in priority order.
enum class InputAction { None, ToggleDebugOutput, ToggleWireframe, ToggleFlyMode, ToggleCollision, Jump };

// The held movement keys, in the order the player takes them.
struct MovementIntents {
    bool forward = false;
    bool backward = false;
    bool left = false;
    bool right = false;
    bool up = false;
    bool down = false;
};

// Keyboard state, the key bound to each action and the last cursor position.
// The window's message handling records what happened; once per frame the
// core asks which action fires and which movement keys are held.
class Input {
public:
    static constexpr int32_t kKeyCount = 256;

    Input();

    // Reads the eleven bindings and the screenshot key, and writes the two
    // mouse factors.
    void Initialize(const Settings& settings);

    void KeyDown(int32_t virtualKey);
    void KeyUp(int32_t virtualKey);
    // The cursor position in screen coordinates.
    void MouseMoved(int32_t x, int32_t y);

    // Whether the key entry a binding names is down; bindings outside the
    // key table are never down.
    bool IsDown(int32_t binding) const;

    // The first bound action whose key is down, decided from the key states
    // alone (not from the key that caused the event).
    InputAction FiredAction() const;
    MovementIntents Intents() const;

    int32_t CursorX() const { return cursorX_; }
    int32_t CursorY() const { return cursorY_; }

    // The key entry bound to an action; 0 when unbound.
    int32_t Binding(InputAction action) const;

    // Whether a key press, not yet recorded, asks for a screenshot: the key
    // bound to the setting screenshot, pressed while it was up (the keyboard's
    // repeats of a held key do not count).
    bool IsScreenshotPress(int32_t virtualKey) const;

private:
    static int32_t KeyIndex(int32_t virtualKey);
    void SetKey(int32_t virtualKey, bool down);

    bool keys_[kKeyCount];
    int32_t moveUp_;
    int32_t moveDown_;
    int32_t moveLeft_;
    int32_t moveRight_;
    int32_t moveForward_;
    int32_t moveBackward_;
    int32_t jump_;
    int32_t toggleDebugOutput_;
    int32_t toggleWireframe_;
    int32_t toggleFlyMode_;
    int32_t toggleCollision_;
    int32_t screenshot_;  // a virtual-key code; 0 when unbound
    int32_t cursorX_;
    int32_t cursorY_;
};
