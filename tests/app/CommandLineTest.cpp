#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <vector>

#include "app/CommandLine.h"
#include "app/FrameTrace.h"
#include "app/InputReplay.h"
#include "app/Program.h"
#include "platform/Files.h"

namespace {
CommandLineResult ParseArgs(std::vector<const char*> args, RunOptions& options, std::string& error) {
    args.insert(args.begin(), "voxmere");
    return ParseCommandLine(static_cast<int>(args.size()), args.data(), options, error);
}
}  // namespace

TEST(CommandLine, ReadsEveryOption) {
    RunOptions options;
    std::string error;
    ASSERT_EQ(ParseArgs({"--frames", "30", "--fixed-dt", "0.0166667", "--trace", "t.csv", "--screenshot", "s.png",
                         "--input", "walk.txt", "--no-dialogs", "--stats"},
                        options, error),
              CommandLineResult::Run);
    EXPECT_EQ(options.frames, 30);
    EXPECT_FLOAT_EQ(options.fixedDt, 0.0166667f);
    EXPECT_EQ(options.tracePath, "t.csv");
    EXPECT_EQ(options.screenshotPath, "s.png");
    EXPECT_EQ(options.inputPath, "walk.txt");
    EXPECT_TRUE(options.noDialogs);
    EXPECT_TRUE(options.printStats);
}

TEST(CommandLine, DefaultsRunUntilQuitWithMeasuredTime) {
    RunOptions options;
    std::string error;
    ASSERT_EQ(ParseArgs({}, options, error), CommandLineResult::Run);
    EXPECT_EQ(options.frames, -1);
    EXPECT_LT(options.fixedDt, 0.0f);
    EXPECT_FALSE(options.noDialogs);
}

TEST(CommandLine, RejectsBadOptionsAndValues) {
    const std::vector<std::vector<const char*>> bad = {
        {"--bogus"}, {"--frames"}, {"--frames", "ten"}, {"--frames", "-1"}, {"--frames", "0"}, {"--fixed-dt", "0"},
        {"--fixed-dt", "1e-9"},
        {"--fixed-dt", "abc"}, {"--trace", ""}, {"extra"}, {"--frames", "99999999999999999999"},
        {"--record"}, {"--record", ""}, {"--record", "r.txt", "--input", "i.txt"},
    };
    for (const auto& args : bad) {
        RunOptions options;
        std::string error;
        EXPECT_EQ(ParseArgs(args, options, error), CommandLineResult::Invalid) << args[0];
        EXPECT_FALSE(error.empty());
    }
    RunOptions options;
    std::string error;
    EXPECT_EQ(ParseArgs({"--frames", "3", "--help"}, options, error), CommandLineResult::Help);
    EXPECT_EQ(ParseArgs({"--version", "--frames", "3"}, options, error), CommandLineResult::Version);
    EXPECT_EQ(ParseArgs({"--record", "r.txt"}, options, error), CommandLineResult::Run);
    EXPECT_EQ(options.recordPath, "r.txt");
}

TEST(InputReplay, EventsComeOutPerFrameInFileOrder) {
    InputReplay replay;
    std::string error;
    ASSERT_TRUE(replay.Parse("# a walk\n1 keydown 87\n\n1 mouse 10 -5\r\n3 keyup 87\n3 mouse 1 1\n", error)) << error;
    EXPECT_EQ(replay.EventCount(), 4u);

    std::vector<ReplayEvent> seen;
    const auto collect = [&seen](const ReplayEvent& event) { seen.push_back(event); };
    replay.ForEachEventOf(1, collect);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].kind, ReplayEvent::Kind::KeyDown);
    EXPECT_EQ(seen[0].virtualKey, 87);
    EXPECT_EQ(seen[1].kind, ReplayEvent::Kind::Mouse);
    EXPECT_EQ(seen[1].dx, 10);
    EXPECT_EQ(seen[1].dy, -5);
    seen.clear();
    replay.ForEachEventOf(2, collect);
    EXPECT_TRUE(seen.empty());
    replay.ForEachEventOf(3, collect);
    EXPECT_EQ(seen.size(), 2u);
}

TEST(InputReplay, BadLinesNameTheirLineNumber) {
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"1 keydown 87\nwalk forward\n", "2:"},
        {"0 keydown 87\n", "1:"},
        {"1 keydown\n", "1:"},
        {"1 keydown 300\n", "1:"},
        {"1 mouse 5\n", "1:"},
        {"1 mouse 2147483647 0\n", "1:"},
        {"1 mouse 0 -32768\n", "1:"},
        {"99999999999999999999 keyup 87\n", "1:"},
        {"1 keyup 87 extra\n", "1:"},
        {"2 keydown 87\n1 keyup 87\n", "2:"},
    };
    for (const auto& [text, where] : bad) {
        InputReplay replay;
        std::string error;
        EXPECT_FALSE(replay.Parse(text, error)) << text;
        EXPECT_EQ(error.rfind(where, 0), 0u) << error;
    }
    InputReplay replay;
    std::string error;
    EXPECT_TRUE(replay.Parse("1 mouse 32767 -32767\n", error)) << "the widest offsets";
    EXPECT_FALSE(replay.Load("no-such-file.txt", error));
    EXPECT_FALSE(replay.Load(std::filesystem::temp_directory_path().string(), error)) << "a folder";
    EXPECT_NE(error.find("it is a folder"), std::string::npos) << error;
}

TEST(FrameTrace, ReplacesAnOlderTraceOnlyWhenFinished) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("voxmere-trace-test-" + std::to_string(std::rand()) + ".csv");
    const auto contents = [&path] {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    std::ofstream(path) << "old trace\n";
    {
        FrameTrace unfinished;
        ASSERT_TRUE(unfinished.Open(path.string()));
        unfinished.Write(TraceRow{});
        EXPECT_EQ(contents(), "old trace\n") << "untouched while the run goes on";
    }
    EXPECT_EQ(contents(), "old trace\n") << "a run that never finished leaves it";
    EXPECT_FALSE(std::filesystem::exists(PartialPath(path.string())));

    FrameTrace trace;
    ASSERT_TRUE(trace.Open(path.string()));
    TraceRow row;
    row.frame = 1;
    trace.Write(row);
    ASSERT_TRUE(trace.Finish());
    EXPECT_EQ(contents().rfind("frame,dt,", 0), 0u);
    EXPECT_NE(contents().find("\n1,0,"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(PartialPath(path.string())));
    std::filesystem::remove(path);
}

// Refused with exit code 2 before any window opens (the parts have no platform).
TEST(Program, RefusesRecordingsThatCannotBeWrittenOrWouldOverwriteAnotherFile) {
    const std::vector<std::vector<const char*>> refused = {
        {"voxmere", "--record", "no-such-folder/r.txt"},
        {"voxmere", "--record", "config.ini"},
        {"voxmere", "--record", "same.txt", "--trace", "same.txt"},
    };
    for (const auto& args : refused) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(RunProgram(static_cast<int>(args.size()), args.data(), ProgramParts{}), 2) << args[2];
        EXPECT_NE(testing::internal::GetCapturedStderr().find(args[2]), std::string::npos) << "names the file";
    }
}

TEST(Program, LeavesFailingAllocationsToTheirOwnCallers) {
    // Loaders that allocate without throwing report their own failure: no
    // process-wide out-of-memory handler may take it from them.
    const char* const args[] = {"voxmere", "--help"};
    testing::internal::CaptureStdout();
    EXPECT_EQ(RunProgram(2, args, ProgramParts{}), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::set_new_handler(nullptr), nullptr);
}
