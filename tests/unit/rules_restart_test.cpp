// Game end and restart: the countdowns and the new-game reset and carry-over.
#include "rules_test_support.h"

namespace {

struct RestartTest : RulesTest {
    // Everything a new game sets, and the values it sets.
    static auto Reset() {
        const PlayerState &p1 = game.player1, &p2 = game.player2;
        const EnemyState &e1 = game.enemy1, &e2 = game.enemy2;
        return std::tuple(Pos(p1), Pos(p2), Pair(p1.corpseX, p1.corpseY),
                          Pair(p2.corpseX, p2.corpseY), Blast(p1), Blast(p2), Pos(e1), Pos(e2),
                          Pair(e1.wreckX, e1.wreckY), Pair(e2.wreckX, e2.wreckY), Flag(),
                          Pair(p1.dead, p2.dead), Pair(e1.dx, e1.dy), Pair(e2.dx, e2.dy),
                          Pair(p1.carryingFlag, p2.carryingFlag), game.restartCountdown);
    }
    static constexpr auto kNewGame =
        std::tuple(Pair(1, 1), Pair(50, 50), kOff, kOff, kOff, kOff, Pair(500, 300), Pair(600, 400),
                   kOff, kOff, Pair(590, 430), Pair(0, 0), Pair(1, 1), Pair(1, 1), Pair(0, 0), 100);
};

// The flag home gives both players, dead or alive, a point a frame. With both
// dead as well the count drops by 2 a frame, and from an even count the step
// from 0 to -1 still starts the new game.
TEST_F(RestartTest, CountdownsStartTheNewGameInTheirLastFrame) {
    const std::tuple<bool, int, int, int, int, int> cases[] = {
        // flag home, Player 1 dead, Player 2 dead (2: dies in frame 1), count, step, new-game frame
        {true, 0, 1, 100, 1, 100}, {false, 1, 2, 100, 1, 101}, {true, 1, 1, 100, 2, 51},
        {true, 1, 1, 99, 2, 50},   {true, 1, 1, 2, 2, 2},      {true, 1, 1, 1, 2, 1},
    };
    for (const auto& [home, dead1, dead2, count, step, newGameFrame] : cases) {
        SCOPED_TRACE(testing::Message() << "count " << count << ", flag home " << home);
        Fresh(), game.player1.dead = dead1, game.player2.dead = dead2 == 1;
        game.restartCountdown = count, game.redFlagX = game.redFlagY = home ? 10 : 500;
        if (dead2 == 2) {
            Place(game.player2, {300, 300}), Place(game.enemy1.laser, {313, 313});
        }
        for (int frame = 1; frame < newGameFrame; ++frame) {
            RunFrames(1);
            const std::int32_t exp = home ? frame : 0;
            ASSERT_EQ(std::pair(game.restartCountdown, Exp()),
                      std::pair(count - step * frame, Pair{exp, exp}))
                << frame;
        }
        RunFrames(1);
        const std::int32_t exp = home ? newGameFrame : 0;
        EXPECT_EQ(std::pair(Reset(), Exp()), std::pair(kNewGame, Pair{exp, exp}));
    }
}

TEST_F(RestartTest, NewGameResetsPlacesAndCarriesScoresAndShotsOver) {
    PlayerState &p1 = game.player1, &p2 = game.player2;
    p1.x = p1.corpseX = 400, p1.y = p1.corpseY = 400, p1.dead = p1.carryingFlag = 1;
    p1.exp = 500, p1.bounty = 39, p1.blastX = p1.blastY = 350;
    p1.laser = Projectile{200, 300, -3, 3, 1}, p1.grenade = Projectile{400, 200, 2, 2, 1};
    p2.x = p2.corpseX = 100, p2.y = p2.corpseY = 400, p2.dead = p2.carryingFlag = 1;
    p2.exp = 7, p2.bounty = 3;
    Place(game.enemy1, {250, 350}), game.enemy1.wreckX = 250, game.enemy1.wreckY = 350;
    game.enemy1.dx = game.enemy1.dy = 0, Place(game.enemy1.laser, {-500, -500});
    game.enemy2.dx = game.enemy2.dy = -1, Place(game.enemy2.laser, {450, 450});
    game.redFlagX = game.redFlagY = 10, game.restartCountdown = 1;
    RunFrames(1);
    EXPECT_EQ(Reset(), kNewGame);
    // Carried over: scores (plus this frame's capture point) and every shot.
    EXPECT_EQ(std::pair(Score(p1), Score(p2)), std::pair(Pair{501, 39}, Pair{8, 3}));
    EXPECT_EQ(std::tuple(Pos(p1.laser), p1.laser.dx, p1.laser.inFlight, Pos(p1.grenade)),
              std::tuple(Pair{197, 303}, -3, 1, Pair{402, 202}));
    EXPECT_EQ(std::tuple(Pos(p2.laser), Pos(game.enemy1.laser), Pos(game.enemy2.laser)),
              std::tuple(Pair{100, 400}, Pair{-503, -503}, Pair{447, 447}));
    // Next frame: shots in flight fly on, resting ones join their owners, and
    // enemy 1's far laser returns to it at once.
    RunFrames(1);
    EXPECT_EQ(std::tuple(Pos(p1.laser), Pos(p2.laser), Pos(game.enemy1.laser)),
              std::tuple(Pair{194, 306}, Pair{50, 50}, Pair{501, 301}));
}

TEST_F(RestartTest, InterruptedCaptureCountdownResumesFrom70) {
    game.player1.carryingFlag = 1, game.redFlagX = 79, game.redFlagY = 10;
    RunFrames(30);
    ASSERT_EQ(game.restartCountdown, 70);
    RunFrames(1, Keys({SDLK_RIGHT})), RunFrames(10); // the carrier takes the flag out
    EXPECT_EQ(std::tuple(game.redFlagX, game.restartCountdown, game.player1.exp),
              std::tuple(80, 70, 30));
    RunFrames(1, Keys({SDLK_LEFT})); // and back in: the count shows 70 again
    EXPECT_EQ(game.restartCountdown, 69);
    RunFrames(69); // the new game starts in the 70th frame back in
    EXPECT_EQ(std::pair(Reset(), game.player1.exp), std::pair(kNewGame, 100));
}

} // namespace
