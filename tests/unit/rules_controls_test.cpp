// The controls: movement keys, the carried flag, triggers and resting shots.
#include "rules_test_support.h"

namespace {

using ControlsTest = RulesTest;

// Player 1 at 300, 300, Player 2 at 300, 360, the flag at 400, 400. After an
// idle frame every shot rests on its owner; a launch leaves from there, not
// from where the owner steps in that frame, and flies at once.
TEST_F(ControlsTest, KeysMoveTheFlagAndLaunchOnlyForTheirLivingPlayer) {
    struct {
        KeyState keys;
        int dead, carriers; // carriers: 1, 2, or 3 for both
        Pair move1, move2, flag;
        std::array<int, 4> flying; // laser 1, grenade 1, laser 2, grenade 2
    } const cases[] = {
        {Keys({SDLK_UP, SDLK_w, SDLK_a}), 0, 1, {0, -1}, {-1, -1}, {0, -1}, {}},
        {Keys({SDLK_UP, SDLK_DOWN, SDLK_s, SDLK_d}), 0, 2, {0, 0}, {1, 1}, {1, 1}, {}},
        {Keys({SDLK_DOWN, SDLK_RIGHT}), 0, 0, {1, 1}, {0, 0}, {0, 0}, {}},
        {Keys({SDLK_UP, SDLK_LEFT}), 0, 1, {-1, -1}, {0, 0}, {-1, -1}, {}},
        {Keys({SDLK_RIGHT, SDLK_a}), 0, 3, {1, 0}, {-1, 0}, {0, 0}, {}},
        {Keys({SDLK_RIGHT, SDLK_d}), 0, 3, {1, 0}, {1, 0}, {2, 0}, {}},
        {Keys({SDLK_SPACE, SDLK_LSHIFT}), 0, 0, {0, 0}, {0, 0}, {0, 0}, {1, 0, 0, 1}},
        {Keys({SDLK_RALT, SDLK_LCTRL}), 0, 0, {0, 0}, {0, 0}, {0, 0}, {0, 1, 1, 0}},
        {Keys({SDLK_RIGHT, SDLK_SPACE, SDLK_s, SDLK_LSHIFT}), 0, 3, {1, 0}, {0, 1}, {1, 1}, {1, 0, 0, 1}},
        {Keys({SDLK_UP, SDLK_SPACE, SDLK_RALT, SDLK_d}), 1, 3, {0, 0}, {1, 0}, {1, 0}, {}},
        {Keys({SDLK_LEFT, SDLK_s, SDLK_LCTRL, SDLK_LSHIFT}), 2, 3, {-1, 0}, {0, 0}, {-1, 0}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases);
        Fresh({300, 300}), Place(game.player2, {300, 360});
        game.player1.dead = c.dead == 1, game.player2.dead = c.dead == 2;
        game.player1.carryingFlag = c.carriers & 1, game.player2.carryingFlag = c.carriers >> 1;
        game.redFlagX = game.redFlagY = 400;
        RunFrames(1), RunFrames(1, c.keys);
        EXPECT_EQ(std::tuple(Pos(game.player1), Pos(game.player2), Flag()),
                  std::tuple(Plus({300, 300}, c.move1), Plus({300, 360}, c.move2),
                             Plus({400, 400}, c.flag)));
        const Projectile* shots[] = {&game.player1.laser, &game.player1.grenade,
                                     &game.player2.laser, &game.player2.grenade};
        for (int i = 0; i < 4; ++i) {
            const std::int32_t y = i < 2 ? 300 : 360, step = i % 2 == 0 ? 3 : 2;
            const Pair owner = i < 2 ? Pos(game.player1) : Pos(game.player2);
            EXPECT_EQ(std::pair(shots[i]->inFlight, Pos(*shots[i])),
                      std::pair(c.flying[i], c.flying[i] ? Pair{300 + step, y + step} : owner))
                << "shot " << i;
        }
    }
}

TEST_F(ControlsTest, FirstFrameLaunchLeavesFromZeroNotFromTheOwner) {
    RunFrames(1, Keys({SDLK_LCTRL, SDLK_LSHIFT})); // Player 2 stands at 50, 50
    EXPECT_EQ(std::pair(Pos(game.player2.laser), Pos(game.player2.grenade)),
              std::pair(Pair{3, 3}, Pair{2, 2}));
}

TEST_F(ControlsTest, FlagFollowsTheCarriersKeysNotTheCarrierPushedBack) {
    Place(game.player1, {618, 200}), game.player1.carryingFlag = 1;
    game.redFlagX = 600, game.redFlagY = 200;
    for (int frame = 1; frame <= 6; ++frame) {
        RunFrames(1, Keys({SDLK_RIGHT}));
        ASSERT_EQ(std::pair(game.player1.x, Flag()),
                  std::pair(frame % 2 == 1 ? 617 : 618, Pair{600 + frame, 200}));
    }
}

// A laser that kills flies on from the hit point while Space stays held; one
// past the right edge stays there. Either comes back once Space is released.
TEST_F(ControlsTest, LaserHeldThroughAKillOrPastTheEdgeUntilReleased) {
    using Step = std::tuple<bool, Pair, int>; // Space held; laser position and flight after
    const std::pair<Pair, std::vector<Step>> cases[] = {
        {{300, 300}, {{true, {303, 303}, 0}, {true, {306, 306}, 1}}},
        {{300, 300}, {{true, {303, 303}, 0}, {false, {10, 400}, 0}}},
        {{640, 200},
         {{true, {643, 203}, 1}, {true, {643, 203}, 0}, {true, {643, 203}, 0}, {false, {10, 400}, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases);
        Fresh({10, 400});
        game.player1.laser = Projectile{c.first.first, c.first.second, 3, 3, 1};
        EnemyArrivesAt(game.enemy1, {290, 290}); // the first laser kills it at 303, 303
        for (const auto& [held, at, inFlight] : c.second) {
            RunFrames(1, held ? Keys({SDLK_SPACE}) : Keys());
            ASSERT_EQ(std::pair(Pos(game.player1.laser), game.player1.laser.inFlight),
                      std::pair(at, inFlight));
        }
    }
}

} // namespace
