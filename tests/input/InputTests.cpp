#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "config/Settings.h"
#include "input/Input.h"
#include "input/InputState.h"

namespace {

constexpr int32_t kKeyW = 87, kKeyA = 65, kKeyS = 83, kKeyD = 68, kKeyE = 69, kKeyZ = 90;
constexpr int32_t kKeyF = 70, kKeyC = 67, kKeyOne = 49, kKeyP = 80, kSpace = 32;

const char* const kLayout =
    "moveForward=w\nmoveBackward=s\nmoveLeft=a\nmoveRight=D\nmoveUp=e\nmoveDown=z\njump=32\n"
    "toggleFlyMode=f\ntoggleCollision=c\ntoggleWireframe=1\ntoggleDebugOutput=p\n";

Input Bound(const std::string& text = kLayout) {
    Settings settings;
    std::istringstream stream(text);
    settings.Load(stream);
    Input input;
    input.Initialize(settings);
    return input;
}

class InputTest : public ::testing::Test {
protected:
    void TearDown() override { MouseAcceleration() = MouseFactors{}; }
    Input input = Bound();
};

// Letters bind their upper-case code, any other character its own; the jump
// key is a number. Each movement key sets only its own intent.
TEST_F(InputTest, BindingsAndMovementIntents) {
    EXPECT_EQ(input.Binding(InputAction::ToggleWireframe), kKeyOne);
    EXPECT_EQ(input.Binding(InputAction::Jump), kSpace);
    EXPECT_EQ(Bound("toggleFlyMode={\n").Binding(InputAction::ToggleFlyMode), '{');  // not shifted down to '['
    bool MovementIntents::*const intents[] = {&MovementIntents::forward, &MovementIntents::backward,
                                              &MovementIntents::left,    &MovementIntents::right,
                                              &MovementIntents::up,      &MovementIntents::down};
    const int32_t keys[] = {kKeyW, kKeyS, kKeyA, kKeyD, kKeyE, kKeyZ};
    for (int held = 0; held < 6; ++held) {
        input.KeyDown(keys[held]);
        for (int i = 0; i < 6; ++i) EXPECT_EQ(input.Intents().*intents[i], i == held) << "key " << keys[held];
        input.KeyUp(keys[held]);
        EXPECT_FALSE(input.Intents().*intents[held]) << "key " << keys[held];
    }
}

// The fired action comes from the key states alone, in the order debug
// output, wireframe, flight, collision, jump; codes from 128 share the entry
// of the code 128 lower, and entry 0 stands for every unbound action.
TEST_F(InputTest, FiresTheFirstHeldActionInPriorityOrder) {
    EXPECT_EQ(input.FiredAction(), InputAction::None);
    const std::pair<int32_t, InputAction> presses[] = {
        {kSpace, InputAction::Jump},           {kKeyC, InputAction::ToggleCollision},
        {kKeyF, InputAction::ToggleFlyMode},   {kKeyOne, InputAction::ToggleWireframe},
        {kKeyP, InputAction::ToggleDebugOutput}, {kKeyW, InputAction::ToggleDebugOutput}};
    for (const auto& [key, action] : presses) {
        input.KeyDown(key);
        EXPECT_EQ(input.FiredAction(), action) << "key " << key;
    }
    for (const int32_t key : {kKeyP, kKeyOne, kKeyC, kKeyF, kSpace}) input.KeyUp(key);
    EXPECT_EQ(input.FiredAction(), InputAction::None);
    input.KeyDown(kSpace + 128);  // left Shift lands on the space bar's entry
    EXPECT_EQ(input.FiredAction(), InputAction::Jump);

    Input unbound = Bound("moveForward=w\njump=300\n");
    unbound.KeyDown(kSpace);
    unbound.KeyDown(300);
    EXPECT_EQ(unbound.FiredAction(), InputAction::None) << "a binding outside the table never fires";
    unbound.KeyDown(128);
    EXPECT_EQ(unbound.FiredAction(), InputAction::ToggleDebugOutput);
    EXPECT_TRUE(unbound.Intents().backward && !unbound.Intents().forward);
}

TEST_F(InputTest, MouseFactorsComeFromTheSettingsAndTheLastCursorPositionIsKept) {
    input = Bound("accelerationX=0.01\n");
    EXPECT_FLOAT_EQ(MouseAcceleration().accelerationX, 0.01f);
    EXPECT_FLOAT_EQ(MouseAcceleration().accelerationY, 0.005f);  // the default
    input.MouseMoved(700, 300);
    input.MouseMoved(-12, 905);
    EXPECT_TRUE(input.CursorX() == -12 && input.CursorY() == 905);
}

// The screenshot key: one character, or a virtual-key code of two or three
// digits from 10 to 255; it fires on a press of the key while it is up.
TEST_F(InputTest, ScreenshotKeyIsACharacterOrAKeyCodeAndFiresOnFreshPressesOnly) {
    const struct {
        const char* text;
        int32_t key;  // 0: no key takes screenshots
    } cases[] = {{"screenshot=p\n", kKeyP}, {"screenshot=7\n", '7'}, {"screenshot=255\n", 255}, {"screenshot=44\n", 44},
                 {"", 0}, {"screenshot=F12\n", 0}, {"screenshot=256\n", 0}, {"screenshot=1234\n", 0}};
    for (const auto& binding : cases) {
        Input bound = Bound(binding.text);
        for (const int32_t key : {0, 128, kKeyP, int32_t{'7'}, 255, 44, 256}) {
            EXPECT_EQ(bound.IsScreenshotPress(key), key == binding.key && key != 0) << binding.text << key;
        }
    }
    Input bound = Bound("screenshot=123\n");
    bound.KeyDown(123);
    EXPECT_FALSE(bound.IsScreenshotPress(123)) << "a repeat of the held key";
    bound.KeyUp(123);
    EXPECT_TRUE(bound.IsScreenshotPress(123));
}

}  // namespace
