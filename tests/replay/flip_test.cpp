// flagrun-replay --flip draws every frame on the display itself and flips
// it as the game does; its screenshots and states equal the off-screen
// path's.
#include "sdl_fixture.h"

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// A long game: Player 1 dies in frame 293, enemy 2 falls in 388 and enemy
// 1 in 488, Player 2 dies in 1360 and the countdown that follows starts a
// new game in 1460.
constexpr const char* kScript = "200 right down d s\n"
                                "300 right space s lshift\n"
                                "300 down space d lctrl\n"
                                "400 left ralt w lshift\n"
                                "300 up space a lctrl\n";

struct Shot {
    const char* name;
    int frame;
};

const Shot kShots[] = {
    {.name = "the first frame", .frame = 1},
    {.name = "Player 1's death", .frame = 293},
    {.name = "enemy 2's fall", .frame = 388},
    {.name = "the frame after it", .frame = 389},
    {.name = "the countdown's first frame", .frame = 1360},
    {.name = "the countdown halfway", .frame = 1410},
    {.name = "the new game", .frame = 1460},
    {.name = "the frame after it", .frame = 1461},
};

// Runs the replay in the run directory with the screenshots of kShots
// saved as <prefix><frame>.bmp; returns its standard output.
std::string RunReplay(const std::string& script, const std::string& prefix, bool flip) {
    std::string command = "cd " + Quote(FLAGRUN_RUN_DIR) +
                          " && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy exec " +
                          Quote(FLAGRUN_REPLAY_PATH) + " --every 50";
    if (flip) {
        command += " --flip";
    }
    for (const Shot& shot : kShots) {
        command += " --screenshot " + std::to_string(shot.frame) + ":" +
                   Quote(prefix + std::to_string(shot.frame) + ".bmp");
    }
    command += " " + Quote(script) + " >" + Quote(prefix + "out.jsonl");
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
    return ReadFile(prefix + "out.jsonl");
}

} // namespace

TEST(ReplayFlip, ScreenshotsAndStatesEqualTheOffscreenPath) {
    const ScratchDir scratch;
    const std::string directory = scratch.path;
    const std::string script = scratch / "game.txt";
    WriteFile(script, kScript);

    const std::string offscreen = RunReplay(script, directory + "/offscreen-", false);
    const std::string flipped = RunReplay(script, directory + "/flipped-", true);
    EXPECT_EQ(flipped, offscreen);
    EXPECT_NE(offscreen, "");
    std::string previous;
    for (const Shot& shot : kShots) {
        SCOPED_TRACE(shot.name);
        const std::string name = std::to_string(shot.frame) + ".bmp";
        const std::string expected = ReadFile(directory + "/offscreen-" + name);
        const std::string seen = ReadFile(directory + "/flipped-" + name);
        EXPECT_GT(expected.size(), 640u * 530u);
        EXPECT_TRUE(seen == expected) << "frame " << shot.frame;
        EXPECT_FALSE(expected == previous) << "frame " << shot.frame << " shows nothing new";
        previous = expected;
    }
}
