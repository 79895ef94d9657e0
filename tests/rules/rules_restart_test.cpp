// Game end and restart: the countdowns, the new-game reset and what carries
// over into the new game.
#include "rules/restart.h"
#include "rules_test_support.h"

namespace {

using RestartTest = RulesTest;

// Everything a new game puts back in its place.
void ExpectNewGame() {
    EXPECT_EQ(PositionOf(game.player1), (Point{1, 1}));
    EXPECT_EQ(PositionOf(game.player2), (Point{50, 50}));
    EXPECT_EQ(PositionOf(game.enemy1), (Point{500, 300}));
    EXPECT_EQ(PositionOf(game.enemy2), (Point{600, 400}));
    EXPECT_EQ(RedFlag(), (Point{590, 430}));
    for (const PlayerState* player : {&game.player1, &game.player2}) {
        EXPECT_EQ(CorpseOf(*player), kParkedPoint);
        EXPECT_EQ(BlastOf(*player), kParkedPoint);
        EXPECT_EQ(player->dead, 0);
        EXPECT_EQ(player->carryingFlag, 0);
    }
    for (const EnemyState* enemy : {&game.enemy1, &game.enemy2}) {
        EXPECT_EQ(WreckOf(*enemy), kParkedPoint);
        EXPECT_EQ(enemy->dx, 1);
        EXPECT_EQ(enemy->dy, 1);
    }
    EXPECT_EQ(game.restartCountdown, 100);
}

// The red flag in the home corner, or elsewhere.
constexpr Point kFlagHome = {30, 20};

// With both dead, Player 1 is dead from the start and Player 2 dies in the
// first frame.
struct CountdownCase {
    const char* name;
    bool flagHome = false;
    bool bothDead = false;
    int count = 100;  // before the first frame
    int step = 1;     // the drop per frame
    int newGameFrame; // the frame that starts the new game
};

const CountdownCase kCountdownCases[] = {
    {.name = "flag home: the 100th frame starts it", .flagHome = true, .newGameFrame = 100},
    {.name = "both dead: the 101st frame starts it", .bothDead = true, .newGameFrame = 101},
    {.name = "flag home and both dead from 2: a count stepping past 0 starts it too",
     .flagHome = true,
     .bothDead = true,
     .count = 2,
     .step = 2,
     .newGameFrame = 2},
};

// Each frame of a capture gives both players, dead or alive, a point.
TEST_F(RestartTest, CountdownsStartTheNewGameInTheirLastFrame) {
    for (const CountdownCase& c : kCountdownCases) {
        SCOPED_TRACE(c.name);
        StartRun();
        game.restartCountdown = c.count;
        if (c.flagHome) {
            PutFlagAt(kFlagHome);
        }
        if (c.bothDead) {
            game.player1.dead = 1;
            PutAt(game.player2, {300, 240});
            PutAt(game.enemy1.laser, {313, 253});
        }
        for (int frame = 1; frame < c.newGameFrame; ++frame) {
            RunFrames(1);
            const std::int32_t exp = c.flagHome ? frame : 0;
            ASSERT_EQ(game.restartCountdown, c.count - c.step * frame) << "frame " << frame;
            ASSERT_EQ(game.player1.exp, exp) << "frame " << frame;
            ASSERT_EQ(game.player2.exp, exp) << "frame " << frame;
        }
        RunFrames(1);
        ExpectNewGame();
        EXPECT_EQ(game.player1.exp, c.flagHome ? c.newGameFrame : 0);
        EXPECT_EQ(game.player2.exp, c.flagHome ? c.newGameFrame : 0);
    }
}

// One frame's countdown steps: the capture countdown runs while the flag
// is home, giving everybody a point; the both-dead one while both are dead.
struct ConditionCase {
    const char* name;
    Point flag = {300, 250};
    bool dead1 = false;
    bool dead2 = false;
    int countAfter;
    int expAfter;
};

const ConditionCase kConditionCases[] = {
    {.name = "the flag at 79, 60 is home", .flag = {79, 60}, .countAfter = 99, .expAfter = 1},
    {.name = "at 80, 60 it is not", .flag = {80, 60}, .countAfter = 100, .expAfter = 0},
    {.name = "at 60, 80 it is not", .flag = {60, 80}, .countAfter = 100, .expAfter = 0},
    {.name = "carried past the top-left corner it is home",
     .flag = {-5, -300},
     .countAfter = 99,
     .expAfter = 1},
    {.name = "flag home: the dead get their point",
     .flag = {79, 60},
     .dead1 = true,
     .countAfter = 99,
     .expAfter = 1},
    {.name = "Player 1 dead alone", .dead1 = true, .countAfter = 100, .expAfter = 0},
    {.name = "Player 2 dead alone", .dead2 = true, .countAfter = 100, .expAfter = 0},
    {.name = "both dead: no points", .dead1 = true, .dead2 = true, .countAfter = 99, .expAfter = 0},
    {.name = "both dead and the flag home: two steps",
     .flag = {79, 60},
     .dead1 = true,
     .dead2 = true,
     .countAfter = 98,
     .expAfter = 1},
};

TEST_F(RestartTest, CountdownsRunWhileTheFlagIsHomeOrBothPlayersAreDead) {
    for (const ConditionCase& c : kConditionCases) {
        SCOPED_TRACE(c.name);
        StartRun();
        PutFlagAt(c.flag);
        game.player1.dead = c.dead1;
        game.player2.dead = c.dead2;
        RunCaptureCountdown(game, &ignoredEvents);
        RunBothDeadCountdown(game, &ignoredEvents);
        EXPECT_EQ(game.restartCountdown, c.countAfter);
        EXPECT_EQ(game.player1.exp, c.expAfter);
        EXPECT_EQ(game.player2.exp, c.expAfter);
    }
}

// Everyone away from the start, both dead, both carrying, enemy 1 a wreck,
// and the flag home with one frame left.
TEST_F(RestartTest, NewGameResetsThePlacesAndCarriesScoresAndShotsOver) {
    PlayerState& p1 = game.player1;
    PlayerState& p2 = game.player2;
    PutAt(p1, {400, 380});
    p1.corpseX = 400;
    p1.corpseY = 380;
    p1.dead = 1;
    p1.carryingFlag = 1;
    p1.exp = 500;
    p1.bounty = 39;
    p1.blastX = 350;
    p1.blastY = 320;
    p1.laser = {.x = 200, .y = 300, .dx = -3, .dy = 3, .inFlight = 1};
    PutAt(p2, {100, 400});
    p2.corpseX = 100;
    p2.corpseY = 400;
    p2.dead = 1;
    p2.carryingFlag = 1;
    p2.exp = 7;
    p2.bounty = 3;
    p2.laser = {.x = 150, .y = 300, .dx = 3, .dy = -3, .inFlight = 1};
    p2.grenade = {.x = 60, .y = 200, .dx = 2, .dy = 2, .inFlight = 1};
    PutAt(game.enemy1, {250, 350});
    game.enemy1.wreckX = 250;
    game.enemy1.wreckY = 350;
    game.enemy1.dx = 0;
    game.enemy1.dy = 0;
    PutAt(game.enemy1.laser, {-500, -600});
    game.enemy2.dx = -1;
    game.enemy2.dy = -1;
    PutAt(game.enemy2.laser, {450, 420});
    PutFlagAt(kFlagHome);
    game.restartCountdown = 1;

    RunFrames(1);
    ExpectNewGame();
    // The countdown text of this frame lies under the background drawn again.
    const SDL_Rect countdownPlace = {300, 440, NarrowU16(images.countdownEraser->w),
                                     NarrowU16(images.countdownEraser->h)};
    EXPECT_TRUE(ShowsImageIn(images.background, {0, 0}, countdownPlace));
    // Scores carry over, with this frame's capture point.
    EXPECT_EQ(p1.exp, 501);
    EXPECT_EQ(p1.bounty, 39);
    EXPECT_EQ(p2.exp, 8);
    EXPECT_EQ(p2.bounty, 3);
    // So does every shot, as this frame left it: moved by its velocity in
    // flight, at its old owner's place at rest.
    EXPECT_EQ(PositionOf(p1.laser), (Point{197, 303}));
    EXPECT_EQ(p1.laser.dx, -3);
    EXPECT_EQ(p1.laser.inFlight, 1);
    EXPECT_EQ(PositionOf(p1.grenade), (Point{400, 380}));
    EXPECT_EQ(PositionOf(p2.laser), (Point{153, 297}));
    EXPECT_EQ(PositionOf(p2.grenade), (Point{62, 202}));
    EXPECT_EQ(PositionOf(game.enemy1.laser), (Point{-503, -603}));
    EXPECT_EQ(PositionOf(game.enemy2.laser), (Point{447, 417}));
}

// Player 1 carries the flag out of the home corner at a count of 70 and
// back in ten frames later.
TEST_F(RestartTest, InterruptedCaptureCountdownResumesFrom70) {
    game.player1.carryingFlag = 1;
    PutFlagAt({79, 10});
    RunFrames(30);
    ASSERT_EQ(game.restartCountdown, 70);
    RunFrames(1, {.player1 = {.right = true}});
    RunFrames(10);
    EXPECT_EQ(RedFlag(), (Point{80, 10}));
    EXPECT_EQ(game.restartCountdown, 70);
    EXPECT_EQ(game.player1.exp, 30);
    RunFrames(1, {.player1 = {.left = true}});
    EXPECT_EQ(game.restartCountdown, 69);
    RunFrames(69);
    ExpectNewGame();
    EXPECT_EQ(game.player1.exp, 100);
}

} // namespace
