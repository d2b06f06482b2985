#include <gtest/gtest.h>

#include <tuple>

#include "app/FrameStatistics.h"
#include "app/WindowPlacement.h"

namespace {
std::string Text(void (*format)(float, char (&)[128]), float value) {
    char text[128];
    format(value, text);
    return text;
}
}  // namespace

// Empty slots of the ten-frame average count as zero. Exactly 86400 is not past midnight.
TEST(StatusTexts, FpsAverageClockPositionAndSwitches) {
    FpsCounter fps;
    fps.AddSample(0.016f);
    EXPECT_EQ(Text(FormatFpsText, fps.Average()), "FPS 624 (1.6000 ms)");  // 1 / 0.0016 is just below 625
    for (int i = 1; i < 10; ++i) fps.AddSample(0.016f);
    EXPECT_EQ(Text(FormatFpsText, fps.Average()), "FPS 62 (16.0000 ms)");
    fps.AddSample(0.026f);  // the eleventh sample replaces the first
    EXPECT_NEAR(fps.Average(), 0.017f, 1e-6f);
    EXPECT_EQ(Text(FormatFpsText, 0.0f), "FPS 0 (0.0000 ms)");
    WorldClock clock(600.0f, 24000.0f), late(1.0f, 86399.5f), exact(1.0f, 86399.0f);
    EXPECT_EQ(Text(FormatClockText, clock.TimeOfDay()), "Time: 06:40:00");
    EXPECT_EQ(Text(FormatClockText, 3599.9f), "Time: 00:59:59");
    clock.Advance(0.5f);
    late.Advance(1.0f);
    exact.Advance(1.0f);
    EXPECT_TRUE(clock.TimeOfDay() == 24300.0f && late.TimeOfDay() == 0.0f && exact.TimeOfDay() == 86400.0f);
    char text[128];
    FormatPositionText(12.4f, 40.0f, -3.6f, text);
    EXPECT_STREQ(text, "position    12x    40y    -4z");
    FormatSwitchText("flight mode %s", true, text);
    EXPECT_STREQ(text, "flight mode TRUE");
    FormatSwitchText("collision detection %s", false, text);
    EXPECT_STREQ(text, "collision detection FALSE");
}

// On a 1920 x 1080 screen; the cursor centre is the window's, halves rounded down.
TEST(WindowPlacement, WindowedIsCentredAndFullscreenCoversTheScreen) {
    const std::tuple<bool, uint32_t, uint32_t, WindowPlacement> cases[] = {  // full screen, window size, expected
        {false, 1280, 720, {320, 180, 1280, 720, 960, 540}}, {true, 1280, 720, {0, 0, 1920, 1080, 960, 540}},
        {false, 641, 361, {639, 359, 641, 361, 959, 539}}};
    for (const auto& [fullscreen, width, height, e] : cases) {
        const WindowPlacement p = PlaceWindow(fullscreen, 1920, 1080, width, height);
        EXPECT_TRUE(p.x == e.x && p.y == e.y && p.width == e.width && p.height == e.height &&
                    p.centreX == e.centreX && p.centreY == e.centreY) << width;
    }
}
