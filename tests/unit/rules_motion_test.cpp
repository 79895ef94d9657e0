// Motion and bounds: enemy paths and bounces, enemy-laser returns, player
// limits and the obstacle zone, the flag pick-up, the players' laser bounds
// and the positions that run without bound.
#include "game/motion.h"
#include "rules_test_support.h"

namespace {

using MotionTest = GameTest;

bool InZone(Pair p) {
    return p.first >= 175 && p.second <= 148;
}

TEST_F(MotionTest, EnemyTurnsAtTheExactEdgesAndOffTheZone) {
    struct {
        Pair from, velocity, to, turned;
    } const cases[] = {
        {{639, 300}, {1, 1}, {640, 301}, {-1, 1}},  // right edge
        {{1, 300}, {-1, 1}, {0, 301}, {1, 1}},      // left edge
        {{300, 479}, {1, 1}, {301, 480}, {1, -1}},  // bottom edge
        {{100, 1}, {1, -1}, {101, 0}, {1, 1}},      // top edge
        {{639, 479}, {1, 1}, {640, 480}, {-1, -1}}, // corner
        {{174, 100}, {1, 1}, {175, 101}, {1, -1}},  // into the zone from the left
        {{201, 149}, {1, -1}, {202, 148}, {1, 1}},  // into the zone from below
        {{200, 150}, {1, -1}, {201, 149}, {1, -1}}, // just below it
        {{300, 1}, {1, -1}, {301, 0}, {1, -1}},     // top edge inside the zone: cancels
        {{639, 101}, {1, 1}, {640, 102}, {-1, -1}}, // right edge inside the zone
        {{300, 300}, {0, 0}, {300, 300}, {0, 0}},   // destroyed: stands still
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << c.from.first << "," << c.from.second);
        Fresh();
        std::tie(game.enemy1.x, game.enemy1.y) = c.from;
        std::tie(game.enemy1.dx, game.enemy1.dy) = c.velocity;
        RunFrames(1);
        EXPECT_EQ(Pos(game.enemy1), c.to);
        EXPECT_EQ((Pair{game.enemy1.dx, game.enemy1.dy}), c.turned);
    }
}

// The enemy steps alone: nothing can destroy the enemies or start a new game.
void EnemyFrame() {
    MoveEnemiesAndLasers();
    ReturnEnemyLasersPastEdges();
    BounceEnemies();
}

TEST_F(MotionTest, UndisturbedEnemy1FirstCrossesTheZoneFromFrame4795) {
    Pair previous = Pos(game.enemy1);
    for (int frame = 1; frame <= 5726; ++frame) {
        EnemyFrame();
        const Pair now = Pos(game.enemy1);
        if (frame < 4795 && InZone(now)) {
            // Until then it only meets the zone from below and turns at once.
            ASSERT_EQ((Pair{previous.second, now.second}), (Pair{149, 148})) << frame;
            ASSERT_EQ(game.enemy1.dy, 1) << frame;
        } else if (frame == 4795) {
            ASSERT_EQ(now, (Pair{175, 145}));
            ASSERT_EQ(previous.first, 174); // across the left side
        } else if (frame > 4795 && frame <= 5725) {
            ASSERT_TRUE(InZone(now)) << frame;
            ASSERT_EQ(now.second, (frame - 4795) % 2 == 0 ? 145 : 146) << frame;
        } else if (frame == 5726) {
            ASSERT_EQ(now, (Pair{174, 146}));
        }
        previous = now;
    }
}

TEST_F(MotionTest, Enemy2RunsEnemy1sPathAHundredFramesAhead) {
    std::vector<EnemyState> path1{game.enemy1}, path2{game.enemy2};
    for (int frame = 1; frame <= 6100; ++frame) {
        EnemyFrame();
        path1.push_back(game.enemy1);
        path2.push_back(game.enemy2);
    }
    for (int frame = 0; frame <= 6000; ++frame) {
        const EnemyState& ahead = path2[frame];
        const EnemyState& behind = path1[frame + 100];
        ASSERT_EQ(Pos(ahead), Pos(behind)) << frame;
        ASSERT_EQ((Pair{ahead.dx, ahead.dy}), (Pair{behind.dx, behind.dy})) << frame;
    }
}

// The laser leaves from its enemy and reaches the point in the given frame;
// it returns to its enemy in that frame, or flies on.
TEST_F(MotionTest, EnemyLaserReturnsWhenItLeavesThePlayfieldOrEntersTheZone) {
    struct {
        Pair enemy;
        bool alive;
        int frames;
        Pair point;
        bool returns;
    } const cases[] = {
        {{500, 300}, true, 51, {347, 147}, true},   // into the zone
        {{100, 400}, true, 38, {-14, 286}, true},   // past the left edge
        {{200, 180}, true, 65, {5, -15}, true},     // past the top edge
        {{500, 300}, false, 51, {347, 147}, true},  // a wreck keeps shooting
        {{100, 400}, false, 38, {-14, 286}, false}, // but not past the edges
        {{178, 151}, false, 1, {175, 148}, true},   // held fire below the zone
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "to " << c.point.first << "," << c.point.second);
        Fresh();
        game.player1.x = 10, game.player1.y = 440;
        game.player2.x = 60, game.player2.y = 440;
        std::tie(game.enemy1.x, game.enemy1.y) = c.enemy;
        std::tie(game.enemy1.laser.x, game.enemy1.laser.y) = c.enemy;
        game.enemy1.dx = game.enemy1.dy = c.alive ? 1 : 0;
        RunFrames(c.frames - 1);
        ASSERT_EQ(Pos(game.enemy1.laser), (Pair{c.point.first + 3, c.point.second + 3}));
        RunFrames(1);
        const std::int32_t moved = c.alive ? c.frames : 0;
        EXPECT_EQ(Pos(game.enemy1), (Pair{c.enemy.first + moved, c.enemy.second + moved}));
        EXPECT_EQ(Pos(game.enemy1.laser), c.returns ? Pos(game.enemy1) : c.point);
    }
}

TEST_F(MotionTest, PlayerPressingAgainstALimitAlternatesOnAndInsideIt) {
    struct {
        int player;
        Pair start;
        SDLKey key;
        bool onX;               // the limit is on the x axis
        std::int32_t odd, even; // that coordinate after odd and even frames
        bool flipsLaser;        // stepping to -1 reverses the resting laser
    } const cases[] = {
        {1, {0, 200}, SDLK_LEFT, true, 1, 0, true},
        {1, {618, 200}, SDLK_RIGHT, true, 617, 618, false},
        {1, {100, 0}, SDLK_UP, false, 1, 0, true},
        {1, {100, 448}, SDLK_DOWN, false, 447, 448, false},
        {2, {0, 300}, SDLK_a, true, 1, 0, true},
        {2, {300, 448}, SDLK_s, false, 447, 448, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "player " << c.player << ", key " << c.key);
        Fresh();
        PlayerState& player = c.player == 1 ? game.player1 : game.player2;
        std::tie(player.x, player.y) = c.start;
        for (int frame = 1; frame <= 8; ++frame) {
            RunFrames(1, Keys({c.key}));
            const std::int32_t limited = frame % 2 ? c.odd : c.even;
            const Pair expected =
                c.onX ? Pair{limited, c.start.second} : Pair{c.start.first, limited};
            ASSERT_EQ(Pos(player), expected) << frame;
            // The step to -1 of every odd frame reverses the resting laser.
            const bool reversed = c.flipsLaser && ((frame + 1) / 2) % 2 == 1;
            ASSERT_EQ(c.onX ? player.laser.dx : player.laser.dy, reversed ? -3 : 3) << frame;
        }
    }
}

// Checkpoints: frame, position after it. The resting laser steps into the
// zone with its owner in frame 1, before the push, and is reversed there.
TEST_F(MotionTest, PlayerSlidesAlongTheZoneUntilPastIt) {
    using Checkpoints = std::vector<std::pair<int, Pair>>;
    const Checkpoints right = {
        {1, {173, 102}}, {2, {174, 102}}, {49, {173, 150}}, {50, {174, 150}}, {60, {184, 150}}};
    const Checkpoints up = {
        {1, {198, 150}}, {2, {198, 149}}, {25, {174, 150}}, {26, {174, 149}}, {30, {174, 145}}};
    for (const auto& [key, start, checkpoints] :
         {std::tuple{SDLK_RIGHT, Pair{174, 100}, right}, std::tuple{SDLK_UP, Pair{200, 149}, up}}) {
        SCOPED_TRACE(testing::Message() << "key " << key);
        Fresh();
        std::tie(game.player1.x, game.player1.y) = start;
        int frame = 0;
        for (const auto& [at, position] : checkpoints) {
            for (; frame < at; ++frame) {
                RunFrames(1, Keys({key}));
                ASSERT_FALSE(InZone(Pos(game.player1))) << "frame " << frame + 1;
                ASSERT_TRUE(frame > 0 || game.player1.laser.dy == -3);
            }
            EXPECT_EQ(Pos(game.player1), position) << "frame " << at;
        }
    }
}

TEST_F(MotionTest, PlayerBelowAndRightOfTheFlagPicksItUp) {
    struct {
        int player, dead;
        Pair start;
        std::vector<SDLKey> keys;
        Pair flag;
        int carries;
    } const cases[] = {
        {1, 0, {591, 431}, {}, {590, 430}, 1},
        {1, 0, {590, 431}, {}, {590, 430}, 0},
        {1, 0, {591, 430}, {}, {590, 430}, 0},
        {1, 0, {617, 448}, {SDLK_DOWN}, {590, 447}, 0},  // pushed back to 447 first
        {1, 0, {618, 300}, {SDLK_RIGHT}, {617, 200}, 0}, // pushed back to 617 first
        {2, 0, {591, 431}, {}, {590, 430}, 1},
        {1, 1, {591, 431}, {}, {590, 430}, 1}, // the dead pick it up too
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases);
        Fresh();
        PlayerState& player = c.player == 1 ? game.player1 : game.player2;
        PlayerState& other = c.player == 1 ? game.player2 : game.player1;
        std::tie(player.x, player.y) = c.start;
        player.dead = c.dead;
        std::tie(game.redFlagX, game.redFlagY) = c.flag;
        RunFrames(1, Held(c.keys));
        EXPECT_EQ((Pair{player.carryingFlag, other.carryingFlag}), (Pair{c.carries, 0}));
        EXPECT_EQ((Pair{game.redFlagX, game.redFlagY}), c.flag);
    }
}

TEST_F(MotionTest, PlayersLaserReflectsAtLeftTopAndZoneAndEndsPastRightOrBottom) {
    struct {
        Projectile start;
        int frames;
        Projectile end;
    } const cases[] = {
        {{1, 300, -3, 3, 1}, 1, {-2, 303, -3, 3, 1}},   // beyond the left edge
        {{1, 300, -3, 3, 1}, 2, {1, 306, 3, 3, 1}},     // then reflected
        {{100, 1, 3, -3, 1}, 2, {106, 1, 3, 3, 1}},     // reflected at the top
        {{640, 200, 3, 3, 1}, 1, {643, 203, 3, 3, 1}},  // 640 still flies
        {{638, 200, 3, 3, 1}, 2, {641, 203, 3, 3, 0}},  // 641 ends
        {{300, 480, 3, 3, 1}, 1, {303, 483, 3, 3, 1}},  // 480 still flies
        {{300, 478, 3, 3, 1}, 2, {303, 481, 3, 3, 0}},  // 481 ends
        {{300, 152, 3, -3, 1}, 3, {309, 149, 3, 3, 1}}, // off the zone's lower side
        {{170, 100, 3, 3, 1}, 4, {182, 106, 3, 3, 1}},  // across the zone, y alternating
        {{170, 100, 3, 3, 1}, 5, {185, 103, 3, -3, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases);
        Fresh();
        game.player1.x = 10, game.player1.y = 400;
        game.player1.laser = c.start;
        RunFrames(c.frames);
        const Projectile& laser = game.player1.laser;
        EXPECT_EQ(Pos(laser), Pos(c.end));
        EXPECT_EQ((Pair{laser.dx, laser.dy}), (Pair{c.end.dx, c.end.dy}));
        EXPECT_EQ(laser.inFlight, c.end.inFlight);
    }
}

// Positions without a bound wrap as two's complement; the sanitizer build
// turns any signed overflow on the way into a failure.
TEST_F(MotionTest, UnboundedPositionsWrapAroundTheIntegerRange) {
    // A destroyed enemy's laser; wrapped into the zone it returns to the wreck.
    for (const auto& [start, end] : {std::pair{Pair{kMin + 1, kMin + 2}, Pair{kMax - 1, kMax}},
                                     std::pair{Pair{kMin + 1, -1000}, Pair{500, 300}}}) {
        Fresh();
        game.enemy1.dx = game.enemy1.dy = 0;
        std::tie(game.enemy1.laser.x, game.enemy1.laser.y) = start;
        RunFrames(1);
        EXPECT_EQ(Pos(game.enemy1.laser), end);
    }
    // The carried flag.
    for (const auto& [key, start, end] :
         {std::tuple{SDLK_RIGHT, Pair{kMax, 100}, Pair{kMin, 100}},
          std::tuple{SDLK_LEFT, Pair{kMin, 100}, Pair{kMax, 100}},
          std::tuple{SDLK_UP, Pair{100, kMin}, Pair{100, kMax}},
          std::tuple{SDLK_DOWN, Pair{100, kMax}, Pair{100, kMin}}}) {
        Fresh();
        game.player1.x = 300, game.player1.y = 300, game.player1.carryingFlag = 1;
        std::tie(game.redFlagX, game.redFlagY) = start;
        RunFrames(1, Keys({key}));
        EXPECT_EQ((Pair{game.redFlagX, game.redFlagY}), end);
    }
    // A grenade kept flying by its key.
    Fresh();
    game.player1.x = 300, game.player1.y = 300;
    game.player1.grenade = Projectile{kMax - 1, kMax, 2, 2, 1};
    RunFrames(1, Keys({SDLK_RALT}));
    EXPECT_EQ(Pos(game.player1.grenade), (Pair{kMin, kMin + 1}));
}

} // namespace
