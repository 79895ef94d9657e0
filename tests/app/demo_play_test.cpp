// Demo playback: the frames a demo runs, the final-state comment, and the
// sync check that names the first field that differs.
#include "demo/demo_play.h"
#include "demo/state_json.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The state line flagrun-replay prints for this frame and state.
std::string StateLine(std::int64_t frame, const GameState& state) {
    char json[kMaxStateJsonLength];
    const char* end = FormatStateJson(json, frame, state);
    return std::string(json, static_cast<std::size_t>(end - json) - 1);
}

FinalState Final(std::int64_t frame, const GameState& state) {
    return {.present = true, .line = StateLine(frame, state)};
}

TEST(DemoSync, TheFirstFieldThatDiffersIsNamed) {
    GameState recorded;
    recorded.player1.x = 40;
    recorded.player1.laser.x = 43;
    recorded.enemy2.wreckY = 700;
    struct Case {
        const char* name = "";
        std::int64_t frame = 0;
        GameState state = {};
        bool inSync = false;
        std::string message = "";
    };
    GameState laserAhead = recorded;
    laserAhead.player1.laser.x = 46;
    GameState laterFields = recorded;
    laterFields.enemy2.wreckY = 310;
    laterFields.restartCountdown = 99;
    GameState lastField = recorded;
    lastField.restartCountdown = 0;
    const Case cases[] = {
        {.name = "the same frame and state", .frame = 600, .state = recorded, .inSync = true},
        {.name = "one frame more",
         .frame = 601,
         .state = recorded,
         .inSync = false,
         .message = "demo out of sync: expected frame=600 got frame=601"},
        {.name = "a nested field",
         .frame = 600,
         .state = laserAhead,
         .inSync = false,
         .message = "demo out of sync: expected player1.laser.x=43 got player1.laser.x=46"},
        {.name = "only the first of two differences",
         .frame = 600,
         .state = laterFields,
         .inSync = false,
         .message = "demo out of sync: expected enemy2.wreckY=700 got enemy2.wreckY=310"},
        {.name = "the last field",
         .frame = 600,
         .state = lastField,
         .inSync = false,
         .message = "demo out of sync: expected restartCountdown=100 got restartCountdown=0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string message;
        EXPECT_EQ(MatchesFinalState(Final(600, recorded), c.frame, c.state, &message), c.inSync);
        EXPECT_EQ(message, c.message);
    }
}

// A state line missing its last field still compares: the gap is named.
TEST(DemoSync, AShortenedStateLineIsOutOfSyncAtItsEnd) {
    std::string line = StateLine(3, GameState{});
    line = line.substr(0, line.rfind(',')) + "}";
    std::string message;
    EXPECT_FALSE(MatchesFinalState({.present = true, .line = line}, 3, GameState{}, &message));
    EXPECT_EQ(message, "demo out of sync: expected nothing got restartCountdown=100");
}

TEST(DemoSync, TheLastFinalStateCommentCounts) {
    const std::string first = StateLine(2, GameState{});
    GameState later;
    later.player2.exp = 77;
    const std::string second = StateLine(3, later);
    struct Case {
        const char* name = "";
        std::string text = "";
        bool present = false;
        std::string line = "";
    };
    const Case cases[] = {
        {.name = "a plain script has none", .text = "3 right\n# a comment\n", .present = false},
        {.name = "the usual last line",
         .text = "# demo\n3 right\n# final state: " + first + "\n",
         .present = true,
         .line = first},
        {.name = "the later of two, without a final newline, with a carriage return",
         .text = "# final state: " + first + "\n3\n# final state: " + second + "\r",
         .present = true,
         .line = second},
        {.name = "other comments mentioning it do not count",
         .text = "2\n#final state: x\n # final state: y\n",
         .present = false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FinalState found;
        ScriptError error;
        EXPECT_TRUE(FindFinalState(c.text, &found, &error)) << error.problem;
        EXPECT_EQ(found.present, c.present);
        EXPECT_EQ(found.line, c.line);
    }
}

// {"a":{"a":...: deep enough to overflow the stack if the nesting were unbounded.
std::string Nested(int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) {
        text += "{\"a\":";
    }
    return text + "1";
}

TEST(DemoSync, AFinalStateThatIsNotAStateLineIsRefusedWithItsLine) {
    const std::string good = StateLine(1, GameState{});
    const std::string lines[] = {
        "",
        "frame 600",
        "{\"frame\":600",
        "{\"frame\":6x0}",
        "{\"frame\":600}}",
        "{\"player1\":{\"x\":1}",
        "{\"player1\":{\"laser\":{\"at\":{\"x\":1}}}}",
        "{\"frame\":-}",
        "{\"frame\":600,}",
        "{\"fr ame\":600}",
        "{\"\x1b[2J\":600}",
        "{\"\":600}",
        "{\"" + std::string(17, 'x') + "\":600}",
        good + " and more",
        Nested(200000),
    };
    for (const std::string& line : lines) {
        SCOPED_TRACE(line.substr(0, 60));
        FinalState found;
        ScriptError error;
        EXPECT_FALSE(FindFinalState("1 up\n\n# final state: " + line + "\n", &found, &error));
        EXPECT_EQ(error.line, 3);
        EXPECT_EQ(error.problem, "the final state is not a state line");
    }
}

std::vector<Instruction> Script(const std::string& text) {
    std::vector<Instruction> script;
    ScriptError error;
    EXPECT_TRUE(ParseScript(text, &script, &error)) << error.problem;
    return script;
}

TEST(DemoPlayback, AScriptRunsEveryCountUpToAnEscape) {
    struct Case {
        const char* name = "";
        std::string text = "";
        std::int64_t frames = 0;
    };
    const Case cases[] = {
        {.name = "empty", .text = "# nothing\n", .frames = 0},
        {.name = "every count", .text = "3 right\n4\n5 up space\n", .frames = 12},
        {.name = "escape ends after its line's first frame",
         .text = "3 right\n4 escape\n5\n",
         .frames = 4},
        {.name = "escape on the first line", .text = "9 escape up\n", .frames = 1},
        {.name = "counts beyond 32 bits in total",
         .text = "2147483647\n2147483647\n2\n",
         .frames = 4294967296},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ScriptFrames(Script(c.text)), c.frames);
    }
}

TEST(DemoPlayback, EachFrameGetsItsLinesKeysUntilTheDemoEnds) {
    Demo demo;
    demo.script = Script("2 right s\n1\n1 space escape\n5 up\n");
    demo.frames = ScriptFrames(demo.script);
    const FrameInput rightAndS = {.player1 = {.right = true}, .player2 = {.down = true}};
    const std::vector<FrameInput> expected = {
        rightAndS,
        rightAndS,
        FrameInput{},
        {.player1 = {.laser = true}},
    };
    DemoPlayback playback;
    std::vector<FrameInput> played;
    FrameInput input;
    while (NextDemoFrame(demo, &playback, &input)) {
        played.push_back(input);
    }
    EXPECT_TRUE(played == expected);
    EXPECT_EQ(playback.frame, 4);
    EXPECT_FALSE(NextDemoFrame(demo, &playback, &input));
}

class DemoLoadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "flagrun-play-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string Write(const std::string& text) {
        std::ofstream(dir + "/game.demo", std::ios::binary) << text;
        return dir + "/game.demo";
    }

    std::string dir;
};

TEST_F(DemoLoadTest, ADemoLoadsWithItsFramesAndFinalState) {
    const std::string final = StateLine(5, GameState{});
    Demo demo;
    std::string error;
    ASSERT_TRUE(LoadDemo(Write("# demo\n2 up\n3 d\n# final state: " + final + "\n"), &demo, &error))
        << error;
    EXPECT_EQ(demo.script.size(), 2u);
    EXPECT_EQ(demo.frames, 5);
    EXPECT_TRUE(demo.finalState.present);
    EXPECT_EQ(demo.finalState.line, final);
}

TEST_F(DemoLoadTest, AMissingOrMalformedDemoIsRefusedWithTheReason) {
    struct Case {
        const char* name = "";
        std::string text = "";
        std::string error = "";
    };
    const Case cases[] = {
        {.name = "a bad key",
         .text = "2 up\n3 jump\n",
         .error = "demo '" + dir + "/game.demo', line 2: unknown key 'jump'"},
        {.name = "a bad final state",
         .text = "2 up\n# final state: 42\n",
         .error = "demo '" + dir + "/game.demo', line 2: the final state is not a state line"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Demo demo;
        std::string error;
        EXPECT_FALSE(LoadDemo(Write(c.text), &demo, &error));
        EXPECT_EQ(error, c.error);
    }
    Demo demo;
    std::string error;
    EXPECT_FALSE(LoadDemo(dir + "/none.demo", &demo, &error));
    EXPECT_EQ(error, "cannot read the demo '" + dir + "/none.demo': No such file or directory");
}

} // namespace
