// The controls: movement keys, the carried flag, triggers and resting shots.
#include "rules_test_support.h"

namespace {

using ControlsTest = RulesTest;

// Player 1 stands on the right limit at 618, 300, so Right only pushes him
// back: the flag follows the carrier's keys, not the carrier. Rows: keys, dead
// player, carriers (3: both), moves of the players and the flag, and the shots
// in flight after the frame (laser 1, grenade 1, laser 2, grenade 2).
TEST_F(ControlsTest, KeysMoveTheFlagAndLaunchOnlyForTheirLivingPlayer) {
    const std::tuple<KeyState, int, int, Pair, Pair, Pair, std::array<int, 4>> cases[] = {
        {Keys({SDLK_RIGHT, SDLK_a}), 0, 3, {-1, 0}, {-1, 0}, {0, 0}, {}},
        {Keys({SDLK_RIGHT, SDLK_d}), 0, 3, {-1, 0}, {1, 0}, {2, 0}, {}},
        {Keys({SDLK_UP, SDLK_LEFT, SDLK_s, SDLK_d}), 0, 1, {-1, -1}, {1, 1}, {-1, -1}, {}},
        {Keys({SDLK_UP, SDLK_DOWN, SDLK_w, SDLK_a}), 0, 2, {0, 0}, {-1, -1}, {-1, -1}, {}},
        {Keys({SDLK_DOWN, SDLK_SPACE, SDLK_RALT, SDLK_LCTRL}), 0, 0, {0, 1}, {}, {}, {1, 1, 1, 0}},
        {Keys({SDLK_w, SDLK_LSHIFT}), 0, 0, {0, 0}, {0, -1}, {0, 0}, {0, 0, 0, 1}},
        {Keys({SDLK_UP, SDLK_SPACE, SDLK_RALT, SDLK_d}), 1, 3, {0, 0}, {1, 0}, {1, 0}, {}},
        {Keys({SDLK_LEFT, SDLK_s, SDLK_LCTRL, SDLK_LSHIFT}), 2, 3, {-1, 0}, {0, 0}, {-1, 0}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases);
        const auto& [keys, dead, carriers, move1, move2, flag, flying] = c;
        Fresh({618, 300}), Place(game.player2, {300, 360});
        PlayerState &p1 = game.player1, &p2 = game.player2;
        p1.dead = dead == 1, p2.dead = dead == 2, p1.carryingFlag = carriers & 1;
        p2.carryingFlag = carriers >> 1, game.redFlagX = game.redFlagY = 400;
        RunFrames(1), RunFrames(1, keys);
        EXPECT_EQ(std::tuple(Pos(p1), Pos(p2), Flag(),
                             std::array{p1.laser.inFlight, p1.grenade.inFlight, p2.laser.inFlight,
                                        p2.grenade.inFlight}),
                  std::tuple(Plus({618, 300}, move1), Plus({300, 360}, move2),
                             Plus({400, 400}, flag), flying));
    }
}

// A laser that kills flies on from the hit point while Space stays held; one
// past the right edge stays there; either comes back once Space is released.
// A laser reflects at the left and top edges and off the zone and ends past 480
// too; a grenade ends at 641, not 640, on either axis. In the first frame no
// shot has rested on its owner yet: a launch leaves from the record's 0, 0.
TEST_F(ControlsTest, ShotsReflectOrEndAtTheEdgesAndStayOutWhileTheirKeyIsHeld) {
    using Step = std::tuple<bool, Pair, int>; // key held; position and flight after the frame
    const std::pair<Projectile, std::vector<Step>> cases[] = {
        {{300, 300, 3, 3, 1}, {{true, {303, 303}, 0}, {true, {306, 306}, 1}}},
        {{300, 300, 3, 3, 1}, {{true, {303, 303}, 0}, {false, {5, 400}, 0}}},
        {{640, 200, 3, 3, 1}, {{true, {643, 203}, 1}, {true, {643, 203}, 0}, {false, {5, 400}, 0}}},
        {{300, 480, 3, 3, 1}, {{false, {303, 483}, 1}, {false, {303, 483}, 0}}},
        {{1, 300, -3, 3, 1}, {{false, {-2, 303}, 1}, {false, {1, 306}, 1}}},
        {{100, 1, 3, -3, 1}, {{false, {103, -2}, 1}, {false, {106, 1}, 1}}},
        {{173, 103, 3, 3, 1}, {{false, {176, 106}, 1}, {false, {179, 103}, 1}}},
        {{0, 0, 3, 3, 0}, {{true, {3, 3}, 1}}},
        {{638, 638, 2, 2, 1}, {{false, {640, 640}, 1}}},
        {{639, 638, 2, 2, 1}, {{false, {641, 640}, 0}}},
        {{638, 639, 2, 2, 1}, {{false, {640, 641}, 0}}},
    };
    for (const auto& [start, steps] : cases) {
        SCOPED_TRACE(testing::Message() << "from " << start.x << "," << start.y);
        const bool grenade = start.dx == 2; // only a grenade flies by 2
        Fresh({5, 400});
        EnemyArrivesAt(game.enemy1, {290, 290}); // a laser from 300, 300 kills it at 303, 303
        Projectile& shot = grenade ? game.player1.grenade : game.player1.laser;
        shot = start;
        for (const auto& [held, at, inFlight] : steps) {
            RunFrames(1, held ? Keys({grenade ? SDLK_RALT : SDLK_SPACE}) : Keys());
            ASSERT_EQ(std::pair(Pos(shot), shot.inFlight), std::pair(at, inFlight));
        }
    }
}

} // namespace
