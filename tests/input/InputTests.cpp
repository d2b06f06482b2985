#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "config/Settings.h"
#include "input/Input.h"
#include "input/InputState.h"

namespace {

constexpr int32_t kKeyW = 87, kKeyA = 65, kKeyS = 83, kKeyD = 68, kKeyE = 69, kKeyQ = 81;
constexpr int32_t kKeyF = 70, kKeyC = 67, kKeyOne = 49, kKeyP = 80, kSpace = 32, kLeftShift = 160;

const char* const kShippedLayout =
    "moveForward=w\nmoveBackward=s\nmoveLeft=a\nmoveRight=D\nmoveUp=e\nmoveDown=q\njump=32\n"
    "toggleFlyMode=f\ntoggleCollision=c\ntoggleWireframe=1\ntoggleDebugOutput=p\n";

class InputTest : public ::testing::Test {
protected:
    void SetUp() override { MouseAcceleration() = MouseFactors{}; }
    void TearDown() override { MouseAcceleration() = MouseFactors{}; }
    static Input Bound(const std::string& text = kShippedLayout) {
        Settings settings;
        std::istringstream stream(text);
        settings.Load(stream);
        Input input;
        input.Initialize(settings);
        return input;
    }
    Input input = Bound();
};

TEST_F(InputTest, CharacterBindingsAreUpperCasedLettersAndPlainOtherCharacters) {
    EXPECT_EQ(input.Binding(InputAction::ToggleCollision), kKeyC);
    EXPECT_EQ(input.Binding(InputAction::ToggleWireframe), kKeyOne);
    EXPECT_EQ(input.Binding(InputAction::Jump), kSpace);
    Input other = Bound("toggleFlyMode={\ntoggleCollision= `\nmoveForward=  W\n");
    EXPECT_EQ(other.Binding(InputAction::ToggleFlyMode), '{');  // not shifted down to '['
    EXPECT_EQ(other.Binding(InputAction::ToggleCollision), '`');
    other.KeyDown(kKeyW);
    EXPECT_TRUE(other.Intents().forward);
}

TEST_F(InputTest, EachMovementKeySetsOnlyItsOwnIntent) {
    bool MovementIntents::*const intents[] = {&MovementIntents::forward, &MovementIntents::backward,
                                              &MovementIntents::left,    &MovementIntents::right,
                                              &MovementIntents::up,      &MovementIntents::down};
    const int32_t keys[] = {kKeyW, kKeyS, kKeyA, kKeyD, kKeyE, kKeyQ};
    for (int held = 0; held < 6; ++held) {
        input.KeyDown(keys[held]);
        for (int i = 0; i < 6; ++i) EXPECT_EQ(input.Intents().*intents[i], i == held) << "key " << keys[held];
        input.KeyUp(keys[held]);
        EXPECT_FALSE(input.Intents().*intents[held]) << "key " << keys[held];
    }
}

// The fired action comes from the key states alone: while a toggle key is
// held, any key message (auto-repeat, another key) fires it again.
TEST_F(InputTest, FiresOnlyTheFirstHeldActionInPriorityOrderWhileItsKeyIsHeld) {
    EXPECT_EQ(input.FiredAction(), InputAction::None);
    const std::pair<int32_t, InputAction> presses[] = {
        {kSpace, InputAction::Jump},           {kKeyC, InputAction::ToggleCollision},
        {kKeyF, InputAction::ToggleFlyMode},   {kKeyOne, InputAction::ToggleWireframe},
        {kKeyP, InputAction::ToggleDebugOutput}, {kKeyW, InputAction::ToggleDebugOutput},
        {kKeyP, InputAction::ToggleDebugOutput}};  // auto-repeat
    for (const auto& [key, action] : presses) {
        input.KeyDown(key);
        EXPECT_EQ(input.FiredAction(), action) << "key " << key;
    }
    for (const int32_t key : {kKeyP, kKeyOne, kKeyC}) input.KeyUp(key);
    EXPECT_EQ(input.FiredAction(), InputAction::ToggleFlyMode);  // flight and jump together: no jump
    for (const int32_t key : {kKeyF, kSpace}) input.KeyUp(key);
    EXPECT_EQ(input.FiredAction(), InputAction::None);  // releases fire nothing
}

TEST_F(InputTest, CodesAbove127ShareTheEntryOf128Lower) {
    input.KeyDown(kLeftShift);
    EXPECT_TRUE(input.IsDown(kSpace));
    EXPECT_EQ(input.FiredAction(), InputAction::Jump);
    input.KeyUp(kSpace);
    EXPECT_FALSE(input.IsDown(kSpace));
    EXPECT_FALSE(input.IsDown(kLeftShift));  // entries above 127 are never set
}

TEST_F(InputTest, UnboundActionsFireOnlyForKeyCode128AndOutOfTableBindingsNever) {
    Input unbound = Bound("moveForward=w\n");
    unbound.KeyDown(kSpace);
    unbound.KeyDown(kKeyF);
    EXPECT_EQ(unbound.FiredAction(), InputAction::None);
    EXPECT_FALSE(unbound.Intents().backward);
    unbound.KeyDown(128);  // lands on entry 0, which every unbound action names
    EXPECT_EQ(unbound.FiredAction(), InputAction::ToggleDebugOutput);
    EXPECT_TRUE(unbound.Intents().backward);
    EXPECT_FALSE(unbound.Intents().forward);

    for (const char* binding : {"jump=0\n", "jump=300\n", "jump=-5\n"}) {
        Input jump = Bound(binding);
        for (const int32_t key : {kSpace, 300, -5}) jump.KeyDown(key);
        EXPECT_NE(jump.FiredAction(), InputAction::Jump) << binding;
    }
}

TEST_F(InputTest, MouseFactorsComeFromTheSettingsAndTheLastCursorPositionIsKept) {
    MouseAcceleration() = MouseFactors{1.0f, 2.0f};
    input = Bound("accelerationX=0.01\n");
    EXPECT_FLOAT_EQ(MouseAcceleration().accelerationX, 0.01f);
    EXPECT_FLOAT_EQ(MouseAcceleration().accelerationY, 0.005f);  // the default
    EXPECT_TRUE(input.CursorX() == 0 && input.CursorY() == 0);
    input.MouseMoved(700, 300);
    input.MouseMoved(-12, 905);
    EXPECT_TRUE(input.CursorX() == -12 && input.CursorY() == 905);
}

// The screenshot key: one character, or a virtual-key code of two or three
// digits; it fires on a press of the key while it is up, never on repeats.
TEST_F(InputTest, ScreenshotKeyIsACharacterOrAKeyCodeAndFiresOnFreshPressesOnly) {
    const struct {
        const char* text;
        int32_t key;  // 0: no key takes screenshots
    } cases[] = {
        {"screenshot=p\n", kKeyP}, {"screenshot=7\n", '7'}, {"screenshot=123\n", 123}, {"screenshot=44\n", 44},
        {"", 0}, {"screenshot=F12\n", 0}, {"screenshot=300\n", 0}, {"screenshot=1234\n", 0},
    };
    for (const auto& binding : cases) {
        Input bound = Bound(binding.text);
        for (const int32_t key : {0, 128, kKeyP, int32_t{'7'}, 123, 44, 251}) {
            EXPECT_EQ(bound.IsScreenshotPress(key), key == binding.key && key != 0) << binding.text << key;
        }
    }
    Input bound = Bound("screenshot=123\n");
    bound.KeyDown(123);
    EXPECT_FALSE(bound.IsScreenshotPress(123)) << "a repeat of the held key";
    bound.KeyUp(123);
    EXPECT_TRUE(bound.IsScreenshotPress(123));
    EXPECT_EQ(Bound(kShippedLayout).FiredAction(), InputAction::None);
}

}  // namespace
