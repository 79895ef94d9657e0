// flagrun-replay run headless as a child process. A held movement key moves its player a pixel.
#include "game_fixture.h"
#include "replay_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>

using namespace std::string_literals;

// Each run ends with its status and at most one line on standard error, "flagrun-replay: " and
// `err` (its start if `err` has no newline); status 2 refuses before any frame. Files over 51,200
// bytes fail to write as on a full disk. a.bmp holds "old" and stays so; no other file appears.
struct RunCase {
    const char* args = "-";
    std::string script = "20\n";
    std::string err = "";
    int status = 2;
    const char* trace = nullptr; // the frame and player1.x of each line printed
};

const std::string k40 = std::string(40, 'k');
const std::string n40 = std::string(40, '9');
// 25 frames, 20 of them with Player 1 walking right, then a final state of two fields, CRLF.
const std::string kDemo = "20 right\n5\n# final state: {\"frame\":25,\"player1\":{\"x\":20}}\r\n";

const RunCase kRuns[] = {
    {.script = "#a\n\n 2 right\r\n\t1 left #b", .status = 0, .trace = "1:1 2:2 3:1"},
    {.args = "script", .script = "# none\n", .status = 0, .trace = ""},
    {.args = "--every 4 -", .script = "10 right", .status = 0, .trace = "4:4 8:8 10:10"},
    {.args = "--every 5 script", .script = "10 right", .status = 0, .trace = "5:5 10:10"},
    {.args = "--every 2 -", .script = "2\n3 escape right\n5", .status = 0, .trace = "2:0 3:1"},
    {.script = "1\n1 escape\n1 Space\n", .err = "line 3: unknown key 'Space'\n"},
    {.script = "5 right\nup\n", .err = "line 2: missing count before 'up'\n"},
    {.script = "# zero\n0 up\n", .err = "line 2: count must be positive, got '0'\n"},
    {.script = "1\n\n2147483648 d", .err = "line 3: count '2147483648' does not fit in 32 bits\n"},
    {.script = "1\r\n2\r\n1.5\r\n", .err = "line 3: bad count '1.5'\n"},
    {.script = "1 u\0\x1B[2J\\\xC3\n"s, .err = "line 1: unknown key 'u\\x00\\x1B[2J\\x5C\\xC3'\n"},
    {.script = "1 " + k40, .err = "line 1: unknown key '" + k40 + "'\n"},
    {.script = "1 " + std::string(1 << 20, 'k'), .err = "line 1: unknown key '" + k40 + "'...\n"},
    {.script = n40 + "9", .err = "line 1: count '" + n40 + "'... does not fit in 32 bits\n"},
    {.args = "missing", .err = "cannot read script 'missing': No such file or directory\n"},
    {.args = "", .err = "no SCRIPT given ("},
    {.args = "--bogus -", .err = "unknown option '--bogus' ("},
    {.args = "--every 0 -", .err = "--every needs a positive integer, got '0' ("},
    {.args = "--screenshot 0:a.bmp -", .err = "--screenshot needs FRAME:FILE with a positive"},
    {.args = "- >/dev/full", .err = "cannot write the trace: No space left on device", .status = 1},
    {.script = "200000", .err = "cannot write the trace: File too large\n", .status = 1},
    {.args = "--screenshot 9:a.bmp -", .err = "cannot save screenshot 'a.bmp': File", .status = 1},
    {.args = "--screenshot 3:x/a -", .err = "cannot save screenshot 'x/a': No such", .status = 1},
    {.args = "--screenshot 99:a.bmp -", .err = "frame 99 was not reached; 'a.bmp'", .status = 1},
    {.script = kDemo, .err = "demo out of sync: expected nothing got player1.y=0\n", .status = 3},
};

TEST(Replay, EachRunEndsWithItsStatusMessageAndTrace) {
    for (const RunCase& row : kRuns) {
        SCOPED_TRACE(row.args + " <<< "s + row.script.substr(0, 50));
        const RunDir dir;
        WriteFile(dir / "a.bmp", "old");
        const Outcome run =
            Replay(dir.path, row.script, row.args, "trap '' XFSZ && ulimit -f 100 &&");
        EXPECT_EQ(run.status, row.status);
        EXPECT_EQ(run.err.substr(0, 16 + row.err.size()),
                  row.err.empty() ? "" : "flagrun-replay: " + row.err);
        EXPECT_EQ(run.err.find('\n'), row.err.empty() ? std::string::npos : run.err.size() - 1);
        EXPECT_TRUE(row.status != 2 || run.out.empty());
        EXPECT_EQ(ReadFile(dir / "a.bmp"), "old");
        const std::filesystem::directory_iterator entries(dir.path);
        EXPECT_EQ(std::distance(entries, {}),
                  8); // Graphics Sounds data bluedr.bmp script out err a.bmp
        std::istringstream lines(run.out);
        std::string trace;
        for (std::string line; row.trace != nullptr && std::getline(lines, line);) {
            int frame = 0;
            int x = 0;
            std::sscanf(line.c_str(), "{\"frame\":%d,\"player1\":{\"x\":%d,", &frame, &x);
            trace += (trace.empty() ? "" : " ") + std::to_string(frame) + ":" + std::to_string(x);
        }
        EXPECT_EQ(trace, row.trace == nullptr ? "" : row.trace);
        EXPECT_TRUE(row.trace == nullptr || run.out.empty() || run.out.ends_with("}\n"));
    }
}

// A stop signal ends a run of 2^31 - 1 frames after the frame it arrives in, with status 128 plus
// its number and the trace so far in whole lines: every 1000th frame, then that frame.
TEST(Replay, SigintAndSigtermStopTheRunWithTheTraceSoFar) {
    for (const auto& [signal, name] :
         {std::pair{SIGINT, "SIGINT"}, std::pair{SIGTERM, "SIGTERM"}}) {
        SCOPED_TRACE(name);
        const RunDir dir;
        const Outcome run = Replay(dir.path, "2147483647 right", "--every 1000 -", "", signal);
        const long lines = std::count(run.out.begin(), run.out.end(), '\n');
        const std::size_t lastLine = run.out.rfind("{\"frame\":");
        ASSERT_NE(lastLine, std::string::npos);
        int last = 0;
        std::sscanf(run.out.c_str() + lastLine, "{\"frame\":%d,", &last);
        EXPECT_EQ(run.status, 128 + signal);
        EXPECT_EQ(run.err, "flagrun-replay: stopped by "s + name + " after frame " +
                               std::to_string(last) + "\n");
        EXPECT_TRUE(run.out.starts_with("{\"frame\":1000,") && run.out.ends_with("}\n"));
        EXPECT_TRUE(last > 1000 * (lines - 1) && last <= 1000 * lines) << lines << " " << last;
    }
}

// A screenshot, given in any order, is the display after its frame, as when the frames run in this
// process; with --flip too, where every frame is drawn on the display and flipped.
using ReplayScreenshot = GameTest;

TEST_F(ReplayScreenshot, ScreenshotsAreTheDisplayAfterTheirFrames) {
    const ScratchDir here;
    for (int frame = 1; frame <= 40; ++frame) {
        RunFrame(Keys({SDLK_RIGHT, SDLK_DOWN}));
        if (frame == 1) {
            ASSERT_EQ(SDL_SaveBMP(screen, (here / "1.bmp").c_str()), 0);
        }
    }
    ASSERT_EQ(SDL_SaveBMP(screen, (here / "40.bmp").c_str()), 0);
    EXPECT_FALSE(ReadFile(here / "1.bmp") == ReadFile(here / "40.bmp"));
    for (const std::string flip : {"", "--flip"}) {
        const RunDir dir;
        const Outcome run = Replay(dir.path, "40 right down\n5\n",
                                   flip + " --screenshot 40:40.bmp --screenshot 1:1.bmp -");
        EXPECT_EQ(run.status, 0) << run.err;
        for (const char* shot : {"1.bmp", "40.bmp"}) {
            EXPECT_TRUE(ReadFile(dir / shot) == ReadFile(here / shot)) << flip << shot;
        }
    }
}

// The sound of a run: 735 sample pairs a frame, each frame's sounds from its
// first pair. Player 1's laser, fired in frame 10 from the left edge, is the
// first sound, on the left only.
TEST(Replay, TheSoundOfARunHasEachCueOnItsFramesFirstSample) {
    RunDir dir;
    const Outcome run = Replay(dir.path, "9\n1 space\n40\n", "--every 1000 --wav run.wav -");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string wav = ReadFile(dir.path / "run.wav");
    ASSERT_EQ(wav.size(), 44u + 50 * 735 * 4);
    std::vector<std::int16_t> samples(50 * 735 * 2);
    std::memcpy(samples.data(), wav.data() + 44, wav.size() - 44);
    const auto firstHeard = std::find_if(samples.begin(), samples.end(),
                                         [](std::int16_t sample) { return sample != 0; });
    ASSERT_NE(firstHeard, samples.end());
    const auto at = firstHeard - samples.begin();
    EXPECT_EQ(at / 2 / 735, 9) << "the laser's frame";
    EXPECT_LT(at / 2 % 735, 8) << "within the start's fade";
    EXPECT_EQ(at % 2, 0) << "on the left";
}
