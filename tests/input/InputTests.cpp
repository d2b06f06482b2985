#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "config/Settings.h"
#include "input/Input.h"
#include "input/InputState.h"

namespace {

constexpr int32_t kKeyW = 87;
constexpr int32_t kKeyA = 65;
constexpr int32_t kKeyS = 83;
constexpr int32_t kKeyD = 68;
constexpr int32_t kKeyE = 69;
constexpr int32_t kKeyQ = 81;
constexpr int32_t kKeyF = 70;
constexpr int32_t kKeyC = 67;
constexpr int32_t kKeyTab = 9;
constexpr int32_t kKeyOne = 49;
constexpr int32_t kKeyP = 80;
constexpr int32_t kSpace = 32;
constexpr int32_t kLeftShift = 160;

const char* const kShippedLayout =
    "moveForward=w\n"
    "moveBackward=s\n"
    "moveLeft=a\n"
    "moveRight=D\n"
    "moveUp=e\n"
    "moveDown=q\n"
    "jump=32\n"
    "toggleFlyMode=f\n"
    "toggleCollision=c\n"
    "toggleWireframe=1\n"
    "toggleDebugOutput=p\n";

Settings SettingsFrom(const std::string& text) {
    Settings settings;
    std::istringstream stream(text);
    settings.Load(stream);
    return settings;
}

class InputTest : public ::testing::Test {
protected:
    void SetUp() override { MouseAcceleration() = MouseFactors{}; }
    void TearDown() override { MouseAcceleration() = MouseFactors{}; }

    void Bind(const std::string& text) { input.Initialize(SettingsFrom(text)); }

    Input input;
};

TEST_F(InputTest, CharacterBindingsAreUpperCasedLettersAndPlainOtherCharacters) {
    Bind(kShippedLayout);
    EXPECT_EQ(input.Binding(InputAction::ToggleCollision), kKeyC);
    EXPECT_EQ(input.Binding(InputAction::ToggleFlyMode), kKeyF);
    EXPECT_EQ(input.Binding(InputAction::ToggleWireframe), kKeyOne);
    EXPECT_EQ(input.Binding(InputAction::ToggleDebugOutput), kKeyP);
    EXPECT_EQ(input.Binding(InputAction::Jump), kSpace);

    Input braces;
    braces.Initialize(SettingsFrom("toggleFlyMode={\ntoggleCollision= `\n"));
    EXPECT_EQ(braces.Binding(InputAction::ToggleFlyMode), '{');  // not shifted down to '['
    EXPECT_EQ(braces.Binding(InputAction::ToggleCollision), '`');

    Input upper;
    upper.Initialize(SettingsFrom("moveForward=  W\n"));
    upper.KeyDown(kKeyW);
    EXPECT_TRUE(upper.Intents().forward);
}

TEST_F(InputTest, EachMovementKeySetsOnlyItsOwnIntent) {
    Bind(kShippedLayout);
    const struct {
        int32_t key;
        bool MovementIntents::*intent;
    } cases[] = {{kKeyW, &MovementIntents::forward}, {kKeyS, &MovementIntents::backward},
                 {kKeyA, &MovementIntents::left},    {kKeyD, &MovementIntents::right},
                 {kKeyE, &MovementIntents::up},      {kKeyQ, &MovementIntents::down}};
    bool MovementIntents::*const all[] = {&MovementIntents::forward, &MovementIntents::backward,
                                          &MovementIntents::left,    &MovementIntents::right,
                                          &MovementIntents::up,      &MovementIntents::down};
    for (const auto& held : cases) {
        input.KeyDown(held.key);
        const MovementIntents intents = input.Intents();
        for (bool MovementIntents::*field : all) {
            EXPECT_EQ(intents.*field, field == held.intent) << "key " << held.key;
        }
        input.KeyUp(held.key);
        EXPECT_FALSE(input.Intents().*held.intent) << "key " << held.key;
    }
}

TEST_F(InputTest, FiresOnlyTheFirstHeldActionInPriorityOrder) {
    Bind(kShippedLayout);
    EXPECT_EQ(input.FiredAction(), InputAction::None);

    input.KeyDown(kSpace);
    EXPECT_EQ(input.FiredAction(), InputAction::Jump);
    input.KeyDown(kKeyC);
    EXPECT_EQ(input.FiredAction(), InputAction::ToggleCollision);
    input.KeyDown(kKeyF);
    EXPECT_EQ(input.FiredAction(), InputAction::ToggleFlyMode);
    input.KeyDown(kKeyOne);
    EXPECT_EQ(input.FiredAction(), InputAction::ToggleWireframe);
    input.KeyDown(kKeyP);
    EXPECT_EQ(input.FiredAction(), InputAction::ToggleDebugOutput);

    input.KeyUp(kKeyP);
    input.KeyUp(kKeyOne);
    input.KeyUp(kKeyC);
    EXPECT_EQ(input.FiredAction(), InputAction::ToggleFlyMode);  // flight and jump together: no jump
}

TEST_F(InputTest, ReleasingAKeyFiresNothingAndAutoRepeatKeepsFiring) {
    Bind(kShippedLayout);
    input.KeyDown(kKeyF);
    input.KeyDown(kKeyF);  // auto-repeat
    EXPECT_EQ(input.FiredAction(), InputAction::ToggleFlyMode);
    input.KeyUp(kKeyF);
    EXPECT_EQ(input.FiredAction(), InputAction::None);
}

TEST_F(InputTest, CodesAbove127ShareTheEntryOf128Lower) {
    Bind(kShippedLayout);
    input.KeyDown(kLeftShift);
    EXPECT_TRUE(input.IsDown(kSpace));
    EXPECT_EQ(input.FiredAction(), InputAction::Jump);
    input.KeyUp(kSpace);
    EXPECT_FALSE(input.IsDown(kSpace));
    EXPECT_FALSE(input.IsDown(kLeftShift));  // entries above 127 are never set
}

TEST_F(InputTest, UnboundActionsFireOnlyForKeyCode128) {
    Bind("moveForward=w\n");
    input.KeyDown(kSpace);
    input.KeyDown(kKeyF);
    EXPECT_EQ(input.FiredAction(), InputAction::None);
    EXPECT_FALSE(input.Intents().backward);

    input.KeyDown(128);  // lands on entry 0, which every unbound action names
    EXPECT_EQ(input.FiredAction(), InputAction::ToggleDebugOutput);
    EXPECT_TRUE(input.Intents().backward);
    EXPECT_FALSE(input.Intents().forward);
}

TEST_F(InputTest, JumpBindingOfZeroOrOutsideTheKeyTableNeverFires) {
    for (const char* binding : {"jump=0\n", "jump=300\n", "jump=-5\n"}) {
        Input jumpInput;
        jumpInput.Initialize(SettingsFrom(binding));
        jumpInput.KeyDown(kSpace);
        jumpInput.KeyDown(300);
        jumpInput.KeyDown(-5);
        EXPECT_NE(jumpInput.FiredAction(), InputAction::Jump) << binding;
    }
}

TEST_F(InputTest, MouseFactorsComeFromTheSettingsOrDefaultTo0005) {
    MouseAcceleration() = MouseFactors{1.0f, 2.0f};
    Bind("accelerationX=0.01\n");
    EXPECT_FLOAT_EQ(MouseAcceleration().accelerationX, 0.01f);
    EXPECT_FLOAT_EQ(MouseAcceleration().accelerationY, 0.005f);
}

TEST_F(InputTest, KeepsTheLastCursorPosition) {
    EXPECT_EQ(input.CursorX(), 0);
    EXPECT_EQ(input.CursorY(), 0);
    input.MouseMoved(700, 300);
    input.MouseMoved(-12, 905);
    EXPECT_EQ(input.CursorX(), -12);
    EXPECT_EQ(input.CursorY(), 905);
}

}  // namespace
