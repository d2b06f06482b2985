#include "input/Input.h"

#include <algorithm>
#include <string>

#include "config/Settings.h"
#include "input/InputState.h"
#include "platform/ErrorMessage.h"

namespace {

// Only the letters change case; every other character binds its own code.
int32_t CharacterBinding(const Settings& settings, const char* key) {
    char character = settings.GetChar(key);
    if (character >= 'a' && character <= 'z') {
        character = static_cast<char>(character - 'a' + 'A');
    }
    return static_cast<unsigned char>(character);
}

// The screenshot key: one character binds its key as the action keys do; a
// number of two or three digits is a virtual-key code, so that keys without a
// character can be bound as well (44 is Print Screen, 123 is F12).
int32_t ScreenshotBinding(const Settings& settings) {
    const std::string value = settings.GetString("screenshot", "");
    if (value.size() <= 1) {
        return CharacterBinding(settings, "screenshot");
    }
    const bool decimal = value.size() <= 3 && std::all_of(value.begin(), value.end(), [](char c) {
        return c >= '0' && c <= '9';
    });
    const int32_t code = decimal ? std::stoi(value) : 0;
    if (code < 10 || code > 255) {
        ReportDiagnostic("screenshot=%s is neither one character nor a virtual-key code from 10 to 255: "
                         "no key takes screenshots",
                         value.c_str());
        return 0;
    }
    return code;
}

constexpr float kDefaultMouseFactor = 0.005f;

}  // namespace

Input::Input()
    : keys_{},
      moveUp_(0),
      moveDown_(0),
      moveLeft_(0),
      moveRight_(0),
      moveForward_(0),
      moveBackward_(0),
      jump_(0),
      toggleDebugOutput_(0),
      toggleWireframe_(0),
      toggleFlyMode_(0),
      toggleCollision_(0),
      screenshot_(0),
      cursorX_(0),
      cursorY_(0) {}

void Input::Initialize(const Settings& settings) {
    std::fill(std::begin(keys_), std::end(keys_), false);
    moveUp_ = CharacterBinding(settings, "moveUp");
    moveDown_ = CharacterBinding(settings, "moveDown");
    moveLeft_ = CharacterBinding(settings, "moveLeft");
    moveRight_ = CharacterBinding(settings, "moveRight");
    moveForward_ = CharacterBinding(settings, "moveForward");
    moveBackward_ = CharacterBinding(settings, "moveBackward");
    // A virtual-key code written as a number, so that keys without a
    // printable character (the space bar is 32) can be bound.
    jump_ = settings.GetInt("jump", 0);
    toggleDebugOutput_ = CharacterBinding(settings, "toggleDebugOutput");
    toggleWireframe_ = CharacterBinding(settings, "toggleWireframe");
    toggleFlyMode_ = CharacterBinding(settings, "toggleFlyMode");
    toggleCollision_ = CharacterBinding(settings, "toggleCollision");
    screenshot_ = ScreenshotBinding(settings);
    MouseAcceleration().accelerationX = settings.GetFloat("accelerationX", kDefaultMouseFactor);
    MouseAcceleration().accelerationY = settings.GetFloat("accelerationY", kDefaultMouseFactor);
}

// Codes of 128 and above share the entry of the code 128 lower.
int32_t Input::KeyIndex(int32_t virtualKey) {
    const int32_t index = virtualKey % 128;
    return index < 0 ? index + 128 : index;
}

void Input::SetKey(int32_t virtualKey, bool down) { keys_[KeyIndex(virtualKey)] = down; }

void Input::KeyDown(int32_t virtualKey) { SetKey(virtualKey, true); }

void Input::KeyUp(int32_t virtualKey) { SetKey(virtualKey, false); }

void Input::MouseMoved(int32_t x, int32_t y) {
    cursorX_ = x;
    cursorY_ = y;
}

bool Input::IsDown(int32_t binding) const {
    if (binding < 0 || binding >= kKeyCount) {
        return false;
    }
    return keys_[binding];
}

InputAction Input::FiredAction() const {
    static constexpr InputAction kPriority[] = {InputAction::ToggleDebugOutput, InputAction::ToggleWireframe,
                                                InputAction::ToggleFlyMode, InputAction::ToggleCollision,
                                                InputAction::Jump};
    for (InputAction action : kPriority) {
        if (IsDown(Binding(action))) {
            return action;
        }
    }
    return InputAction::None;
}

MovementIntents Input::Intents() const {
    MovementIntents intents;
    intents.forward = IsDown(moveForward_);
    intents.backward = IsDown(moveBackward_);
    intents.left = IsDown(moveLeft_);
    intents.right = IsDown(moveRight_);
    intents.up = IsDown(moveUp_);
    intents.down = IsDown(moveDown_);
    return intents;
}

bool Input::IsScreenshotPress(int32_t virtualKey) const {
    return screenshot_ != 0 && virtualKey == screenshot_ && !keys_[KeyIndex(virtualKey)];
}

int32_t Input::Binding(InputAction action) const {
    switch (action) {
        case InputAction::ToggleDebugOutput:
            return toggleDebugOutput_;
        case InputAction::ToggleWireframe:
            return toggleWireframe_;
        case InputAction::ToggleFlyMode:
            return toggleFlyMode_;
        case InputAction::ToggleCollision:
            return toggleCollision_;
        case InputAction::Jump:
            return jump_;
        case InputAction::None:
            break;
    }
    return 0;
}
