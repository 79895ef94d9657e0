// Stories of the rules: replay scripts played from the start of a run
// through the game's own playback path. A comment "# at FRAME: path=value
// ..." names the state after that frame; the script stays a valid replay.
#include "app/demo_session.h"
#include "state_fields.h"

#include <fstream>
#include <map>

namespace {

class Scenario : public testing::TestWithParam<const char*> {};

TEST_P(Scenario, HoldsTheStatesItNames) {
    const std::string path = std::string(FLAGRUN_SCENARIO_DIR "/") + GetParam() + ".replay";
    DemoSession session;
    session.mode = DemoMode::kPlay;
    ScriptError error;
    ASSERT_TRUE(ReadDemo(path, &session.demo, &error)) << error.line << ": " << error.problem;
    std::map<std::int64_t, std::string> expected;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        if (line.starts_with("# at ")) {
            const std::size_t colon = line.find(':');
            expected[std::stoll(line.substr(5, colon - 5))] += line.substr(colon + 1) + " ";
        }
    }
    game = GameState{};
    SetStartValues(game);
    while (PlayFrame(&session, FrameDrawing::kUndrawn)) {
        const auto at = expected.find(session.playback.frame);
        if (at != expected.end()) {
            std::string bare;
            EXPECT_EQ(Mismatches(game, at->second, &bare), "") << "after frame " << at->first;
            expected.erase(at);
        }
    }
    EXPECT_TRUE(expected.empty()) << "a frame named lies past the script's end";
}

INSTANTIATE_TEST_SUITE_P(Rules, Scenario, testing::Values("capture", "both_dead"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

} // namespace
