// Game end and restart: the capture countdown, the both-dead countdown and
// the new-game reset with what it carries over.
#include "rules_test_support.h"

namespace {

using RestartTest = GameTest;

// True when this frame's reset has put the game back on its start places.
bool NewGameStarted() {
    return game.restartCountdown == 100 && game.redFlagX == 590 && game.redFlagY == 430 &&
           Pos(game.player1) == Pair{1, 1} && game.player1.dead == 0 && game.player2.dead == 0;
}

Pair Exp() {
    return {game.player1.exp, game.player2.exp};
}

TEST_F(RestartTest, CaptureCountdownRunsWhileTheFlagIsInTheHomeCorner) {
    struct {
        Pair flag;
        std::int32_t exp;
        bool counts;
        std::int32_t endExp;
    } const cases[] = {{{79, 79}, 0, true, 1},     {{80, 79}, 0, false, 0},
                       {{79, 80}, 0, false, 0},    {{-5, -1000}, 0, true, 1},
                       {{kMin, kMin}, 0, true, 1}, {{0, 0}, kMax, true, kMax}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "flag at " << c.flag.first << "," << c.flag.second);
        Fresh();
        std::tie(game.redFlagX, game.redFlagY) = c.flag;
        game.player1.exp = game.player2.exp = c.exp;
        RunFrames(1);
        EXPECT_EQ(game.restartCountdown, c.counts ? 99 : 100);
        EXPECT_EQ(Exp(), (Pair{c.endExp, c.endExp}));
    }
}

TEST_F(RestartTest, FullCaptureCountdownStartsTheNewGameInItsHundredthFrame) {
    game.redFlagX = 10, game.redFlagY = 10;
    game.player2.dead = 1; // the dead earn the capture points too
    for (int frame = 1; frame <= 99; ++frame) {
        RunFrames(1);
        ASSERT_EQ(game.restartCountdown, 100 - frame);
        ASSERT_EQ((Pair{game.redFlagX, game.redFlagY}), (Pair{10, 10}));
        ASSERT_EQ(Exp(), (Pair{frame, frame}));
    }
    RunFrames(1);
    EXPECT_TRUE(NewGameStarted());
    EXPECT_EQ(Exp(), (Pair{100, 100}));
}

TEST_F(RestartTest, BothDeadCountdownStartsWithTheSecondDeathAndGivesNoExperience) {
    game.player1.dead = 1;
    game.player2.x = 300, game.player2.y = 300;
    game.enemy1.laser.x = 313, game.enemy1.laser.y = 313; // kills Player 2 in frame 1
    for (int frame = 1; frame <= 100; ++frame) {
        RunFrames(1);
        ASSERT_EQ((Pair{game.player1.dead, game.player2.dead}), (Pair{1, 1})) << frame;
        ASSERT_EQ(game.restartCountdown, 100 - frame);
    }
    RunFrames(1);
    EXPECT_TRUE(NewGameStarted());
    EXPECT_EQ(Exp(), (Pair{0, 0}));
}

// From an even count the both-dead step ends a frame on 0 and the next
// capture step takes it to -1: that too starts the new game.
TEST_F(RestartTest, BothDeadWithTheFlagHomeCountsByTwoAndStillRestarts) {
    for (const auto& [count, newGameFrame] :
         {Pair{100, 51}, Pair{99, 50}, Pair{2, 2}, Pair{1, 1}}) {
        SCOPED_TRACE(testing::Message() << "from " << count);
        Fresh();
        game.player1.dead = game.player2.dead = 1;
        game.redFlagX = 10, game.redFlagY = 10;
        game.restartCountdown = count;
        for (int frame = 1; frame < newGameFrame; ++frame) {
            RunFrames(1);
            ASSERT_EQ(game.restartCountdown, count - 2 * frame);
            ASSERT_EQ(game.player1.dead, 1);
        }
        RunFrames(1);
        EXPECT_TRUE(NewGameStarted());
        EXPECT_EQ(game.player1.exp, newGameFrame); // one capture point a frame
    }
}

TEST_F(RestartTest, NewGameResetsPlacesAndCarriesScoresAndShotsOver) {
    PlayerState& p1 = game.player1;
    PlayerState& p2 = game.player2;
    p1.x = p1.corpseX = 400, p1.y = p1.corpseY = 400, p1.dead = 1, p1.carryingFlag = 1;
    p1.exp = 500, p1.bounty = 39, p1.blastX = p1.blastY = 350;
    p1.laser = Projectile{200, 300, -3, 3, 1};
    p1.grenade = Projectile{400, 200, 2, 2, 1};
    p2.x = p2.corpseX = 100, p2.y = p2.corpseY = 400, p2.dead = 1, p2.carryingFlag = 1;
    p2.exp = 7, p2.bounty = 3;
    game.enemy1.x = game.enemy1.wreckX = 250, game.enemy1.y = game.enemy1.wreckY = 350;
    game.enemy1.dx = game.enemy1.dy = 0;
    game.enemy1.laser.x = game.enemy1.laser.y = -500;
    game.enemy2.dx = game.enemy2.dy = -1;
    game.enemy2.laser.x = game.enemy2.laser.y = 450;
    game.redFlagX = 10, game.redFlagY = 10;
    game.restartCountdown = 1;
    RunFrames(1);
    EXPECT_TRUE(NewGameStarted());
    EXPECT_EQ(Pos(p2), (Pair{50, 50}));
    for (const PlayerState* p : {&p1, &p2}) {
        EXPECT_EQ(p->carryingFlag, 0);
        EXPECT_EQ((Pair{p->corpseX, p->corpseY}), (Pair{kParked, kParked}));
        EXPECT_EQ((Pair{p->blastX, p->blastY}), (Pair{kParked, kParked}));
    }
    EXPECT_EQ(Pos(game.enemy1), (Pair{500, 300}));
    EXPECT_EQ(Pos(game.enemy2), (Pair{600, 400}));
    for (const EnemyState* e : {&game.enemy1, &game.enemy2}) {
        EXPECT_EQ((Pair{e->dx, e->dy}), (Pair{1, 1}));
        EXPECT_EQ((Pair{e->wreckX, e->wreckY}), (Pair{kParked, kParked}));
    }
    // Carried over: scores (plus this frame's capture point) and every shot.
    EXPECT_EQ((Pair{p1.exp, p1.bounty}), (Pair{501, 39}));
    EXPECT_EQ((Pair{p2.exp, p2.bounty}), (Pair{8, 3}));
    EXPECT_EQ(Pos(p1.laser), (Pair{197, 303}));
    EXPECT_EQ((Pair{p1.laser.dx, p1.laser.inFlight}), (Pair{-3, 1}));
    EXPECT_EQ(Pos(p1.grenade), (Pair{402, 202}));
    EXPECT_EQ(Pos(p2.laser), (Pair{100, 400}));
    EXPECT_EQ(Pos(game.enemy1.laser), (Pair{-503, -503}));
    EXPECT_EQ(Pos(game.enemy2.laser), (Pair{447, 447}));
    // The first frame of the new game: shots in flight fly on, resting ones
    // join their owners, and enemy 1's far laser comes back to it at once.
    RunFrames(1);
    EXPECT_EQ(Pos(p1.laser), (Pair{194, 306}));
    EXPECT_EQ(Pos(p2.laser), (Pair{50, 50}));
    EXPECT_EQ(Pos(game.enemy1.laser), (Pair{501, 301}));
}

TEST_F(RestartTest, InterruptedCaptureCountdownResumesWhereItStopped) {
    game.player1.carryingFlag = 1;
    game.redFlagX = 79, game.redFlagY = 10;
    RunFrames(30);
    ASSERT_EQ(game.restartCountdown, 70);
    RunFrames(1, Keys({SDLK_RIGHT})); // the carrier takes the flag out
    RunFrames(10);
    EXPECT_EQ((Pair{game.redFlagX, game.restartCountdown}), (Pair{80, 70}));
    EXPECT_EQ(game.player1.exp, 30);
    RunFrames(1, Keys({SDLK_LEFT})); // and back in: the count shows 70 again
    EXPECT_EQ(game.restartCountdown, 69);
    RunFrames(68);
    EXPECT_EQ(game.restartCountdown, 1);
    RunFrames(1);
    EXPECT_TRUE(NewGameStarted());
    EXPECT_EQ(game.player1.exp, 100);
}

} // namespace
