// The replay's command line and script handling as a user meets them:
// --every, --screenshot, standard input, comments, escape, and refusals.
#include "replay_run.h"

#include "unit/game_fixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::vector<std::int64_t> Frames(const std::vector<StateLine>& states) {
    std::vector<std::int64_t> frames;
    for (const StateLine& state : states) {
        frames.push_back(Field(state, "frame"));
    }
    return frames;
}

// --every N prints the multiples of N and always the last frame run, once;
// each printed line is the state of its own frame (enemy 1's x is 500 plus
// the frame number this early in a game).
TEST_F(ReplayTest, EveryPrintsMultiplesAndTheLastFrame) {
    struct Case {
        const char* every;
        const char* script;
        std::vector<std::int64_t> frames;
    };
    const Case cases[] = {
        {"1", "4\n", {1, 2, 3, 4}},
        {"3", "10\n", {3, 6, 9, 10}},
        {"5", "10\n", {5, 10}},
        {"20", "10\n", {10}},
        {"2", "3 right\n4\n", {2, 4, 6, 7}},
        {"3", "3\n2 escape\n5\n", {3, 4}},
        {"4", "3\n2 escape\n5\n", {4}},
    };
    for (const Case& c : cases) {
        const std::vector<StateLine> states = States(c.script, {"--every", c.every});
        EXPECT_EQ(Frames(states), c.frames) << "--every " << c.every << " on " << c.script;
        for (const StateLine& state : states) {
            EXPECT_EQ(Field(state, "enemy1.x"), 500 + Field(state, "frame"));
        }
    }
}

// Escape is seen by the drain of the first frame of its instruction: that
// frame completes, with that instruction's keys held, and nothing runs after.
TEST_F(ReplayTest, EscapeEndsTheRunAfterItsFrame) {
    struct Case {
        const char* script;
        std::int64_t frames;
        std::int64_t player1X; // in the last frame
    };
    const Case cases[] = {
        {"3\n2 escape\n5\n", 4, 0},
        {"1 escape right\n9 right\n", 1, 1},
        {"2 right\n1 right escape\n", 3, 3},
        {"2 right escape\n", 1, 1},
    };
    for (const Case& c : cases) {
        const std::vector<StateLine> states = States(c.script);
        ASSERT_EQ(static_cast<std::int64_t>(states.size()), c.frames) << c.script;
        EXPECT_EQ(Frames(states).back(), c.frames) << c.script;
        EXPECT_EQ(Field(states.back(), "player1.x"), c.player1X) << c.script;
    }
}

TEST_F(ReplayTest, DashReadsTheScriptFromStandardInput) {
    const ReplayResult result = Run({"-"}, "2 right\n# done\n");
    EXPECT_EQ(result.status, 0) << result.err;
    const std::vector<std::string> lines = SplitLines(result.out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Field(ParseStateLine(lines[0]), "player1.x"), 1);
    EXPECT_EQ(Field(ParseStateLine(lines[1]), "player1.x"), 2);
}

TEST_F(ReplayTest, CommentsAndBlankLinesRunNoFrames) {
    const std::vector<StateLine> states =
        States("# walk right, then back\n\n  2 right  # two steps\n\t\n1 left#one back\r\n");
    ASSERT_EQ(states.size(), 3u);
    EXPECT_EQ(Field(states[0], "player1.x"), 1);
    EXPECT_EQ(Field(states[1], "player1.x"), 2);
    EXPECT_EQ(Field(states[2], "player1.x"), 1);
}

TEST_F(ReplayTest, AScriptWithoutInstructionsRunsNothing) {
    for (const char* script : {"", "# nothing to do\n\n"}) {
        const ReplayResult result = RunScript(script);
        EXPECT_EQ(result.status, 0) << script << ": " << result.err;
        EXPECT_EQ(result.out, "") << script;
    }
}

// A malformed script is refused before any frame runs: no output, no
// screenshot, one line on standard error with the line number, status 2.
TEST_F(ReplayTest, MalformedScriptsAreRefusedWithTheirLineNumber) {
    struct Case {
        const char* script;
        const char* message;
    };
    const Case cases[] = {
        {"3\n2 up\n1 jump\n", "flagrun-replay: line 3: unknown key 'jump'\n"},
        {"5 right\nup\n", "flagrun-replay: line 2: missing count before 'up'\n"},
        {"# zero\n0 up\n", "flagrun-replay: line 2: count must be positive, got '0'\n"},
        {"-4\n", "flagrun-replay: line 1: count must be positive, got '-4'\n"},
        {"1\n\n2147483648 d\n",
         "flagrun-replay: line 3: count '2147483648' does not fit in 32 bits\n"},
        {"12abc\n", "flagrun-replay: line 1: bad count '12abc'\n"},
        {"1\n1 escape\n1 Space\n", "flagrun-replay: line 3: unknown key 'Space'\n"},
    };
    for (const Case& c : cases) {
        const std::string shot = Scratch("refused.bmp");
        const ReplayResult result = RunScript(c.script, {"--screenshot", "1:" + shot});
        EXPECT_EQ(result.status, 2) << c.script;
        EXPECT_EQ(result.out, "") << c.script;
        EXPECT_EQ(result.err, c.message) << c.script;
        EXPECT_FALSE(std::filesystem::exists(shot)) << c.script;
    }
    // the same refusal for a script on standard input
    const ReplayResult piped = Run({"-"}, "2\n2 fly\n");
    EXPECT_EQ(piped.status, 2);
    EXPECT_EQ(piped.out, "");
    EXPECT_EQ(piped.err, "flagrun-replay: line 2: unknown key 'fly'\n");
}

// Bad usage: one line on standard error naming the problem, status 2.
TEST_F(ReplayTest, BadUsageIsRefused) {
    const std::string script = WriteScript("1\n");
    struct Case {
        std::vector<std::string> args;
        const char* problem;
    };
    const Case cases[] = {
        {{}, "no SCRIPT given"},
        {{"--every", "2"}, "no SCRIPT given"},
        {{"--bogus", script}, "unknown option '--bogus'"},
        {{"-x", script}, "unknown option '-x'"},
        {{"--every", "0", script}, "--every needs a positive integer, got '0'"},
        {{"--every", "-3", script}, "--every needs a positive integer, got '-3'"},
        {{"--every", "2x", script}, "--every needs a positive integer, got '2x'"},
        {{script, "--every"}, "--every needs a value"},
        {{"--screenshot", "5", script}, "--screenshot needs FRAME:FILE"},
        {{"--screenshot", ":a.bmp", script}, "--screenshot needs FRAME:FILE"},
        {{"--screenshot", "0:a.bmp", script}, "--screenshot needs FRAME:FILE"},
        {{"--screenshot", "5:", script}, "--screenshot needs FRAME:FILE"},
        {{"--screenshot", "x:a.bmp", script}, "--screenshot needs FRAME:FILE"},
        {{script, "--screenshot"}, "--screenshot needs a value"},
        {{script, script}, "more than one SCRIPT"},
        {{Scratch("missing.txt")}, "cannot read script"},
        {{scratch}, "cannot read script"},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& arg : c.args) {
            shown += " " + arg;
        }
        const ReplayResult result = Run(c.args);
        EXPECT_EQ(result.status, 2) << shown;
        EXPECT_EQ(result.out, "") << shown;
        EXPECT_EQ(result.err.rfind("flagrun-replay: ", 0), 0u) << shown << ": " << result.err;
        EXPECT_NE(result.err.find(c.problem), std::string::npos) << shown << ": " << result.err;
        ASSERT_FALSE(result.err.empty());
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << shown << ": " << result.err;
    }
}

TEST_F(ReplayTest, HelpPrintsTheUsageAndRunsNothing) {
    const ReplayResult result = Run({"--help"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out.rfind("usage: flagrun-replay [--every N] [--screenshot FRAME:FILE.bmp]... "
                               "SCRIPT",
                               0),
              0u)
        << result.out;
    EXPECT_EQ(SplitLines(result.out).size(), 1u);
}

// Screenshots are what the display shows after that frame's flip: the same
// frames run in this process on the real display surface of SDL's dummy
// driver give the same pixels.
class ReplayScreenshotTest : public GameTest {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        scratch = MakeScratchDirectory();
        GameTest::SetUp();
    }
    void TearDown() override {
        GameTest::TearDown();
        RemoveScratchDirectory(scratch);
    }
    std::string scratch;
};

std::uint32_t Pixel(const SDL_Surface* surface, int x, int y) {
    const auto* row = static_cast<const std::uint8_t*>(surface->pixels) + y * surface->pitch;
    return reinterpret_cast<const std::uint32_t*>(row)[x];
}

// The pixels of the BMP at `path` that differ in colour from the display's.
std::int64_t PixelsDifferingFromScreen(const std::string& path) {
    SDL_Surface* loaded = SDL_LoadBMP(path.c_str());
    if (loaded == nullptr) {
        ADD_FAILURE() << "cannot load " << path << ": " << SDL_GetError();
        return -1;
    }
    EXPECT_EQ(loaded->w, 640);
    EXPECT_EQ(loaded->h, 530);
    SDL_Surface* shot = SDL_ConvertSurface(loaded, screen->format, SDL_SWSURFACE);
    SDL_FreeSurface(loaded);
    const std::uint32_t rgb = screen->format->Rmask | screen->format->Gmask | screen->format->Bmask;
    std::int64_t differing = 0;
    for (int y = 0; y < screen->h && y < shot->h; ++y) {
        for (int x = 0; x < screen->w && x < shot->w; ++x) {
            differing += (Pixel(shot, x, y) & rgb) != (Pixel(screen, x, y) & rgb);
        }
    }
    SDL_FreeSurface(shot);
    return differing;
}

TEST_F(ReplayScreenshotTest, ScreenshotsMatchTheDisplayAfterThoseFrames) {
    const std::string early = scratch + "/frame1.bmp";
    const std::string late = scratch + "/frame40.bmp";
    const std::string script = WriteScratchFile(scratch, "script.txt", "20 right down\n30 space\n");
    // given out of frame order, and the run goes on past them
    const ReplayResult result = RunReplay(scratch, {"--every", "1000", "--screenshot", "40:" + late,
                                                    "--screenshot", "1:" + early, script});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(SplitLines(result.out).size(), 1u);

    RunFrames(1, Keys({SDLK_RIGHT, SDLK_DOWN}));
    EXPECT_EQ(PixelsDifferingFromScreen(early), 0);
    RunFrames(19, Keys({SDLK_RIGHT, SDLK_DOWN}));
    RunFrames(20, Keys({SDLK_SPACE}));
    EXPECT_EQ(PixelsDifferingFromScreen(late), 0);
    // the two shots are of different moments
    EXPECT_GT(PixelsDifferingFromScreen(early), 0);
}

TEST_F(ReplayTest, ScreenshotsOfFramesNotRunAreReportedNotSaved) {
    const std::string shot = Scratch("never.bmp");
    const ReplayResult result = RunScript("3\n", {"--screenshot", "4:" + shot});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(SplitLines(result.out).size(), 3u);
    EXPECT_EQ(result.err, "flagrun-replay: frame 4 was not reached; '" + shot + "' not saved\n");
    EXPECT_FALSE(std::filesystem::exists(shot));
}

TEST_F(ReplayTest, AScreenshotThatCannotBeSavedFailsTheRun) {
    const std::string shot = Scratch("no-such-directory/shot.bmp");
    const ReplayResult result = RunScript("2\n", {"--screenshot", "1:" + shot});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(SplitLines(result.out).size(), 2u);
    EXPECT_EQ(result.err.rfind("flagrun-replay: cannot save screenshot '" + shot + "'", 0), 0u)
        << result.err;
}

} // namespace
