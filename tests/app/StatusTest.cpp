#include <gtest/gtest.h>

#include "app/FrameStatistics.h"
#include "app/WindowPlacement.h"

TEST(FpsCounter, AveragesOverTenSlotsFromTheFirstFrame) {
    FpsCounter fps;
    char text[128];
    fps.AddSample(0.016f);
    FormatFpsText(fps.Average(), text);
    EXPECT_STREQ(text, "FPS 624 (1.6000 ms)");  // 1 / 0.0016 is just below 625 and truncated
    for (int i = 1; i < 10; ++i) {
        fps.AddSample(0.016f);
    }
    FormatFpsText(fps.Average(), text);
    EXPECT_STREQ(text, "FPS 62 (16.0000 ms)");
    // The eleventh sample replaces the first.
    fps.AddSample(0.026f);
    EXPECT_NEAR(fps.Average(), 0.017f, 1e-6f);
}

TEST(FpsCounter, ZeroAverageReadsAsZeroFps) {
    FpsCounter fps;
    for (int i = 0; i < 10; ++i) {
        fps.AddSample(0.0f);
    }
    char text[128];
    FormatFpsText(fps.Average(), text);
    EXPECT_STREQ(text, "FPS 0 (0.0000 ms)");
}

TEST(WorldClock, AdvancesScaledAndDropsThePartBeyondMidnight) {
    WorldClock clock(600.0f, 24000.0f);
    char text[128];
    FormatClockText(clock.TimeOfDay(), text);
    EXPECT_STREQ(text, "Time: 06:40:00");
    clock.Advance(0.5f);
    EXPECT_FLOAT_EQ(clock.TimeOfDay(), 24300.0f);

    WorldClock late(1.0f, 86399.5f);
    late.Advance(1.0f);
    EXPECT_FLOAT_EQ(late.TimeOfDay(), 0.0f);
    FormatClockText(late.TimeOfDay(), text);
    EXPECT_STREQ(text, "Time: 00:00:00");

    WorldClock exact(1.0f, 86399.0f);
    exact.Advance(1.0f);  // exactly 86400 is not past midnight
    EXPECT_FLOAT_EQ(exact.TimeOfDay(), 86400.0f);

    FormatClockText(3599.9f, text);
    EXPECT_STREQ(text, "Time: 00:59:59");
}

TEST(StatusTexts, PositionAndSwitches) {
    char text[128];
    FormatPositionText(12.4f, 40.0f, -3.6f, text);
    EXPECT_STREQ(text, "position    12x    40y    -4z");
    FormatSwitchText("flight mode %s", true, text);
    EXPECT_STREQ(text, "flight mode TRUE");
    FormatSwitchText("collision detection %s", false, text);
    EXPECT_STREQ(text, "collision detection FALSE");
}

TEST(WindowPlacement, WindowedIsCentredAndFullscreenCoversTheScreen) {
    const WindowPlacement windowed = PlaceWindow(false, 1920, 1080, 1280, 720);
    EXPECT_EQ(windowed.x, 320);
    EXPECT_EQ(windowed.y, 180);
    EXPECT_EQ(windowed.width, 1280u);
    EXPECT_EQ(windowed.height, 720u);
    EXPECT_EQ(windowed.centreX, 960);
    EXPECT_EQ(windowed.centreY, 540);

    const WindowPlacement full = PlaceWindow(true, 1920, 1080, 1280, 720);
    EXPECT_EQ(full.x, 0);
    EXPECT_EQ(full.y, 0);
    EXPECT_EQ(full.width, 1920u);
    EXPECT_EQ(full.height, 1080u);
    EXPECT_EQ(full.centreX, 960);
    EXPECT_EQ(full.centreY, 540);

    const WindowPlacement odd = PlaceWindow(false, 1921, 1081, 640, 361);
    EXPECT_EQ(odd.x, 640);  // halves rounded down
    EXPECT_EQ(odd.y, 360);
    EXPECT_EQ(odd.centreY, 540);  // 180.5 + 360 truncated

    const WindowPlacement larger = PlaceWindow(false, 800, 600, 1281, 720);
    EXPECT_EQ(larger.x, -241);
    EXPECT_EQ(larger.y, -60);
}
