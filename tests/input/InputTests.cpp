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

// Letters bind their upper-case code, any other character its own; the jump key is a number.
TEST_F(InputTest, BindingsMouseFactorsAndMovementIntents) {
    EXPECT_TRUE(input.Binding(InputAction::ToggleWireframe) == kKeyOne && input.Binding(InputAction::Jump) == kSpace);
    EXPECT_EQ(Bound("toggleFlyMode={\n").Binding(InputAction::ToggleFlyMode), '{');  // not shifted down to '['
    Bound("accelerationX=0.01\n");
    EXPECT_TRUE(MouseAcceleration().accelerationX == 0.01f && MouseAcceleration().accelerationY == 0.005f);
    using I = MovementIntents;
    bool I::*const intents[] = {&I::forward, &I::backward, &I::left, &I::right, &I::up, &I::down};
    const int32_t keys[] = {kKeyW, kKeyS, kKeyA, kKeyD, kKeyE, kKeyZ};
    for (int held = 0; held < 6; ++held) {
        input.KeyDown(keys[held]);
        for (int i = 0; i < 6; ++i) EXPECT_EQ(input.Intents().*intents[i], i == held) << "key " << keys[held];
        input.KeyUp(keys[held]);
        EXPECT_FALSE(input.Intents().*intents[held]);
    }
}

// Codes from 128 share the entry of the code 128 lower; entry 0 stands for every unbound action.
TEST_F(InputTest, FiresTheFirstHeldActionInPriorityOrder) {
    EXPECT_EQ(input.FiredAction(), InputAction::None);
    const std::pair<int32_t, InputAction> presses[] = {
        {kSpace, InputAction::Jump}, {kKeyC, InputAction::ToggleCollision}, {kKeyF, InputAction::ToggleFlyMode},
        {kKeyOne, InputAction::ToggleWireframe}, {kKeyP, InputAction::ToggleDebugOutput},
        {kKeyW, InputAction::ToggleDebugOutput}};  // W moves only: debug output still fires
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
    unbound.KeyDown(300);  // a binding outside the table never fires
    EXPECT_EQ(unbound.FiredAction(), InputAction::None);
    unbound.KeyDown(128);
    EXPECT_EQ(unbound.FiredAction(), InputAction::ToggleDebugOutput);
    EXPECT_TRUE(unbound.Intents().backward && !unbound.Intents().forward);
}

// One character, or a virtual-key code of two or three digits from 10 to 255.
TEST_F(InputTest, ScreenshotKeyIsACharacterOrAKeyCodeAndFiresOnFreshPressesOnly) {
    const std::pair<const char*, int32_t> cases[] = {  // 0: no key takes screenshots
        {"screenshot=p\n", kKeyP}, {"screenshot=7\n", '7'},     {"screenshot=255\n", 255},  {"screenshot=44\n", 44},
        {"", 0},                   {"screenshot=F12\n", 0},      {"screenshot=256\n", 0},    {"screenshot=1234\n", 0}};
    for (const auto& [text, screenshotKey] : cases) {
        const Input bound = Bound(text);
        for (const int32_t key : {0, 128, kKeyP, int32_t{'7'}, 255, 44, 256}) {
            EXPECT_EQ(bound.IsScreenshotPress(key), key == screenshotKey && key != 0) << text << key;
        }
    }
    Input bound = Bound("screenshot=123\n");
    bound.KeyDown(123);  // a repeat of the held key does not fire
    EXPECT_FALSE(bound.IsScreenshotPress(123));
    bound.KeyUp(123);
    EXPECT_TRUE(bound.IsScreenshotPress(123));
}

}  // namespace
