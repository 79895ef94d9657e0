// The replay tool run as a child process in the run directory, headless.
// Expected states follow from the start values and the rules: enemies move
// one pixel per axis per frame, a held movement key moves its player one
// pixel per frame, a resting laser rides with its owner.
#include "unit/game_fixture.h"

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

struct ScratchDir {
    std::string path = std::filesystem::temp_directory_path() / "flagrun-replay-XXXXXX";
    ScratchDir() { EXPECT_NE(mkdtemp(path.data()), nullptr); }
    ~ScratchDir() { std::filesystem::remove_all(path); }
};

std::string Scratch(const std::string& name) {
    static const ScratchDir dir;
    return dir.path + "/" + name;
}

std::string Write(const std::string& name, const std::string& text) {
    std::ofstream(Scratch(name), std::ios::binary) << text;
    return Scratch(name);
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct Result {
    int status = -1;
    std::string out, err;
};

// Suppressed leaks must not be listed on the standard error the tests read.
Result Replay(const std::vector<std::string>& args, const std::string& input = "") {
    auto quote = [](const std::string& text) { return "'" + text + "'"; };
    std::string command = "cd " + quote(FLAGRUN_RUN_DIR) +
                          " && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "
                          "LSAN_OPTIONS=\"$LSAN_OPTIONS:print_suppressions=0\" exec " +
                          quote(FLAGRUN_REPLAY_PATH);
    for (const std::string& arg : args) {
        command += " " + quote(arg);
    }
    command += " <" + quote(Write("stdin.txt", input)) + " 2>" + quote(Scratch("stderr.txt"));
    Result result;
    std::FILE* pipe = popen(command.c_str(), "r");
    char chunk[4096];
    for (std::size_t got; pipe && (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) {
        result.out.append(chunk, got);
    }
    const int status = pipe ? pclose(pipe) : -1;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err = Read(Scratch("stderr.txt"));
    return result;
}

// The lines of a successful replay.
std::vector<std::string> Lines(const Result& result) {
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(result.out.empty() || result.out.back() == '\n');
    std::vector<std::string> lines;
    std::istringstream in(result.out);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> States(const std::string& script, std::vector<std::string> args = {}) {
    args.push_back(Write("script.txt", script));
    return Lines(Replay(args));
}

// The integer at a path like "enemy1.laser.x", each name found after the last.
std::int64_t Field(const std::string& line, const std::string& path) {
    std::istringstream names(path);
    std::size_t at = 0;
    for (std::string name; std::getline(names, name, '.');) {
        at = line.find("\"" + name + "\":", at);
        if (at == std::string::npos) {
            ADD_FAILURE() << "no " << path << " in " << line;
            return INT64_MIN;
        }
        at += name.size() + 3;
    }
    return std::strtoll(line.c_str() + at, nullptr, 10);
}

// After one frame without keys only the enemies and their lasers have
// moved: enemy 1 from 500, 300 to 501, 301, its laser back to 497, 297.
TEST(Replay, FirstFrameIsTheStartStateMovedOnce) {
    const std::vector<std::string> lines = States("1\n");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0],
              "{\"frame\":1,"
              "\"player1\":{\"x\":0,\"y\":0,\"dead\":0,\"corpseX\":700,\"corpseY\":700,"
              "\"carryingFlag\":0,\"laser\":{\"x\":0,\"y\":0,\"dx\":3,\"dy\":3,\"inFlight\":0},"
              "\"grenade\":{\"x\":0,\"y\":0,\"dx\":2,\"dy\":2,\"inFlight\":0},"
              "\"blastX\":700,\"blastY\":700,\"exp\":0,\"bounty\":0},"
              "\"player2\":{\"x\":50,\"y\":50,\"dead\":0,\"corpseX\":700,\"corpseY\":700,"
              "\"carryingFlag\":0,"
              "\"laser\":{\"x\":50,\"y\":50,\"dx\":3,\"dy\":3,\"inFlight\":0},"
              "\"grenade\":{\"x\":50,\"y\":50,\"dx\":2,\"dy\":2,\"inFlight\":0},"
              "\"blastX\":700,\"blastY\":700,\"exp\":0,\"bounty\":0},"
              "\"enemy1\":{\"x\":501,\"y\":301,\"dx\":1,\"dy\":1,"
              "\"laser\":{\"x\":497,\"y\":297,\"dx\":3,\"dy\":3,\"inFlight\":0},"
              "\"wreckX\":700,\"wreckY\":700},"
              "\"enemy2\":{\"x\":601,\"y\":401,\"dx\":1,\"dy\":1,"
              "\"laser\":{\"x\":597,\"y\":397,\"dx\":3,\"dy\":3,\"inFlight\":0},"
              "\"wreckX\":700,\"wreckY\":700},"
              "\"redFlagX\":590,\"redFlagY\":430,\"blueFlagX\":0,\"blueFlagY\":50,"
              "\"homePatchX\":0,\"homePatchY\":0,\"restartCountdown\":100}");
}

// Line i is frame i, with exactly its instruction's keys held, from a file or
// from standard input ("-"). Escape ends the run after its first frame. A
// laser launched in frame 2 from 0, 0 flies 3, 3 a frame.
TEST(Replay, FramesFollowTheScriptUntilEscape) {
    const char* walk = "2\n4 right\n3 down\n2\n";
    const std::vector<std::int64_t> x = {0, 0, 1, 2, 3, 4, 4, 4, 4, 4, 4};
    const std::tuple<const char*, const char*, std::vector<std::int64_t>> cases[] = {
        {walk, "player1.x", x},
        {walk, "player1.y", {0, 0, 0, 0, 0, 0, 1, 2, 3, 3, 3}},
        {walk, "player1.laser.x", x},
        {"# walk\n\n  2 right  # two\n\t\n1 left#back\r\n", "player1.x", {1, 2, 1}},
        {"", "frame", {}},
        {"# nothing to do\n\n", "frame", {}},
        {"1\n3 space\n2\n", "player1.laser.x", {0, 3, 6, 9, 12, 15}},
        {"1\n3 space\n2\n", "player1.laser.inFlight", {0, 1, 1, 1, 1, 1}},
        {"3\n2 escape\n5\n", "player1.x", {0, 0, 0, 0}},
        {"1 escape right\n9 right\n", "player1.x", {1}},
        {"2 right\n1 right escape\n9\n", "player1.x", {1, 2, 3}},
    };
    for (const auto& [script, path, values] : cases) {
        for (const auto& lines : {States(script), Lines(Replay({"-"}, script))}) {
            ASSERT_EQ(lines.size(), values.size()) << script;
            for (std::int64_t i = 0; i < std::ssize(lines); ++i) {
                EXPECT_EQ(Field(lines[i], "frame"), i + 1) << script;
                EXPECT_EQ(Field(lines[i], "enemy1.x"), 501 + i) << script;
                EXPECT_EQ(Field(lines[i], "enemy1.y"), 301 + i) << script;
                EXPECT_EQ(Field(lines[i], path), values[i]) << script << path << i;
            }
        }
    }
}

// Each key name acts on its player: one pixel per frame, or a launch.
TEST(Replay, EachKeyActsOnItsPlayer) {
    const std::pair<const char*, std::vector<std::int64_t>> cases[] = {
        {"1 right s space lshift", {1, 0, 1, 0, 50, 51, 0, 1}},
        {"1 down a ralt lctrl", {0, 1, 0, 1, 49, 50, 1, 0}},
        {"2 right down\n1 left up w", {1, 1, 0, 0, 50, 49, 0, 0}},
        {"2 d\n", {0, 0, 0, 0, 52, 50, 0, 0}},
    };
    for (const auto& [script, values] : cases) {
        const std::vector<std::string> lines = States(script);
        ASSERT_FALSE(lines.empty()) << script;
        auto value = values.begin();
        for (const std::string player : {"player1.", "player2."}) {
            for (const char* field : {"x", "y", "laser.inFlight", "grenade.inFlight"}) {
                EXPECT_EQ(Field(lines.back(), player + field), *value++)
                    << script << player << field;
            }
        }
    }
}

// --every N prints the multiples of N and always the last frame, once.
TEST(Replay, EveryPrintsMultiplesAndTheLastFrame) {
    const std::tuple<const char*, const char*, std::vector<std::int64_t>> cases[] = {
        {"3", "10\n", {3, 6, 9, 10}},
        {"5", "10\n", {5, 10}},
        {"20", "10\n", {10}},
        {"2", "3 right\n4\n", {2, 4, 6, 7}},
        {"3", "3\n2 escape\n5\n", {3, 4}},
    };
    for (const auto& [every, script, expected] : cases) {
        std::vector<std::int64_t> frames;
        for (const std::string& line : States(script, {"--every", every})) {
            frames.push_back(Field(line, "frame"));
            EXPECT_EQ(Field(line, "enemy1.x"), 500 + frames.back());
        }
        EXPECT_EQ(frames, expected) << "--every " << every << " on " << script;
    }
}

// Refused before any frame runs: no output, no screenshot, status 2.
TEST(Replay, MalformedScriptsAreRefusedWithTheirLineNumber) {
    const std::pair<const char*, const char*> cases[] = {
        {"3\n2 up\n1 jump\n", "line 3: unknown key 'jump'"},
        {"1\n1 escape\n1 Space\n", "line 3: unknown key 'Space'"},
        {"5 right\nup\n", "line 2: missing count before 'up'"},
        {"# zero\n0 up\n", "line 2: count must be positive, got '0'"},
        {"-4\n", "line 1: count must be positive, got '-4'"},
        {"1\n\n2147483648 d\n", "line 3: count '2147483648' does not fit in 32 bits"},
        {"99999999999999999999 up", "line 1: count '99999999999999999999' does not fit in 32 bits"},
        {"12abc\n", "line 1: bad count '12abc'"},
        {"1\r\n2\r\n1.5\r\n", "line 3: bad count '1.5'"},
        {"5\n1 fly\n0\n", "line 2: unknown key 'fly'"},
    };
    const std::string shot = Scratch("refused.bmp");
    for (const auto& [script, message] : cases) {
        for (const std::string& source : {Write("bad.txt", script), std::string("-")}) {
            const Result result = Replay({"--screenshot", "1:" + shot, source}, script);
            EXPECT_EQ(result.status, 2) << script;
            EXPECT_EQ(result.out, "") << script;
            EXPECT_EQ(result.err, std::string("flagrun-replay: ") + message + "\n");
            EXPECT_FALSE(std::filesystem::exists(shot)) << script;
        }
    }
}

TEST(Replay, BadUsageIsRefused) {
    const std::string script = Write("script.txt", "1\n");
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{}, "no SCRIPT given"},
        {{"--bogus", script}, "unknown option '--bogus'"},
        {{"--every", "0", script}, "--every needs a positive integer, got '0'"},
        {{script, "--every"}, "--every needs a value"},
        {{"--screenshot", "0:a.bmp", script}, "--screenshot needs FRAME:FILE"},
        {{script, script}, "more than one SCRIPT"},
        {{Scratch("missing.txt")}, "cannot read script"},
    };
    for (const auto& [args, problem] : cases) {
        const Result result = Replay(args);
        EXPECT_EQ(result.status, 2) << problem;
        EXPECT_EQ(result.out, "") << problem;
        EXPECT_EQ(result.err.rfind("flagrun-replay: ", 0), 0u) << result.err;
        EXPECT_NE(result.err.find(problem), std::string::npos) << result.err;
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    }
}

TEST(Replay, ScreenshotsThatCannotBeTakenAreReported) {
    const std::string never = Scratch("never.bmp"), unsaved = Scratch("no-such-dir/shot.bmp");
    Result result = Replay({"--screenshot", "4:" + never, Write("script.txt", "3\n")});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "flagrun-replay: frame 4 was not reached; '" + never + "' not saved\n");
    EXPECT_FALSE(std::filesystem::exists(never));
    result = Replay({"--screenshot", "1:" + unsaved, Scratch("script.txt")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err.rfind("flagrun-replay: cannot save screenshot '" + unsaved + "'", 0), 0u);
}

// A screenshot is what the display shows after that frame: the same frames
// run in this process on the 640x530 display give the same file.
using ReplayScreenshot = GameTest;

TEST_F(ReplayScreenshot, ScreenshotsMatchTheDisplayAfterThoseFrames) {
    const std::string early = Scratch("frame1.bmp"), late = Scratch("frame40.bmp");
    const Result result = Replay({"--every", "1000", "--screenshot", "40:" + late, "--screenshot",
                                  "1:" + early, Write("script.txt", "20 right down\n30 space\n")});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    ASSERT_EQ(screen->w, 640);
    ASSERT_EQ(screen->h, 530);
    RunFrames(1, Keys({SDLK_RIGHT, SDLK_DOWN}));
    ASSERT_EQ(SDL_SaveBMP(screen, Scratch("here1.bmp").c_str()), 0);
    RunFrames(19, Keys({SDLK_RIGHT, SDLK_DOWN}));
    RunFrames(20, Keys({SDLK_SPACE}));
    ASSERT_EQ(SDL_SaveBMP(screen, Scratch("here40.bmp").c_str()), 0);
    EXPECT_TRUE(Read(early) == Read(Scratch("here1.bmp")));
    EXPECT_TRUE(Read(late) == Read(Scratch("here40.bmp")));
    EXPECT_FALSE(Read(early) == Read(late));
}

} // namespace
