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

// Lines starting with # or [ are skipped; keys and values lose their outer
// blanks (not tabs); the first occurrence of a key wins; only a carriage
// return right before a line feed is dropped; a byte-order mark is part of
// the first key.
TEST(SettingsLines, BlanksCommentsSectionsRepeatedKeysAndLineEnds) {
    const Settings settings = Parse(
        "\xEF\xBB\xBFwindowWidth=1\n"
        "# windowWidth=2\n"
        "[Window]\n"
        "  #windowWidth=800\n"
        "windowWidth=800\r\n"
        "windowWidth=1024\n"
        "  mapSeed  =  hello world  \n"
        "tabbed\t= x\n"
        "equation=a=b\n"
        "=orphan value\n"
        "emptyValue=\n"
        "last=cr\r");
    EXPECT_EQ(settings.GetString("#windowWidth", ""), "800");  // a blank first: not a comment
    EXPECT_EQ(settings.GetString("windowWidth", ""), "800");
    EXPECT_EQ(settings.GetString("\xEF\xBB\xBFwindowWidth", ""), "1");
    EXPECT_EQ(settings.GetString("mapSeed", ""), "hello world");
    EXPECT_EQ(settings.GetString("tabbed\t", ""), "x");
    EXPECT_EQ(settings.GetString("equation", ""), "a=b");
    EXPECT_EQ(settings.GetString("", "none"), "orphan value");
    EXPECT_EQ(settings.GetString("emptyValue", "default"), "");
    EXPECT_EQ(settings.GetString("last", ""), "cr\r");
    EXPECT_FALSE(settings.Contains("[Window]"));
}

// Only the exact text "false" is false; numbers read the longest leading
// number of their type; floats round once from the text; characters skip
// leading white space.
TEST(SettingsConversions, BooleansNumbersAndCharacters) {
    const Settings settings = Parse(
        "a=false\nb=False\nc=0\nd=\nf = false \npx=1280px\nhalf=1.5\nsci=2e3\nhex=0x20\nneg=-7\n"
        "x=1.0000000596046447753906250000000001\nk=   x\nt=\tq\n");
    EXPECT_FALSE(settings.GetBool("a") || settings.GetBool("f"));
    EXPECT_TRUE(settings.GetBool("b") && settings.GetBool("c") && settings.GetBool("d") && settings.GetBool("absent"));
    EXPECT_EQ(settings.GetUnsigned("px", 0), 1280u);
    EXPECT_EQ(settings.GetInt("half", 0), 1);
    EXPECT_FLOAT_EQ(settings.GetFloat("sci", 0.0f), 2000.0f);
    EXPECT_EQ(settings.GetInt("hex", 5), 0);
    EXPECT_EQ(settings.GetInt("neg", 0), -7);
    EXPECT_EQ(settings.GetInt("absent", 9), 9);
    // Just above the midpoint of 1 and the next float: read through a double
    // it would land on the midpoint first and then round down to 1.
    EXPECT_EQ(settings.GetFloat("x", 0.0f), std::nextafter(1.0f, 2.0f));
    EXPECT_EQ(settings.GetChar("k"), 'x');
    EXPECT_EQ(settings.GetChar("t"), 'q');
    EXPECT_EQ(settings.GetChar("d"), 0);
    EXPECT_EQ(settings.GetChar("absent"), 0);
}

// A value that is no number of its type keeps the default and is named on
// stderr, never in a message box.
TEST(SettingsConversions, InvalidOrOutOfRangeNumbersKeepTheDefault) {
    static int shown = 0;
    const ErrorMessageSink previous = SetErrorMessageSink([](const char*) { ++shown; });
    const Settings settings = Parse("word=abc\nbig=99999999999\nnegative=-5\nhuge=1e60\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(settings.GetInt("word", 3), 3);
    EXPECT_EQ(settings.GetInt("big", 4), 4);
    EXPECT_EQ(settings.GetUnsigned("negative", 5u), 5u);
    EXPECT_FLOAT_EQ(settings.GetFloat("huge", 6.0f), 6.0f);
    const std::string messages = testing::internal::GetCapturedStderr();
    SetErrorMessageSink(previous);
    EXPECT_NE(messages.find("word=abc"), std::string::npos);
    EXPECT_NE(messages.find("negative=-5"), std::string::npos);
    EXPECT_EQ(shown, 0);
}

TEST(TypedSettingsLoading, DefaultsValuesAndEmptySeed) {
    const TypedSettings defaults = Typed("fullscreen=false\n");
    EXPECT_FALSE(defaults.fullscreen);
    EXPECT_TRUE(defaults.VSync && defaults.infiniteTerrain && defaults.instantStart && !defaults.renderFaces);
    EXPECT_TRUE(defaults.windowWidth == 1280u && defaults.windowHeight == 720u);
    EXPECT_EQ(defaults.mapSeed, "voxmere");
    EXPECT_EQ(defaults.cubeShaderName, "bin\\shader\\Cube");
    EXPECT_TRUE(defaults.chunkWidth == 32 && defaults.chunkHeight == 128 && defaults.terrainWidth == 512u);
    EXPECT_TRUE(defaults.loadSpeed == 32000 && defaults.updateSpeed == 64000 && defaults.mapGenerationMethod == 1);
    EXPECT_FLOAT_EQ(defaults.GUIUpdate, 256.0f);

    const TypedSettings typed =
        Typed("VSync = false\nmapSeed=\nwindowHeight=600\nscreenNear=0.5\nterrainWidth=256\nrenderFaces=1\n");
    EXPECT_FALSE(typed.VSync);
    EXPECT_EQ(typed.mapSeed, "");
    EXPECT_EQ(typed.windowHeight, 600u);
    EXPECT_FLOAT_EQ(typed.screenNear, 0.5f);
    EXPECT_EQ(typed.terrainWidth, 256u);
    EXPECT_TRUE(typed.renderFaces);
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
        {"screenNear=1024", {"screenNear=1024 "}},
        {"screenNear=-1\nscreenDepth=-2", {"screenNear=-1 ", "screenNear=-1 "}},
        {"voxelSize=0", {"voxelSize=0 "}},
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

TEST(SettingsFile, ReadsAFileFromDiskAndAMissingOneLeavesTheDefaults) {
    Settings missing;
    EXPECT_FALSE(missing.LoadFile("no-such-directory/config.ini"));
    const std::string path = testing::TempDir() + "voxmere-settings-test-" + std::to_string(getpid()) + ".ini";
    std::ofstream(path, std::ios::binary) << "windowWidth=640\r\nwindowHeight=360";
    Settings settings;
    ASSERT_TRUE(settings.LoadFile(path));
    EXPECT_EQ(settings.GetUnsigned("windowWidth", 0), 640u);
    EXPECT_EQ(settings.GetUnsigned("windowHeight", 0), 360u);  // the last line needs no line feed
    std::remove(path.c_str());
    EXPECT_EQ(NativePath("bin\\shader\\Cube"), "bin/shader/Cube");
}
