#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "config/Settings.h"
#include "platform/ErrorMessage.h"

namespace {

Settings Parse(const std::string& text) {
    Settings settings;
    std::istringstream in(text);
    settings.Load(in);
    return settings;
}

TypedSettings Typed(const std::string& text) {
    TypedSettings typed;
    Parse(text).LoadTypedSettings(typed);
    return typed;
}

}  // namespace

TEST(SettingsLines, BlanksCommentsSectionsAndRepeatedKeys) {
    const Settings settings = Parse(
        "\n"
        "# windowWidth=1\n"
        "[Window]\n"
        "  #windowWidth=800\n"
        "windowWidth=800\n"
        "windowWidth=1024\n"
        "  mapSeed  =  hello world  \n"
        "tabbed\t= x\n"
        "no equals sign here\n"
        "equation=a=b\n"
        "=orphan value\n"
        "emptyValue=\n");
    EXPECT_EQ(settings.GetString("#windowWidth", ""), "800");  // a blank first: not a comment
    EXPECT_EQ(settings.GetString("windowWidth", ""), "800");   // the first occurrence wins
    EXPECT_EQ(settings.GetString("mapSeed", ""), "hello world");
    EXPECT_EQ(settings.GetString("tabbed\t", ""), "x");  // tabs are not blanks
    EXPECT_EQ(settings.GetString("equation", ""), "a=b");
    EXPECT_EQ(settings.GetString("", "none"), "orphan value");
    EXPECT_EQ(settings.GetString("emptyValue", "default"), "");
    EXPECT_FALSE(settings.Contains("no equals sign here"));
    EXPECT_FALSE(settings.Contains("[Window]"));
}

TEST(SettingsLines, CarriageReturnsAndByteOrderMark) {
    const Settings crlf = Parse("VSync=false\r\nfullscreen=false\r\nmapSeed=cr\r");
    EXPECT_FALSE(crlf.GetBool("VSync"));
    EXPECT_FALSE(crlf.GetBool("fullscreen"));
    EXPECT_EQ(crlf.GetString("mapSeed", ""), "cr\r") << "only a carriage return before a line feed is dropped";

    const Settings bom = Parse("\xEF\xBB\xBFwindowWidth=800\nwindowHeight=600\n");
    EXPECT_FALSE(bom.Contains("windowWidth"));
    EXPECT_TRUE(bom.Contains("\xEF\xBB\xBFwindowWidth"));
    EXPECT_EQ(bom.GetUnsigned("windowHeight", 0), 600u);
}

TEST(SettingsConversions, OnlyExactFalseIsFalse) {
    const Settings settings = Parse("a=false\nb=False\nc=0\nd=no\ne=\nf = false \n");
    EXPECT_FALSE(settings.GetBool("a"));
    EXPECT_TRUE(settings.GetBool("b"));
    EXPECT_TRUE(settings.GetBool("c"));
    EXPECT_TRUE(settings.GetBool("d"));
    EXPECT_TRUE(settings.GetBool("e"));
    EXPECT_FALSE(settings.GetBool("f"));
    EXPECT_TRUE(settings.GetBool("absent"));
}

TEST(SettingsConversions, NumbersReadTheLongestLeadingNumber) {
    const Settings settings = Parse("px=1280px\nhalf=1.5\nsci=2e3\nhex=0x20\nspaced=   42\nneg=-7\n");
    EXPECT_EQ(settings.GetUnsigned("px", 0), 1280u);
    EXPECT_EQ(settings.GetInt("half", 0), 1);
    EXPECT_FLOAT_EQ(settings.GetFloat("sci", 0.0f), 2000.0f);
    EXPECT_EQ(settings.GetInt("hex", 5), 0);
    EXPECT_EQ(settings.GetInt("spaced", 0), 42);
    EXPECT_EQ(settings.GetInt("neg", 0), -7);
    EXPECT_EQ(settings.GetInt("absent", 9), 9);
}

TEST(SettingsConversions, FloatsRoundOnceFromTheText) {
    // Just above the midpoint of 1 and the next float: read through a double,
    // it would land exactly on the midpoint first and then round down to 1.
    const Settings settings = Parse("x=1.0000000596046447753906250000000001\n");
    EXPECT_EQ(settings.GetFloat("x", 0.0f), std::nextafter(1.0f, 2.0f));
}

TEST(SettingsConversions, InvalidOrOutOfRangeNumbersKeepTheDefaultAndSaySo) {
    const Settings settings = Parse("word=abc\nbig=99999999999\nnegative=-5\nhuge=1e60\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(settings.GetInt("word", 3), 3);
    EXPECT_EQ(settings.GetInt("big", 4), 4);
    EXPECT_EQ(settings.GetUnsigned("negative", 5u), 5u);
    EXPECT_FLOAT_EQ(settings.GetFloat("huge", 6.0f), 6.0f);
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_NE(messages.find("word=abc"), std::string::npos);
    EXPECT_NE(messages.find("big=99999999999"), std::string::npos);
    EXPECT_NE(messages.find("using 5"), std::string::npos);
    int lines = 0;
    for (char c : messages) lines += c == '\n';
    EXPECT_EQ(lines, 4);
}

TEST(SettingsConversions, ReportsFollowTheStderrSwitchAndNeverReachTheMessageBox) {
    static int shown = 0;
    const ErrorMessageSink previous = SetErrorMessageSink([](const char*) { ++shown; });
    const Settings settings = Parse("word=abc\n");
    testing::internal::CaptureStderr();
    settings.GetInt("word", 1);
    SetErrorMessagesOnStderr(false);  // a program that only shows message boxes
    settings.GetInt("word", 1);
    SetErrorMessagesOnStderr(true);
    const std::string written = testing::internal::GetCapturedStderr();
    SetErrorMessageSink(previous);
    EXPECT_EQ(written, "voxmere: config.ini: word=abc is not a valid number, using 1\n");
    EXPECT_EQ(shown, 0);
}

TEST(SettingsConversions, CharactersSkipLeadingWhiteSpace) {
    const Settings settings = Parse("a=w\nb=   x\nc=\nd=\tq\n");
    EXPECT_EQ(settings.GetChar("a"), 'w');
    EXPECT_EQ(settings.GetChar("b"), 'x');
    EXPECT_EQ(settings.GetChar("c"), 0);
    EXPECT_EQ(settings.GetChar("d"), 'q');
    EXPECT_EQ(settings.GetChar("absent"), 0);
}

TEST(TypedSettingsLoading, OnlyFullscreenFalseKeepsEveryOtherDefault) {
    testing::internal::CaptureStderr();
    const TypedSettings typed = Typed("fullscreen=false\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    const TypedSettings defaults;
    EXPECT_FALSE(typed.fullscreen);
    EXPECT_TRUE(typed.VSync);
    EXPECT_TRUE(typed.infiniteTerrain);
    EXPECT_TRUE(typed.instantStart);
    EXPECT_EQ(typed.windowWidth, 1280u);
    EXPECT_EQ(typed.windowHeight, 720u);
    EXPECT_EQ(typed.mapSeed, "voxmere");
    EXPECT_EQ(typed.cubeShaderName, "bin\\shader\\Cube");
    EXPECT_EQ(typed.terrainWidth, defaults.terrainWidth);
    EXPECT_EQ(typed.loadSpeed, 32000);
    EXPECT_EQ(typed.updateSpeed, 64000);
    EXPECT_FLOAT_EQ(typed.GUIUpdate, 256.0f);
}

TEST(TypedSettingsLoading, ValuesAndEmptySeed) {
    const TypedSettings typed = Typed("VSync = false\nmapSeed=\nchunkWidth=16\nscreenNear=0.5\nterrainWidth=256\n");
    EXPECT_FALSE(typed.VSync);
    EXPECT_EQ(typed.mapSeed, "");
    EXPECT_EQ(typed.chunkWidth, 16);
    EXPECT_FLOAT_EQ(typed.screenNear, 0.5f);
    EXPECT_EQ(typed.terrainWidth, 256u);
}

TEST(TypedSettingsLoading, SettingsThatLeaveNothingToSeeAreNamedOnceEach) {
    const struct {
        const char* text;
        std::vector<std::string> warnings;
    } cases[] = {
        {"", {}},
        {"fieldOfView=179.9\nscreenNear=0.001\nvoxelSize=0.01\nfontSize=1", {}},
        {"fieldOfView=0", {"fieldOfView=0 "}},
        {"fieldOfView=180", {"fieldOfView=180 "}},
        {"screenNear=0", {"screenNear=0 leaves"}},
        {"screenNear=1024", {"screenNear=1024 is not below screenDepth=1024"}},
        {"screenNear=-1\nscreenDepth=-2", {"screenNear=-1 leaves", "screenNear=-1 is not below screenDepth=-2"}},
        {"voxelSize=0", {"voxelSize=0 "}},
        {"voxelSize=-1", {"voxelSize=-1 "}},
        {"fontSize=0", {"fontSize=0 "}},
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        WarnAboutEmptyView(Typed(c.text));
        std::istringstream lines(testing::internal::GetCapturedStderr());
        std::vector<std::string> warnings;
        for (std::string line; std::getline(lines, line);) warnings.push_back(line);
        ASSERT_EQ(warnings.size(), c.warnings.size()) << c.text;
        for (size_t i = 0; i < warnings.size(); ++i) {
            EXPECT_NE(warnings[i].find(c.warnings[i]), std::string::npos) << warnings[i];
        }
    }
}

TEST(SettingsFile, MissingFileLeavesEverythingAtItsDefault) {
    Settings settings;
    EXPECT_FALSE(settings.LoadFile("no-such-directory/config.ini"));
    TypedSettings typed;
    settings.LoadTypedSettings(typed);
    EXPECT_TRUE(typed.fullscreen);
    EXPECT_EQ(typed.windowWidth, 1280u);
}

TEST(SettingsFile, ReadsAFileFromDisk) {
    const std::string path = testing::TempDir() + "voxmere-settings-test-" + std::to_string(getpid()) + ".ini";
    {
        std::ofstream file(path, std::ios::binary);
        file << "windowWidth=640\r\nwindowHeight=360";
    }
    Settings settings;
    ASSERT_TRUE(settings.LoadFile(path));
    EXPECT_EQ(settings.GetUnsigned("windowWidth", 0), 640u);
    EXPECT_EQ(settings.GetUnsigned("windowHeight", 0), 360u);  // the last line needs no line feed
    std::remove(path.c_str());
}

TEST(NativePaths, BackslashesSeparateFolders) {
    EXPECT_EQ(NativePath("bin\\shader\\Cube"), "bin/shader/Cube");
    EXPECT_EQ(NativePath("bin/font/font.dds"), "bin/font/font.dds");
}
