// Motion and bounds: enemy paths and lasers, the players' lasers, player
// limits, the flag pick-up and positions that run without bound. (Flight is
// seen in the restart and controls tests.)
#include "rules/motion.h"
#include "rules_test_support.h"

#include <vector>

namespace {

using MotionTest = RulesTest;

// The enemies step alone, so that nothing can destroy them or start a new
// game. Enemy 1 meets the obstacle zone only from below until frame 4795,
// when it enters across the zone's left side at (175, 145); it jitters
// between y 145 and 146 until it leaves at (174, 146) in frame 5726. Enemy 2
// runs the same path 100 frames ahead. A turn at an edge or the zone a
// pixel early or late anywhere on the way moves all of this.
TEST_F(MotionTest, Enemy1EntersTheZoneInFrame4795AndEnemy2Leads100Frames) {
    std::vector<Point> path2 = {PositionOf(game.enemy2)};
    Point before = PositionOf(game.enemy1);
    for (int frame = 1; frame <= 5726; ++frame) {
        MoveEnemiesAndLasers(game);
        ReturnEnemyLasersPastEdges(game, &ignoredEvents);
        BounceEnemies(game);
        const Point now = PositionOf(game.enemy1);
        path2.push_back(PositionOf(game.enemy2));
        SCOPED_TRACE(testing::Message() << "frame " << frame);
        if (frame >= 100) {
            ASSERT_EQ(now, path2[frame - 100]);
        }
        if (frame < 4795 && InObstacleZone(now.x, now.y)) {
            ASSERT_EQ(before.y, 149);
            ASSERT_EQ(game.enemy1.dy, 1);
        }
        if (frame == 4795) {
            ASSERT_EQ(before.x, 174);
            ASSERT_EQ(now, (Point{175, 145}));
        }
        if (frame > 4795 && frame < 5726) {
            ASSERT_TRUE(InObstacleZone(now.x, now.y));
            ASSERT_EQ(now.y, frame % 2 == 1 ? 145 : 146);
        }
        before = now;
    }
    EXPECT_EQ(PositionOf(game.enemy1), (Point{174, 146}));
}

// Both enemies' lasers stand at the same point; the enemies at (450, 320)
// and (520, 260).
struct EnemyLaserCase {
    const char* name;
    Point laser;
    bool wrecks = false;
    bool returns = false;
};

const EnemyLaserCase kEnemyLaserCases[] = {
    {.name = "at x -12 it stays", .laser = {-12, 200}},
    {.name = "at x -13 it returns", .laser = {-13, 200}, .returns = true},
    {.name = "at y -12 it stays", .laser = {100, -12}},
    {.name = "at y -13 it returns", .laser = {100, -13}, .returns = true},
    {.name = "a wreck's laser past the left edge flies on", .laser = {-13, 200}, .wrecks = true},
    {.name = "a wreck's laser past the top flies on", .laser = {100, -13}, .wrecks = true},
    {.name = "in the zone it returns", .laser = {175, 148}, .returns = true},
    {.name = "a wreck's laser in the zone returns",
     .laser = {175, 148},
     .wrecks = true,
     .returns = true},
};

TEST_F(MotionTest, EnemyLaserReturnsPastXOrYMinus12AndFromTheZone) {
    constexpr Point enemy1At = {450, 320};
    constexpr Point enemy2At = {520, 260};
    for (const EnemyLaserCase& c : kEnemyLaserCases) {
        SCOPED_TRACE(c.name);
        StartRun();
        PutAt(game.enemy1, enemy1At);
        PutAt(game.enemy2, enemy2At);
        PutAt(game.enemy1.laser, c.laser);
        PutAt(game.enemy2.laser, c.laser);
        if (c.wrecks) {
            game.enemy1.dx = 0;
            game.enemy2.dx = 0;
        }
        ReturnEnemyLasersPastEdges(game, &ignoredEvents);
        ReturnEnemyLasersFromZone(game, &ignoredEvents);
        EXPECT_EQ(PositionOf(game.enemy1.laser), c.returns ? enemy1At : c.laser);
        EXPECT_EQ(PositionOf(game.enemy2.laser), c.returns ? enemy2At : c.laser);
    }
}

// Both players' lasers stand at the same point, flying up and to the left
// unless they rest.
struct LaserBoundCase {
    const char* name;
    Point at;
    int inFlight = 1;
    Point velocity; // (dx, dy) afterwards
    int inFlightAfter = 1;
};

const LaserBoundCase kLaserBoundCases[] = {
    {.name = "reflects at the left edge", .at = {-1, 300}, .velocity = {3, -3}},
    {.name = "x 0 is inside", .at = {0, 300}, .velocity = {-3, -3}},
    {.name = "reflects at the top edge", .at = {100, -1}, .velocity = {-3, 3}},
    {.name = "y 0 is inside", .at = {100, 0}, .velocity = {-3, -3}},
    {.name = "ends at x 641", .at = {641, 300}, .velocity = {-3, -3}, .inFlightAfter = 0},
    {.name = "flies on at x 640", .at = {640, 300}, .velocity = {-3, -3}},
    {.name = "ends at y 481", .at = {300, 481}, .velocity = {-3, -3}, .inFlightAfter = 0},
    {.name = "flies on at y 480", .at = {300, 480}, .velocity = {-3, -3}},
    {.name = "reflects off the zone", .at = {175, 148}, .velocity = {-3, 3}},
    {.name = "top edge in the zone: two reflections cancel", .at = {300, -1}, .velocity = {-3, -3}},
    {.name = "a resting laser is reflected too",
     .at = {-1, 300},
     .inFlight = 0,
     .velocity = {3, -3},
     .inFlightAfter = 0},
};

TEST_F(MotionTest, PlayersLasersReflectAtTheLeftTopAndZoneAndEndPastRightOrBottom) {
    for (const LaserBoundCase& c : kLaserBoundCases) {
        SCOPED_TRACE(c.name);
        for (Projectile* laser : {&game.player1.laser, &game.player2.laser}) {
            *laser = {.x = c.at.x, .y = c.at.y, .dx = -3, .dy = -3, .inFlight = c.inFlight};
        }
        BoundPlayerLasers(game);
        for (const Projectile* laser : {&game.player1.laser, &game.player2.laser}) {
            EXPECT_EQ(PositionOf(*laser), c.at);
            EXPECT_EQ(laser->dx, c.velocity.x);
            EXPECT_EQ(laser->dy, c.velocity.y);
            EXPECT_EQ(laser->inFlight, c.inFlightAfter);
        }
    }
}

// Both players stand at the same point.
struct LimitCase {
    const char* name;
    Point at;
    bool dead = false;
    Point after;
};

const LimitCase kLimitCases[] = {
    {.name = "left of the playfield", .at = {-1, 200}, .after = {1, 200}},
    {.name = "on the left edge", .at = {0, 200}, .after = {0, 200}},
    {.name = "past the right limit", .at = {619, 200}, .after = {617, 200}},
    {.name = "on the right limit", .at = {618, 200}, .after = {618, 200}},
    {.name = "above the playfield", .at = {100, -1}, .after = {100, 1}},
    {.name = "past the bottom limit", .at = {300, 449}, .after = {300, 447}},
    {.name = "on the bottom limit", .at = {300, 448}, .after = {300, 448}},
    {.name = "in the zone: 2 down, then 2 left", .at = {175, 148}, .after = {173, 150}},
    {.name = "left of the zone", .at = {174, 148}, .after = {174, 148}},
    {.name = "below the zone", .at = {175, 149}, .after = {175, 149}},
    {.name = "a dead player is pushed too", .at = {-1, 200}, .dead = true, .after = {1, 200}},
};

TEST_F(MotionTest, PlayersArePushedBackByTwoFromTheLimitsAndTheZone) {
    for (const LimitCase& c : kLimitCases) {
        SCOPED_TRACE(c.name);
        for (PlayerState* player : {&game.player1, &game.player2}) {
            PutAt(*player, c.at);
            player->dead = c.dead;
        }
        LimitPlayers(game);
        EXPECT_EQ(PositionOf(game.player1), c.after);
        EXPECT_EQ(PositionOf(game.player2), c.after);
    }
}

// Both players stand at the same point; the flag at its start, (590, 430).
struct PickUpCase {
    const char* name;
    Point at;
    bool dead = false;
    int carrying;
};

const PickUpCase kPickUpCases[] = {
    {.name = "below and right of the flag", .at = {591, 431}, .carrying = 1},
    {.name = "level with the flag's x", .at = {590, 431}, .carrying = 0},
    {.name = "level with the flag's y", .at = {591, 430}, .carrying = 0},
    {.name = "a dead player picks it up too", .at = {591, 431}, .dead = true, .carrying = 1},
};

TEST_F(MotionTest, PlayerBelowAndRightOfTheFlagPicksItUp) {
    for (const PickUpCase& c : kPickUpCases) {
        SCOPED_TRACE(c.name);
        for (PlayerState* player : {&game.player1, &game.player2}) {
            PutAt(*player, c.at);
            player->dead = c.dead;
            player->carryingFlag = 0;
        }
        PickUpFlag(game, &ignoredEvents);
        EXPECT_EQ(game.player1.carryingFlag, c.carrying);
        EXPECT_EQ(game.player2.carryingFlag, c.carrying);
        EXPECT_EQ(RedFlag(), kRedFlagStart);
    }
}

// A wreck's laser, the carried flag and a grenade whose key stays held run
// without bound: they wrap, and the sanitizer fails the test on a signed
// overflow. A wreck's laser that wraps into the zone returns to the wreck.
struct WrapCase {
    const char* name;
    Point wreckLaser;
    Point wreckLaserAfter;
    Point flag;
    FrameInput input;
    Point flagAfter;
};

const WrapCase kWrapCases[] = {
    {.name = "down and right past the largest value",
     .wreckLaser = {kMin + 1, kMin + 2},
     .wreckLaserAfter = {kMax - 1, kMax},
     .flag = {kMax, kMax - 1},
     .input = {.player1 = {.down = true, .right = true, .grenade = true}},
     .flagAfter = {kMin, kMax}},
    {.name = "up and left past the smallest value",
     .wreckLaser = {kMin + 1, -1000},
     .wreckLaserAfter = {500, 300},
     .flag = {kMin, kMin + 1},
     .input = {.player1 = {.up = true, .left = true, .grenade = true}},
     .flagAfter = {kMax, kMin}},
};

TEST_F(MotionTest, UnboundedPositionsWrapAroundTheIntegerRange) {
    for (const WrapCase& c : kWrapCases) {
        SCOPED_TRACE(c.name);
        StartRun();
        PutAt(game.player1, {300, 200});
        game.player1.carryingFlag = 1;
        game.player1.grenade = {.x = kMax - 1, .y = kMax, .dx = 2, .dy = 2, .inFlight = 1};
        game.enemy1.dx = 0;
        game.enemy1.dy = 0;
        PutAt(game.enemy1.laser, c.wreckLaser);
        PutFlagAt(c.flag);
        RunFrames(1, c.input);
        EXPECT_EQ(PositionOf(game.enemy1.laser), c.wreckLaserAfter);
        EXPECT_EQ(RedFlag(), c.flagAfter);
        EXPECT_EQ(PositionOf(game.player1.grenade), (Point{kMin, kMin + 1}));
    }
}

} // namespace
