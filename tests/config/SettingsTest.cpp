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

// Keys and values lose their outer blanks (not tabs); the first occurrence of a key wins; only a
// carriage return right before a line feed is dropped; a byte-order mark is part of the first key.
TEST(SettingsLines, BlanksCommentsSectionsRepeatedKeysAndLineEnds) {
    const Settings settings = Parse(
        "\xEF\xBB\xBFwindowWidth=1\n# windowWidth=2\n[Window=1]\n  #windowWidth=800\nwindowWidth=800\r\n"
        "windowWidth=1024\n  mapSeed  =  hello world  \n\ttabbed\t= x\nequation=a=b\n=orphan value\n"
        "emptyValue=\nlast=cr\r");
    const std::pair<const char*, const char*> values[] = {
        {"#windowWidth", "800"},  // a blank first: not a comment
        {"windowWidth", "800"}, {"\xEF\xBB\xBFwindowWidth", "1"}, {"mapSeed", "hello world"}, {"\ttabbed\t", "x"},
        {"equation", "a=b"},    {"", "orphan value"},            {"emptyValue", ""},          {"last", "cr\r"}};
    for (const auto& [key, value] : values) EXPECT_EQ(settings.GetString(key, "absent"), value) << key;
    EXPECT_FALSE(settings.Contains("[Window"));
}

// Only the exact text "false" is false; numbers read the longest leading number of their type. A value
// that is no number of its type keeps the default and is named on stderr, never in a message box.
TEST(SettingsConversions, BooleansNumbersCharactersAndInvalidNumbers) {
    static int shown = 0;
    const ErrorMessageSink previous = SetErrorMessageSink([](const char*) { ++shown; });
    const Settings settings = Parse(
        "a=false\nb=False\nc=0\nd=\nf = false \npx=1280px\nhalf=1.5\nsci=2e3\nhex=0x20\nneg=-7\n"
        "x=1.0000000596046447753906250000000001\nk=   x\nt=\tq\nword=abc\nbig=99999999999\nhuge=1e60\n");
    EXPECT_FALSE(settings.GetBool("a") || settings.GetBool("f"));
    EXPECT_TRUE(settings.GetBool("b") && settings.GetBool("c") && settings.GetBool("d") && settings.GetBool("absent"));
    testing::internal::CaptureStderr();
    const std::pair<int32_t, int32_t> ints[] = {{settings.GetInt("half", 0), 1},   {settings.GetInt("hex", 5), 0},
                                                {settings.GetInt("neg", 0), -7},   {settings.GetInt("absent", 9), 9},
                                                {settings.GetInt("word", 3), 3},   {settings.GetInt("big", 4), 4}};
    for (const auto& [read, expected] : ints) EXPECT_EQ(read, expected);
    EXPECT_TRUE(settings.GetUnsigned("px", 0) == 1280u && settings.GetUnsigned("neg", 5u) == 5u);
    EXPECT_TRUE(settings.GetFloat("sci", 0.0f) == 2000.0f && settings.GetFloat("huge", 6.0f) == 6.0f);
    const std::string messages = testing::internal::GetCapturedStderr();
    SetErrorMessageSink(previous);
    EXPECT_TRUE(messages.find("word=abc") != std::string::npos && messages.find("neg=-7") != std::string::npos);
    EXPECT_EQ(shown, 0);
    // Just above the midpoint of 1 and the next float: read through a double
    // it would land on the midpoint first and then round down to 1.
    EXPECT_EQ(settings.GetFloat("x", 0.0f), std::nextafter(1.0f, 2.0f));
    EXPECT_TRUE(settings.GetChar("k") == 'x' && settings.GetChar("t") == 'q');
    EXPECT_TRUE(settings.GetChar("d") == 0 && settings.GetChar("absent") == 0);
}

TEST(TypedSettingsLoading, DefaultsValuesAndEmptySeed) {
    const TypedSettings defaults = Typed("fullscreen=false\n");
    EXPECT_TRUE(!defaults.fullscreen && defaults.VSync && defaults.infiniteTerrain && defaults.instantStart &&
                !defaults.renderFaces && defaults.windowWidth == 1280u && defaults.windowHeight == 720u);
    EXPECT_TRUE(defaults.mapSeed == "voxmere" && defaults.cubeShaderName == "bin\\shader\\Cube");
    EXPECT_TRUE(defaults.chunkWidth == 32 && defaults.chunkHeight == 128 && defaults.terrainWidth == 512u);
    EXPECT_TRUE(defaults.loadSpeed == 32000 && defaults.updateSpeed == 64000 && defaults.mapGenerationMethod == 1 &&
                defaults.GUIUpdate == 256.0f);
    const TypedSettings typed =
        Typed("VSync = false\nmapSeed=\nwindowHeight=600\nscreenNear=0.5\nterrainWidth=256\nrenderFaces=1\n");
    EXPECT_TRUE(!typed.VSync && typed.renderFaces && typed.mapSeed.empty() && typed.screenNear == 0.5f);
    EXPECT_TRUE(typed.windowHeight == 600u && typed.terrainWidth == 256u);
}

// Each setting that leaves nothing to see is named once on stderr.
TEST(TypedSettingsLoading, SettingsThatLeaveNothingToSeeAreNamedOnceEach) {
    const std::pair<const char*, const char*> cases[] = {
        {"fieldOfView=179.9\nscreenNear=0.001\nvoxelSize=0.01\nfontSize=1", ""}, {"fieldOfView=0", "fieldOfView=0 "},
        {"fieldOfView=180", "fieldOfView=180 "}, {"screenNear=1024", "screenNear=1024 "},
        {"screenNear=-1\nscreenDepth=-2", "screenNear=-1 \nscreenNear=-1 "}, {"voxelSize=0", "voxelSize=0 "},
        {"fontSize=0", "fontSize=0 "}};
    for (const auto& [text, named] : cases) {
        testing::internal::CaptureStderr();
        WarnAboutEmptyView(Typed(text));
        std::istringstream lines(testing::internal::GetCapturedStderr()), expected(named);
        for (std::string line, name; std::getline(expected, name);) {
            EXPECT_TRUE(std::getline(lines, line) && line.find(name) != std::string::npos) << text;
        }
        EXPECT_TRUE(lines.peek() == EOF) << text;
    }
}

TEST(SettingsFile, ReadsAFileFromDiskAndAMissingOneLeavesTheDefaults) {
    Settings settings;
    EXPECT_FALSE(settings.LoadFile("no-such-directory/config.ini"));
    const std::string path = testing::TempDir() + "voxmere-settings-test-" + std::to_string(getpid()) + ".ini";
    std::ofstream(path, std::ios::binary) << "windowWidth=640\r\nwindowHeight=360";
    ASSERT_TRUE(settings.LoadFile(path));
    EXPECT_TRUE(settings.GetUnsigned("windowWidth", 0) == 640u && settings.GetUnsigned("windowHeight", 0) == 360u);
    std::remove(path.c_str());
    EXPECT_EQ(NativePath("bin\\shader\\Cube"), "bin/shader/Cube");
}

// An override replaces the file's value and its typed setting, a later one of
// the same key wins, and a bad number is named as coming from --set.
TEST(SettingsOverride, ReplacesTheFileValueAndTheLatestWins) {
    Settings settings = Parse("windowWidth=800\nmapSeed=first\nmoveForward=W\nrenderFaces=true\n");
    TypedSettings typed;
    settings.LoadTypedSettings(typed);
    settings.Override("windowWidth", "640", typed);
    settings.Override("mapSeed", "second", typed);
    settings.Override("mapSeed", "third", typed);
    settings.Override("moveForward", "Z", typed);
    settings.Override("renderFaces", "false", typed);
    settings.Override("wholeSeed", "1", typed);
    EXPECT_TRUE(typed.windowWidth == 640u && typed.mapSeed == "third" && !typed.renderFaces && typed.wholeSeed);
    EXPECT_EQ(settings.GetChar("moveForward"), 'Z');
    EXPECT_EQ(typed.windowHeight, 720u);
    testing::internal::CaptureStderr();
    settings.Override("screenDepth", "far", typed);
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("--set: screenDepth=far is not a valid number"), std::string::npos) << message;
    EXPECT_EQ(typed.screenDepth, 1024.0f);
    testing::internal::CaptureStderr();
    settings.Override("windowHeight", "tall", typed);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("--set: windowHeight"), std::string::npos);
}

// Every key of the shipped settings file is one the program reads, and a key
// read by no one is not.
TEST(SettingsOverride, EveryShippedKeyIsKnownAndOthersAreNot) {
    std::ifstream shipped(VOXMERE_SOURCE_DIR "/config.ini");
    ASSERT_TRUE(shipped);
    Settings settings;
    settings.Load(shipped);
    std::ifstream again(VOXMERE_SOURCE_DIR "/config.ini");
    int keys = 0;
    for (std::string line, key, value; std::getline(again, line);) {
        if (line.empty() || line[0] == '#' || line[0] == '[' || !SplitSetting(line, key, value)) continue;
        EXPECT_TRUE(IsKnownSetting(key)) << key;
        ++keys;
    }
    EXPECT_GE(keys, 40);
    for (const char* unknown : {"bogus", "windowwidth", "mapSeed ", ""}) EXPECT_FALSE(IsKnownSetting(unknown)) << unknown;
}
