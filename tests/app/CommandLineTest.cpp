#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <vector>

#include "app/CommandLine.h"
#include "ScratchFolder.h"
#include "app/FrameTrace.h"
#include "app/InputRecorder.h"
#include "app/InputReplay.h"
#include "app/OutputFile.h"
#include "app/Program.h"
#include "platform/Files.h"

namespace {
CommandLineResult ParseArgs(std::vector<const char*> args, RunOptions& options, std::string& error) {
    args.insert(args.begin(), "voxmere");
    return ParseCommandLine(static_cast<int>(args.size()), args.data(), options, error);
}
}  // namespace

TEST(CommandLine, ReadsEveryOptionAndRejectsBadOnes) {
    RunOptions options;
    std::string error;
    ASSERT_EQ(ParseArgs({}, options, error), CommandLineResult::Run);
    EXPECT_TRUE(options.frames == -1 && options.fixedDt < 0.0f && !options.noDialogs);
    ASSERT_EQ(ParseArgs({"--frames", "30", "--fixed-dt", "0.0166667", "--trace", "t.csv", "--screenshot", "s.png",
                         "--input", "walk.txt", "--no-dialogs", "--stats"}, options, error), CommandLineResult::Run);
    EXPECT_TRUE(options.frames == 30 && options.fixedDt == 0.0166667f && options.noDialogs && options.printStats);
    EXPECT_TRUE(options.tracePath == "t.csv" && options.screenshotPath == "s.png" && options.inputPath == "walk.txt");
    EXPECT_EQ(ParseArgs({"--frames", "3", "--help"}, options, error), CommandLineResult::Help);
    EXPECT_EQ(ParseArgs({"--version", "--frames", "3"}, options, error), CommandLineResult::Version);
    const std::vector<std::vector<const char*>> bad = {
        {"--bogus"}, {"--frames"}, {"--frames", "ten"}, {"--frames", "0"}, {"--fixed-dt", "0"}, {"--trace", ""},
        {"extra"}, {"--frames", "99999999999999999999"}, {"--record", "r.txt", "--input", "i.txt"}};
    for (const auto& args : bad) {
        error.clear();
        EXPECT_EQ(ParseArgs(args, options, error), CommandLineResult::Invalid) << args[0];
        EXPECT_FALSE(error.empty());
    }
}

// --set keeps every pair in command-line order, split at the first "=" and
// trimmed as a line of the file; no "=" or an empty key is a bad option.
TEST(CommandLine, SetTakesKeyValuePairsInOrder) {
    RunOptions options;
    std::string error;
    ASSERT_EQ(ParseArgs({"--set", "mapSeed=a=b", "--frames", "2", "--set", " fieldOfView = 70 ", "--set", "mapSeed="},
                        options, error),
              CommandLineResult::Run);
    ASSERT_EQ(options.settingOverrides.size(), 3u);
    EXPECT_TRUE(options.settingOverrides[0].key == "mapSeed" && options.settingOverrides[0].value == "a=b");
    EXPECT_TRUE(options.settingOverrides[1].key == "fieldOfView" && options.settingOverrides[1].value == "70");
    EXPECT_TRUE(options.settingOverrides[2].key == "mapSeed" && options.settingOverrides[2].value.empty());
    for (const char* bad : {"windowWidth", "=640", " =640", ""}) {
        RunOptions refused;
        EXPECT_EQ(ParseArgs({"--set", bad}, refused, error), CommandLineResult::Invalid) << bad;
        EXPECT_NE(error.find("--set"), std::string::npos) << error;
    }
    EXPECT_EQ(ParseArgs({"--set"}, options, error), CommandLineResult::Invalid);
}

// Frames count from 1 in rising order; comments and blank lines are skipped.
TEST(InputReplay, EventsComeOutPerFrameAndBadLinesNameTheirLineNumber) {
    InputReplay replay;
    std::string error;
    ASSERT_TRUE(replay.Parse("# a walk\n1 keydown 87\n\n1 mouse 10 -5\r\n3 keyup 87\n3 mouse 32767 -32767\n", error));
    std::vector<ReplayEvent> seen;
    const auto collect = [&seen](const ReplayEvent& event) { seen.push_back(event); };
    replay.ForEachEventOf(1, collect);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(seen[0].kind == ReplayEvent::Kind::KeyDown && seen[0].virtualKey == 87);
    EXPECT_TRUE(seen[1].kind == ReplayEvent::Kind::Mouse && seen[1].dx == 10 && seen[1].dy == -5);
    replay.ForEachEventOf(2, collect);
    replay.ForEachEventOf(3, collect);
    EXPECT_EQ(seen.size(), 4u);
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"1 keydown 87\nwalk forward\n", "2:"}, {"0 keydown 87\n", "1:"},      {"1 keydown 256\n", "1:"},
        {"1 mouse 5\n", "1:"},                  {"1 mouse 0 -32768\n", "1:"}, {"1 keyup 87 extra\n", "1:"},
        {"2 keydown 87\n1 keyup 87\n", "2:"}};
    for (const auto& [text, where] : bad) {
        InputReplay broken;
        EXPECT_FALSE(broken.Parse(text, error)) << text;
        EXPECT_EQ(error.rfind(where, 0), 0u) << error;
    }
    EXPECT_FALSE(replay.Load(std::filesystem::temp_directory_path().string(), error));  // a folder
}

TEST(FrameTrace, ReplacesAnOlderTraceOnlyWhenFinished) {
    const std::string path = testing::TempDir() + "voxmere-trace-test-" + std::to_string(std::rand()) + ".csv";
    const auto contents = [&path] {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    std::ofstream(path) << "old trace\n";
    {
        FrameTrace unfinished;
        ASSERT_TRUE(unfinished.Open(path));
        unfinished.Write(TraceRow{});
    }
    EXPECT_EQ(contents(), "old trace\n");
    FrameTrace trace;
    ASSERT_TRUE(trace.Open(path));
    trace.Write(TraceRow{.frame = 1, .dt = 0.25f, .position = {-1.5f}, .onGround = true});
    ASSERT_TRUE(trace.Finish());
    EXPECT_EQ(contents(), "frame,dt,update_ms,render_ms,x,y,z,vx,vy,vz,on_ground,flying,collision\n"
                          "1,0.25,0.0000,0.0000,-1.5,0,0,0,0,0,1,0,0\n");
    EXPECT_FALSE(std::filesystem::exists(PartialPath(path)));
    std::filesystem::remove(path);
}

// Refused before any window opens (the parts have no platform). Loaders that allocate
// without throwing report their own failure: no process-wide out-of-memory handler may take it.
TEST(Program, RefusesBadOptionsAndFilesWithCodeTwoAndLeavesAllocationFailuresToTheirCallers) {
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"--bogus", ""}, {"--record", "no-such-folder/r.txt"}, {"--record", "config.ini"}, {"--input", "no-such.txt"}};
    for (const auto& [option, file] : refused) {
        const char* const args[] = {"voxmere", option.c_str(), file.c_str()};
        testing::internal::CaptureStderr();
        EXPECT_EQ(RunProgram(file.empty() ? 2 : 3, args, ProgramParts{}), 2) << option << " " << file;
        EXPECT_NE(testing::internal::GetCapturedStderr().find(file.empty() ? option : file), std::string::npos);
    }
    const char* const args[] = {"voxmere", "--help"};
    testing::internal::CaptureStdout();
    EXPECT_EQ(RunProgram(2, args, ProgramParts{}), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::set_new_handler(nullptr), nullptr);
}

// Each line reaches the partial file at once; Finish adds the last frame and moves the record onto its name, which
// --input reads back with the offsets cut to what a window message holds. An unfinished record leaves an older
// file as it was and no partial file behind.
TEST(InputRecorder, WritesReplayableLinesAtOnceAndReplacesAnOlderRecordOnlyWhenFinished) {
    ScratchFolder folder("voxmere-record-test");
    const std::string path = folder.File("input.txt");
    const auto contents = [](const std::string& file) {
        std::ifstream in(file);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    std::ofstream(path) << "old record\n";
    {
        InputRecorder unfinished;
        ASSERT_TRUE(unfinished.Open(path, "# header\n"));
        unfinished.KeyDown(1, 87);
        EXPECT_EQ(contents(PartialPath(path)), "# header\n1 keydown 87\n");
    }
    EXPECT_EQ(contents(path), "old record\n");
    EXPECT_FALSE(std::filesystem::exists(PartialPath(path)));
    InputRecorder recorder;
    EXPECT_FALSE(recorder.Finish(0)) << "not open";
    ASSERT_TRUE(recorder.Open(path, "# made by a test\n"));
    recorder.KeyDown(2, 87);
    recorder.Mouse(3, 40000, -40000);
    recorder.KeyUp(9, 87);
    ASSERT_TRUE(recorder.Finish(12));
    EXPECT_EQ(contents(path), "# made by a test\n2 keydown 87\n3 mouse 32767 -32767\n9 keyup 87\n"
                              "# the run ended after frame 12\n");
    InputReplay replay;
    std::string error;
    ASSERT_TRUE(replay.Load(path, error)) << error;
    std::vector<int32_t> offsets;
    replay.ForEachEventOf(3, [&](const ReplayEvent& event) { offsets = {event.dx, event.dy}; });
    EXPECT_EQ(offsets, (std::vector<int32_t>{32767, -32767}));
    EXPECT_FALSE(std::filesystem::exists(PartialPath(path)));
    std::filesystem::create_directories(folder.File("taken/inside"));  // a record cannot take a folder's name
    InputRecorder blocked;
    ASSERT_TRUE(blocked.Open(folder.File("taken"), ""));
    EXPECT_FALSE(blocked.Finish(1));
}

// A finished file that cannot take its name (a folder stands there) reports the failure, leaves the folder and
// removes the partial file; an output that could not be opened finishes false.
TEST(OutputFile, FailsWhenItsNameCannotBeTakenAndLeavesNothingHalfWritten) {
    ScratchFolder folder("voxmere-output-test");
    const std::string path = folder.File("taken");
    std::filesystem::create_directories(path + "/inside");
    OutputFile file;
    ASSERT_TRUE(file.Open(path));
    std::fputs("rows\n", file.Stream());
    EXPECT_FALSE(file.Finish());
    EXPECT_TRUE(std::filesystem::is_directory(path + "/inside"));
    EXPECT_FALSE(std::filesystem::exists(PartialPath(path)));
    OutputFile nowhere;
    EXPECT_FALSE(nowhere.Open(folder.File("no-such-folder/file.txt")));
    EXPECT_FALSE(nowhere.Finish());
}
