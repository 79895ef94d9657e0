// The controls: movement keys, the carried flag, triggers and the way resting
// projectiles ride with their owners, driven through whole frames.
#include "rules_test_support.h"

namespace {

using ControlsTest = GameTest;

// After an idle frame every projectile rests on its owner; a launch then
// leaves from there, not from where the owner steps in the launch frame, and
// flies one step at once.
TEST_F(ControlsTest, KeysMoveAndLaunchOnlyForTheirLivingPlayer) {
    struct {
        std::vector<SDLKey> keys;
        int dead; // 0: both alive, else that player
        Pair move1, move2;
        int flying[4]; // laser 1, grenade 1, laser 2, grenade 2
    } const cases[] = {
        {{SDLK_UP}, 0, {0, -1}, {0, 0}, {0, 0, 0, 0}},
        {{SDLK_DOWN, SDLK_RIGHT}, 0, {1, 1}, {0, 0}, {0, 0, 0, 0}},
        {{SDLK_UP, SDLK_DOWN}, 0, {0, 0}, {0, 0}, {0, 0, 0, 0}},
        {{SDLK_UP, SDLK_LEFT}, 0, {-1, -1}, {0, 0}, {0, 0, 0, 0}},
        {{SDLK_w, SDLK_a}, 0, {0, 0}, {-1, -1}, {0, 0, 0, 0}},
        {{SDLK_s, SDLK_d}, 0, {0, 0}, {1, 1}, {0, 0, 0, 0}},
        {{SDLK_SPACE}, 0, {0, 0}, {0, 0}, {1, 0, 0, 0}},
        {{SDLK_RALT}, 0, {0, 0}, {0, 0}, {0, 1, 0, 0}},
        {{SDLK_LCTRL}, 0, {0, 0}, {0, 0}, {0, 0, 1, 0}},
        {{SDLK_LSHIFT}, 0, {0, 0}, {0, 0}, {0, 0, 0, 1}},
        {{SDLK_RIGHT, SDLK_SPACE, SDLK_s, SDLK_LSHIFT}, 0, {1, 0}, {0, 1}, {1, 0, 0, 1}},
        {{SDLK_UP, SDLK_LEFT, SDLK_SPACE, SDLK_RALT}, 1, {0, 0}, {0, 0}, {0, 0, 0, 0}},
        {{SDLK_s, SDLK_d, SDLK_LCTRL, SDLK_LSHIFT}, 2, {0, 0}, {0, 0}, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "first key " << c.keys[0] << ", dead " << c.dead);
        Fresh();
        game.player1.x = 300, game.player1.y = 300, game.player1.dead = c.dead == 1;
        game.player2.x = 300, game.player2.y = 360, game.player2.dead = c.dead == 2;
        RunFrames(1);
        RunFrames(1, Held(c.keys));
        EXPECT_EQ(Pos(game.player1), (Pair{300 + c.move1.first, 300 + c.move1.second}));
        EXPECT_EQ(Pos(game.player2), (Pair{300 + c.move2.first, 360 + c.move2.second}));
        const Projectile* shots[] = {&game.player1.laser, &game.player1.grenade,
                                     &game.player2.laser, &game.player2.grenade};
        for (int i = 0; i < 4; ++i) {
            const PlayerState& owner = i < 2 ? game.player1 : game.player2;
            const std::int32_t step = i % 2 == 0 ? 3 : 2;
            const Pair flown{300 + step, (i < 2 ? 300 : 360) + step};
            EXPECT_EQ(shots[i]->inFlight, c.flying[i]) << "shot " << i;
            EXPECT_EQ(Pos(*shots[i]), c.flying[i] ? flown : Pos(owner)) << "shot " << i;
        }
    }
}

TEST_F(ControlsTest, FirstFrameLaunchLeavesFromTheRecordsZero) {
    // In the very first frame nothing has rested on Player 2 yet: his shots
    // leave from the record's 0, 0, not from him at 50, 50.
    RunFrames(1, Held({SDLK_LCTRL, SDLK_LSHIFT}));
    EXPECT_EQ(Pos(game.player2.laser), (Pair{3, 3}));
    EXPECT_EQ(Pos(game.player2.grenade), (Pair{2, 2}));
}

TEST_F(ControlsTest, FlagFollowsTheLivingCarriersKeys) {
    struct {
        int carrier1, carrier2, dead1;
        std::vector<SDLKey> keys;
        Pair move;
    } const cases[] = {
        {1, 1, 0, {SDLK_RIGHT, SDLK_a}, {0, 0}},    {1, 1, 0, {SDLK_RIGHT, SDLK_d}, {2, 0}},
        {1, 1, 0, {SDLK_UP, SDLK_s}, {0, 0}},       {1, 0, 0, {SDLK_d, SDLK_w}, {0, 0}},
        {0, 1, 0, {SDLK_w, SDLK_a}, {-1, -1}},      {1, 0, 0, {SDLK_UP, SDLK_LEFT}, {-1, -1}},
        {1, 0, 1, {SDLK_RIGHT, SDLK_DOWN}, {0, 0}}, {1, 1, 1, {SDLK_RIGHT, SDLK_d}, {1, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases);
        Fresh();
        game.player1.x = 300, game.player1.y = 300;
        game.player2.x = 300, game.player2.y = 360;
        game.player1.carryingFlag = c.carrier1, game.player2.carryingFlag = c.carrier2;
        game.player1.dead = c.dead1;
        game.redFlagX = 400, game.redFlagY = 400;
        RunFrames(1, Held(c.keys));
        EXPECT_EQ((Pair{game.redFlagX, game.redFlagY}),
                  (Pair{400 + c.move.first, 400 + c.move.second}));
    }
}

TEST_F(ControlsTest, CarrierHeldAtTheRightLimitLeavesTheFlagMovingOn) {
    game.player1.x = 618, game.player1.y = 200, game.player1.carryingFlag = 1;
    game.redFlagX = 600, game.redFlagY = 200;
    for (int frame = 1; frame <= 60; ++frame) {
        RunFrames(1, Keys({SDLK_RIGHT}));
        ASSERT_EQ(game.player1.x, frame % 2 == 1 ? 617 : 618) << "frame " << frame;
        ASSERT_EQ((Pair{game.redFlagX, game.redFlagY}), (Pair{600 + frame, 200})) << frame;
    }
}

TEST_F(ControlsTest, LaserHeldThroughAKillFliesOnFromTheHitPoint) {
    for (bool held : {true, false}) {
        SCOPED_TRACE(held ? "space held" : "space released");
        Fresh();
        game.player1.x = 10, game.player1.y = 400;
        game.player1.laser = Projectile{300, 300, 3, 3, 1};
        game.enemy1.x = game.enemy1.laser.x = 290, game.enemy1.y = game.enemy1.laser.y = 290;
        const KeyState keys = held ? Keys({SDLK_SPACE}) : Keys();
        RunFrames(1, keys);
        ASSERT_EQ(game.enemy1.dx, 0);
        EXPECT_EQ(Pos(game.player1.laser), (Pair{303, 303}));
        RunFrames(1, keys);
        EXPECT_EQ(Pos(game.player1.laser), (held ? Pair{306, 306} : Pair{10, 400}));
        EXPECT_EQ(game.player1.laser.inFlight, held ? 1 : 0);
        EXPECT_EQ(game.player1.exp, 23);
    }
}

// A laser's flight ends past the right edge before it could move again, a
// grenade's only after it has moved on; either waits for its key's release,
// and so does the grenade's blast marker.
TEST_F(ControlsTest, ShotsHeldPastTheirExitStayOutUntilReleased) {
    game.player1.x = 10, game.player1.y = 400;
    game.player1.laser = Projectile{640, 200, 3, 3, 1};
    game.player1.grenade = Projectile{639, 100, 2, 2, 1};
    game.player1.blastX = 250, game.player1.blastY = 260;
    for (int frame = 1; frame <= 5; ++frame) {
        RunFrames(1, Keys({SDLK_SPACE, SDLK_RALT}));
        ASSERT_EQ(Pos(game.player1.laser), (Pair{643, 203})) << frame;
        ASSERT_EQ(game.player1.laser.inFlight, frame == 1 ? 1 : 0) << frame;
        ASSERT_EQ(Pos(game.player1.grenade), (Pair{639 + 2 * frame, 100 + 2 * frame})) << frame;
        ASSERT_EQ(game.player1.grenade.inFlight, 0) << frame;
        ASSERT_EQ((Pair{game.player1.blastX, game.player1.blastY}), (Pair{250, 260})) << frame;
    }
    RunFrames(1);
    EXPECT_EQ(Pos(game.player1.laser), (Pair{10, 400}));
    EXPECT_EQ(Pos(game.player1.grenade), (Pair{10, 400}));
    EXPECT_EQ((Pair{game.player1.blastX, game.player1.blastY}), (Pair{kParked, kParked}));
}

} // namespace
