// The demo writer: run-length encoded lines, the header, the final-state
// line and the temporary name the file is written under.
#include "demo/demo_record.h"
#include "demo/state_json.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// 2001-02-03 04:05:06 UTC.
constexpr std::time_t kWhen = 981173106;

class DemoRecordTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "flagrun-demo-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Path(const std::string& name) const { return dir + "/" + name; }

    // Every file in the scratch directory.
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string dir;
};

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The frames a test records: `count` frames of one input record.
struct Frames {
    int count = 0;
    FrameInput input = {};
};

// The script lines between the header's three comments and the final state.
std::vector<std::string> Body(const std::string& text) {
    std::vector<std::string> lines = Lines(text);
    if (lines.size() < 4) {
        ADD_FAILURE() << "no header and final state in:\n" << text;
        return {};
    }
    return {lines.begin() + 3, lines.end() - 1};
}

const FrameInput kNothing;
const FrameInput kRight = {.player1 = {.right = true}};
const FrameInput kRightAndD = {.player1 = {.right = true}, .player2 = {.right = true}};
const FrameInput kEveryAction = {
    .player1 =
        {.up = true, .down = true, .left = true, .right = true, .laser = true, .grenade = true},
    .player2 =
        {.up = true, .down = true, .left = true, .right = true, .laser = true, .grenade = true},
};

TEST_F(DemoRecordTest, EqualFramesShareALineAndAChangeStartsOne) {
    struct Case {
        const char* name = "";
        std::vector<Frames> runs = {};
        std::vector<std::string> lines = {};
    };
    const Case cases[] = {
        {.name = "no frames: no lines", .runs = {}, .lines = {}},
        {.name = "one frame of nothing", .runs = {{.count = 1}}, .lines = {"1"}},
        {.name = "a held key is one line",
         .runs = {{.count = 7, .input = kRight}},
         .lines = {"7 right"}},
        {.name = "a release and a press again are three runs",
         .runs = {{.count = 2, .input = kRight},
                  {.count = 3, .input = kNothing},
                  {.count = 4, .input = kRight}},
         .lines = {"2 right", "3", "4 right"}},
        {.name = "records given as separate runs but equal join",
         .runs = {{.count = 2, .input = kRightAndD}, {.count = 5, .input = kRightAndD}},
         .lines = {"7 right d"}},
        {.name = "both players on one line, keys in the bindings' order",
         .runs = {{.count = 1, .input = kEveryAction}},
         .lines = {"1 up down left right w a s d space lctrl lshift ralt"}},
        {.name = "a grenade and a laser of different players",
         .runs = {{.count = 3,
                   .input = {.player1 = {.grenade = true}, .player2 = {.laser = true}}}},
         .lines = {"3 lctrl ralt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DemoRecording demo;
        std::string error;
        ASSERT_TRUE(StartDemo(&demo, Path("game.demo"), kWhen, &error)) << error;
        for (const Frames& run : c.runs) {
            for (int i = 0; i < run.count; ++i) {
                RecordDemoFrame(&demo, run.input);
            }
        }
        ASSERT_TRUE(FinishDemo(&demo, GameState{}, &error)) << error;
        EXPECT_EQ(Body(Read(Path("game.demo"))), c.lines);
    }
}

// A script's count is a signed 32-bit number, so a longer run is split.
TEST_F(DemoRecordTest, ARunTooLongForOneCountGoesOnInTheNextLine) {
    DemoRecording demo;
    std::string error;
    ASSERT_TRUE(StartDemo(&demo, Path("long.demo"), kWhen, &error)) << error;
    RecordDemoFrame(&demo, kRight);
    demo.runLength = 2147483646;
    RecordDemoFrame(&demo, kRight);
    RecordDemoFrame(&demo, kRight);
    ASSERT_TRUE(FinishDemo(&demo, GameState{}, &error)) << error;
    EXPECT_EQ(Body(Read(Path("long.demo"))),
              (std::vector<std::string>{"2147483647 right", "1 right"}));
}

TEST_F(DemoRecordTest, TheHeaderSaysWhatTheFileIsWhichVersionAndWhen) {
    EXPECT_EQ(DemoHeader("4.5.6", kWhen),
              "# flagrun demo, recorded by flagrun 4.5.6 on 2001-02-03 04:05:06 UTC\n"
              "# Each line holds keys for a number of frames: COUNT KEY...\n"
              "# Play it with: flagrun --play FILE (flagrun-replay FILE prints its states)\n");
    DemoRecording demo;
    std::string error;
    ASSERT_TRUE(StartDemo(&demo, Path("game.demo"), kWhen, &error)) << error;
    RecordDemoFrame(&demo, kRight);
    ASSERT_TRUE(FinishDemo(&demo, GameState{}, &error)) << error;
    const std::string text = Read(Path("game.demo"));
    EXPECT_EQ(text.substr(0, text.find("\n1 right\n") + 1), DemoHeader(FLAGRUN_VERSION, kWhen));
}

// The last line is the state line flagrun-replay prints for the last frame.
TEST_F(DemoRecordTest, TheLastLineHoldsTheFinalStateAsTheReplayPrintsIt) {
    GameState state;
    state.player1.x = 12;
    state.player2.y = 34;
    state.enemy2.laser.dx = -3;
    state.restartCountdown = 57;
    DemoRecording demo;
    std::string error;
    ASSERT_TRUE(StartDemo(&demo, Path("game.demo"), kWhen, &error)) << error;
    for (int i = 0; i < 5; ++i) {
        RecordDemoFrame(&demo, i < 2 ? kRight : kNothing);
    }
    ASSERT_TRUE(FinishDemo(&demo, state, &error)) << error;
    char json[kMaxStateJsonLength];
    const char* end = FormatStateJson(json, 5, state);
    const std::string text = Read(Path("game.demo"));
    const std::string expected =
        "# final state: " + std::string(json, static_cast<std::size_t>(end - json));
    ASSERT_GE(text.size(), expected.size());
    EXPECT_EQ(text.substr(text.size() - expected.size()), expected);
    EXPECT_NE(expected.find("{\"frame\":5,\"player1\":{\"x\":12,"), std::string::npos);
    EXPECT_NE(expected.find("\"restartCountdown\":57}\n"), std::string::npos);
}

TEST_F(DemoRecordTest, TheDemoIsWrittenUnderATemporaryNameUntilItIsComplete) {
    EXPECT_EQ(DemoTemporaryPath("records/a b.demo", 4321), "records/a b.demo.partial-4321");
    const std::string temporary = "game.demo.partial-" + std::to_string(getpid());
    DemoRecording demo;
    std::string error;
    ASSERT_TRUE(StartDemo(&demo, Path("game.demo"), kWhen, &error)) << error;
    RecordDemoFrame(&demo, kRight);
    EXPECT_EQ(Files(), std::vector<std::string>{temporary});
    ASSERT_TRUE(FinishDemo(&demo, GameState{}, &error)) << error;
    EXPECT_EQ(Files(), std::vector<std::string>{"game.demo"});
}

TEST_F(DemoRecordTest, AnEarlierDemoIsReplacedOnlyAtTheEnd) {
    std::ofstream(Path("game.demo")) << "an earlier demo\n";
    DemoRecording demo;
    std::string error;
    ASSERT_TRUE(StartDemo(&demo, Path("game.demo"), kWhen, &error)) << error;
    RecordDemoFrame(&demo, kRight);
    EXPECT_EQ(Read(Path("game.demo")), "an earlier demo\n");
    ASSERT_TRUE(FinishDemo(&demo, GameState{}, &error)) << error;
    EXPECT_EQ(Body(Read(Path("game.demo"))), std::vector<std::string>{"1 right"});
}

// Refused before the game starts, with nothing left behind.
TEST_F(DemoRecordTest, ADemoThatCannotBeWrittenIsRefusedUpFront) {
    fs::create_directory(Path("taken"));
    struct Case {
        const char* name = "";
        std::string path = "";
        std::string error = "";
    };
    const Case cases[] = {
        {.name = "no such directory",
         .path = Path("missing/game.demo"),
         .error = "cannot record a demo to '" + Path("missing/game.demo") +
                  "': No such file or directory"},
        {.name = "a directory of that name",
         .path = Path("taken"),
         .error = "cannot record a demo to '" + Path("taken") + "': it is a directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        EXPECT_FALSE(CheckDemoWritable(c.path, &error));
        EXPECT_EQ(error, c.error);
        DemoRecording demo;
        error.clear();
        EXPECT_FALSE(StartDemo(&demo, c.path, kWhen, &error));
        EXPECT_EQ(error, c.error);
    }
    std::string error;
    EXPECT_TRUE(CheckDemoWritable(Path("fine.demo"), &error)) << error;
    EXPECT_EQ(Files(), std::vector<std::string>{"taken"});
}

// The final name became a directory during the game: the rename fails, and
// neither a demo nor the temporary file is left.
TEST_F(DemoRecordTest, ADemoThatCannotBeCompletedLeavesNoFile) {
    DemoRecording demo;
    std::string error;
    ASSERT_TRUE(StartDemo(&demo, Path("game.demo"), kWhen, &error)) << error;
    RecordDemoFrame(&demo, kRight);
    fs::create_directories(Path("game.demo/inside"));
    EXPECT_FALSE(FinishDemo(&demo, GameState{}, &error));
    EXPECT_EQ(error.substr(0, error.find(':')),
              "cannot write the demo '" + Path("game.demo") + "'");
    EXPECT_EQ(Files(), std::vector<std::string>{"game.demo"});
    EXPECT_TRUE(fs::is_directory(Path("game.demo")));
}

} // namespace
