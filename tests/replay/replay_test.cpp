// The replay tool run headless as a child process. Enemies move one pixel per axis
// a frame, and a held movement key moves its player one pixel.
#include "game_fixture.h"

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

std::string Scratch(const std::string& name) {
    static const struct Dir {
        std::string path = std::filesystem::temp_directory_path() / "flagrun-replay-XXXXXX";
        Dir() { EXPECT_NE(mkdtemp(path.data()), nullptr); }
        ~Dir() { std::filesystem::remove_all(path); }
    } dir;
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
    int status;
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
    command += " <" + quote(Write("stdin.txt", input)) + " >" + quote(Scratch("stdout.txt")) +
               " 2>" + quote(Scratch("stderr.txt"));
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read(Scratch("stdout.txt")),
            Read(Scratch("stderr.txt"))};
}

// The lines of a successful replay of `script`, given as a file.
std::vector<std::string> States(const std::string& script, std::vector<std::string> args = {}) {
    args.push_back(Write("script.txt", script));
    const Result result = Replay(args);
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

// The integer at a path like "enemy1.laser.x", each name found after the last.
std::int64_t Field(const std::string& line, const std::string& path) {
    std::istringstream names(path);
    std::size_t at = 0;
    for (std::string name; at != std::string::npos && std::getline(names, name, '.');) {
        at = line.find("\"" + name + "\":", at);
    }
    EXPECT_NE(at, std::string::npos) << "no " << path << " in " << line;
    return at == std::string::npos ? INT64_MIN : std::strtoll(&line[line.find(':', at) + 1], 0, 10);
}

// Enemy 1 moved from 500, 300 to 501, 301, its laser back to 497, 297.
TEST(Replay, FirstFrameIsTheStartStateMovedOnce) {
    const std::string first =
        R"({"frame":1,"player1":{"x":0,"y":0,"dead":0,"corpseX":700,"corpseY":700,)"
        R"("carryingFlag":0,"laser":{"x":0,"y":0,"dx":3,"dy":3,"inFlight":0},"grenade":{"x":0,)"
        R"("y":0,"dx":2,"dy":2,"inFlight":0},"blastX":700,"blastY":700,"exp":0,"bounty":0},)"
        R"("player2":{"x":50,"y":50,"dead":0,"corpseX":700,"corpseY":700,"carryingFlag":0,)"
        R"("laser":{"x":50,"y":50,"dx":3,"dy":3,"inFlight":0},"grenade":{"x":50,"y":50,"dx":2,)"
        R"("dy":2,"inFlight":0},"blastX":700,"blastY":700,"exp":0,"bounty":0},"enemy1":{"x":501,)"
        R"("y":301,"dx":1,"dy":1,"laser":{"x":497,"y":297,"dx":3,"dy":3,"inFlight":0},)"
        R"("wreckX":700,"wreckY":700},"enemy2":{"x":601,"y":401,"dx":1,"dy":1,"laser":{"x":597,)"
        R"("y":397,"dx":3,"dy":3,"inFlight":0},"wreckX":700,"wreckY":700},"redFlagX":590,)"
        R"("redFlagY":430,"blueFlagX":0,"blueFlagY":50,"homePatchX":0,"homePatchY":0,)"
        R"("restartCountdown":100})";
    EXPECT_EQ(States("1\n"), std::vector{first});
}

// Frame i runs on line i's keys; escape ends the run after its first frame; --every N
// prints the multiples of N and the last frame. A launched laser flies 3, 3 a frame.
TEST(Replay, FramesFollowTheScriptUntilEscape) {
    const char* walk = "2\n4 right\n3 down\n2\n";
    const std::tuple<std::vector<std::string>, const char*, const char*, std::vector<std::int64_t>>
        cases[] = {
            {{}, walk, "player1.x", {0, 0, 1, 2, 3, 4, 4, 4, 4, 4, 4}},
            {{}, walk, "player1.y", {0, 0, 0, 0, 0, 0, 1, 2, 3, 3, 3}},
            {{}, "# walk\n\n  2 right  # two\n\t\n1 left#back\r\n", "player1.x", {1, 2, 1}},
            {{}, "# nothing to do\n\n", "frame", {}},
            {{}, "1\n3 space\n2\n", "player1.laser.x", {0, 3, 6, 9, 12, 15}},
            {{}, "3\n2 escape\n5\n", "player1.x", {0, 0, 0, 0}},
            {{}, "1 escape right\n9 right\n", "player1.x", {1}},
            {{"--every", "3"}, "10\n", "frame", {3, 6, 9, 10}},
            {{"--every", "5"}, "10\n", "frame", {5, 10}},
            {{"--every", "20"}, "10\n", "frame", {10}},
            {{"--every", "3"}, "3\n2 escape\n5\n", "frame", {3, 4}},
        };
    for (const auto& [args, script, path, values] : cases) {
        std::vector<std::int64_t> column;
        for (const std::string& line : States(script, args)) {
            const std::int64_t frame = Field(line, "frame");
            EXPECT_EQ(Field(line, "enemy1.x"), 500 + frame) << script;
            column.push_back(Field(line, path));
        }
        EXPECT_EQ(column, values) << script << path << (args.empty() ? "" : args[1]);
    }
    EXPECT_EQ(Replay({"-"}, "3\n2 escape\n5\n").out, Replay({Write("s", "3\n2 escape\n5\n")}).out);
}

// Values: x, y, laser and grenade in flight of player 1, then of player 2.
TEST(Replay, EachKeyActsOnItsPlayer) {
    const std::pair<const char*, std::vector<std::int64_t>> cases[] = {
        {"1 right s space lshift", {1, 0, 1, 0, 50, 51, 0, 1}},
        {"1 down a ralt lctrl", {0, 1, 0, 1, 49, 50, 1, 0}},
        {"2 right down d\n1 left up w", {1, 1, 0, 0, 52, 49, 0, 0}},
    };
    const char* fields[] = {"x", "y", "laser.inFlight", "grenade.inFlight"};
    for (const auto& [script, values] : cases) {
        const std::vector<std::string> lines = States(script);
        ASSERT_FALSE(lines.empty()) << script;
        for (std::size_t i = 0; i < 8; ++i) {
            const std::string path = (i < 4 ? "player1." : "player2.") + std::string(fields[i % 4]);
            EXPECT_EQ(Field(lines.back(), path), values[i]) << script << path;
        }
    }
}

// Refused before any frame runs: status 2, one line on standard error, no output.
TEST(Replay, MalformedScriptsAndBadUsageAreRefused) {
    const std::string script = Write("script.txt", "1\n");
    auto expectRefused = [&](const std::vector<std::string>& args, const std::string& message) {
        const Result result = Replay(args);
        EXPECT_EQ(result.status, 2) << message;
        EXPECT_EQ(result.out, "") << message;
        EXPECT_EQ(result.err.substr(0, 16 + message.size()), "flagrun-replay: " + message);
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    };
    const std::pair<const char*, const char*> scripts[] = {
        {"1\n1 escape\n1 Space\n", "line 3: unknown key 'Space'"},
        {"5 right\nup\n", "line 2: missing count before 'up'"},
        {"# zero\n0 up\n", "line 2: count must be positive, got '0'"},
        {"1\n\n2147483648 d\n", "line 3: count '2147483648' does not fit in 32 bits"},
        {"99999999999999999999 up", "line 1: count '99999999999999999999' does not fit in 32 bits"},
        {"12abc\n", "line 1: bad count '12abc'"},
        {"1\r\n2\r\n1.5\r\n", "line 3: bad count '1.5'"},
        {"5\n1 fly\n0\n", "line 2: unknown key 'fly'"},
    };
    for (const auto& [text, message] : scripts) {
        expectRefused({Write("bad.txt", text)}, message + std::string("\n"));
    }
    const std::pair<std::vector<std::string>, const char*> usages[] = {
        {{}, "no SCRIPT given ("},
        {{"--bogus", script}, "unknown option '--bogus' ("},
        {{"--every", "0", script}, "--every needs a positive integer, got '0' ("},
        {{Scratch("missing.txt")}, "cannot read script"},
    };
    for (const auto& [args, message] : usages) {
        expectRefused(args, message);
    }
}

// A screenshot is the display after that frame, as when the frames run in this process.
using ReplayScreenshot = GameTest;

TEST_F(ReplayScreenshot, ScreenshotsMatchTheDisplayAfterThoseFrames) {
    const std::string early = Scratch("frame1.bmp"), late = Scratch("frame40.bmp");
    States("20 right down\n30 space\n",
           {"--screenshot", "40:" + late, "--screenshot", "1:" + early});
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
