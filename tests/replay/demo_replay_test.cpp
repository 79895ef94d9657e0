// Demos through the replay tool: a game recorded here, frame by frame, and
// replayed by flagrun-replay in sync; an edited copy exits with status 3.
#include "demo/demo_record.h"
#include "game_fixture.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Result {
    int status = 0;
    std::string out = "";
    std::string err = "";
};

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class DemoReplayTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        std::string pattern =
            (std::filesystem::temp_directory_path() / "flagrun-demo-replay-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        std::filesystem::remove_all(dir);
        GameTest::TearDown();
    }

    // flagrun-replay on a file, from the run directory, headless.
    Result Replay(const std::string& path) {
        const std::string command = "cd '" FLAGRUN_RUN_DIR "' && SDL_VIDEODRIVER=dummy "
                                    "SDL_AUDIODRIVER=dummy exec '" FLAGRUN_REPLAY_PATH "' '" +
                                    path + "' >'" + dir + "/out' 2>'" + dir + "/err'";
        const int status = std::system(command.c_str());
        return {.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                .out = Read(dir + "/out"),
                .err = Read(dir + "/err")};
    }

    // Plays frames on the real game code, recording each as the game does.
    void PlayAndRecord(DemoRecording* demo, int count, const FrameInput& input) {
        for (int i = 0; i < count; ++i) {
            RunFrame(input);
            RecordDemoFrame(demo, input);
        }
    }

    std::string Edited(const std::string& text, const std::string& from, const std::string& to) {
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        std::string edited = text;
        edited.replace(at, from.size(), to);
        std::ofstream(dir + "/edited.demo", std::ios::binary) << edited;
        return dir + "/edited.demo";
    }

    std::string dir;
};

// Player 1 walks down and right and fires, Player 2 throws; the lines say
// which frames. Changing one count, or one key, puts the replay out of sync.
TEST_F(DemoReplayTest, ARecordedGameReplaysInSyncAndAnEditedOneDoesNot) {
    DemoRecording demo;
    std::string error;
    ASSERT_TRUE(StartDemo(&demo, dir + "/game.demo", 0, &error)) << error;
    PlayAndRecord(&demo, 40, Keys({SDLK_RIGHT, SDLK_DOWN}));
    PlayAndRecord(&demo, 25, Keys({SDLK_RIGHT, SDLK_SPACE, SDLK_LSHIFT}));
    PlayAndRecord(&demo, 12, Keys({SDLK_s}));
    PlayAndRecord(&demo, 30, Keys());
    ASSERT_TRUE(FinishDemo(&demo, game, &error)) << error;
    const std::string text = Read(dir + "/game.demo");
    ASSERT_NE(text.find("\n40 down right\n25 right space lshift\n12 s\n30\n# final state: "),
              std::string::npos)
        << text;

    const Result inSync = Replay(dir + "/game.demo");
    EXPECT_EQ(inSync.status, 0) << inSync.err;
    EXPECT_EQ(inSync.err, "");
    const std::string last = inSync.out.substr(inSync.out.rfind('\n', inSync.out.size() - 2) + 1);
    EXPECT_EQ("# final state: " + last, text.substr(text.rfind("# final state: ")));

    struct Case {
        const char* name = "";
        std::string from = "";
        std::string to = "";
        std::string err = "";
    };
    const Case cases[] = {
        {.name = "one frame more at the end",
         .from = "\n30\n",
         .to = "\n31\n",
         .err = "flagrun-replay: demo out of sync: expected frame=107 got frame=108\n"},
        {.name = "one frame less of walking",
         .from = "\n40 down right\n",
         .to = "\n39 down right\n",
         .err = "flagrun-replay: demo out of sync: expected frame=107 got frame=106\n"},
        {.name = "as many frames, one of them moved from walking to waiting",
         .from = "\n40 down right\n25 right space lshift\n12 s\n30\n",
         .to = "\n39 down right\n25 right space lshift\n12 s\n31\n",
         .err = "flagrun-replay: demo out of sync: expected player1.x=65 got player1.x=64\n"},
        {.name = "Player 2 walks up instead of down",
         .from = "\n12 s\n",
         .to = "\n12 w\n",
         .err = "flagrun-replay: demo out of sync: expected player2.y=62 got player2.y=38\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Result result = Replay(Edited(text, c.from, c.to));
        EXPECT_EQ(result.status, 3);
        EXPECT_EQ(result.err, c.err);
    }
}

} // namespace
