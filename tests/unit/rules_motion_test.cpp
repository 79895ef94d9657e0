// Motion and bounds: enemy paths and lasers, player limits, flag pick-up, wrapping.
#include "game/motion.h"
#include "rules_test_support.h"

namespace {

struct MotionTest : RulesTest {
    static bool InZone(Pair p) { return p.first >= 175 && p.second <= 148; }
};

// The enemies step alone, so that nothing can destroy them or start a new game.
TEST_F(MotionTest, Enemy1FirstCrossesTheZoneInFrame4795AndEnemy2Leads100Frames) {
    std::vector<Pair> path2{Pos(game.enemy2)};
    Pair previous = Pos(game.enemy1);
    for (int frame = 1; frame <= 5726; ++frame) {
        MoveEnemiesAndLasers(), ReturnEnemyLasersPastEdges(), BounceEnemies();
        const Pair now = Pos(game.enemy1);
        path2.push_back(Pos(game.enemy2));
        if (frame >= 100) {
            ASSERT_EQ(now, path2[frame - 100]) << frame;
        }
        if (frame == 4795) { // across the left side
            ASSERT_EQ(std::pair(previous.first, now), std::pair(174, Pair{175, 145}));
        } else if (frame > 4795) { // inside until frame 5726
            ASSERT_EQ(std::pair(InZone(now), now.second),
                      std::pair(frame < 5726, (frame - 4795) % 2 == 0 ? 145 : 146))
                << frame;
        } else if (InZone(now)) { // before: only from below, turning at once
            ASSERT_EQ(std::tuple(previous.second, now.second, game.enemy1.dy),
                      std::tuple(149, 148, 1))
                << frame;
        }
        previous = now;
    }
    EXPECT_EQ(Pos(game.enemy1), (Pair{174, 146}));
}

// The laser leaves its enemy, reaches the point in the given frame and is back
// on its enemy at the end of that frame.
TEST_F(MotionTest, EnemyLaserReturnsWhenItLeavesThePlayfieldOrEntersTheZone) {
    const std::tuple<Pair, int, Pair> cases[] = {
        // enemy, frames, point
        {{500, 300}, 51, {347, 147}}, // into the zone
        {{100, 400}, 38, {-14, 286}}, // past the left edge
        {{200, 180}, 65, {5, -15}},   // past the top edge
    };
    for (const auto& [enemy, frames, point] : cases) {
        SCOPED_TRACE(testing::Message() << "to " << point.first << "," << point.second);
        Fresh({10, 440}), Place(game.player2, {60, 440}); // off the lasers' paths
        Place(game.enemy1, enemy), Place(game.enemy1.laser, enemy);
        RunFrames(frames - 1);
        ASSERT_EQ(Pos(game.enemy1.laser), Plus(point, {3, 3}));
        RunFrames(1);
        const Pair now = Plus(enemy, {frames, frames});
        EXPECT_EQ(std::pair(Pos(game.enemy1), Pos(game.enemy1.laser)), std::pair(now, now));
    }
}

// Checkpoints: frame, x, y. No frame ends in the zone; A and S move Player 2.
TEST_F(MotionTest, PlayerPushedBackFromTheLimitsAndSlidingAlongTheZone) {
    const std::tuple<SDLKey, Pair, std::vector<std::array<int, 3>>> cases[] = {
        {SDLK_a, {0, 200}, {{1, 1, 200}, {2, 0, 200}, {3, 1, 200}}},
        {SDLK_RIGHT, {618, 200}, {{1, 617, 200}, {2, 618, 200}, {3, 617, 200}}},
        {SDLK_UP, {100, 0}, {{1, 100, 1}, {2, 100, 0}, {3, 100, 1}}},
        {SDLK_s, {100, 448}, {{1, 100, 447}, {2, 100, 448}, {3, 100, 447}}},
        {SDLK_RIGHT, {174, 100}, {{1, 173, 102}, {49, 173, 150}, {50, 174, 150}, {60, 184, 150}}},
        {SDLK_UP, {200, 149}, {{1, 198, 150}, {25, 174, 150}, {26, 174, 149}, {30, 174, 145}}},
    };
    for (const auto& [key, start, checkpoints] : cases) {
        SCOPED_TRACE(testing::Message() << "key " << key << " from " << start.first);
        PlayerState& player = key < SDLK_UP ? game.player2 : game.player1;
        Fresh(), Place(player, start);
        int frame = 0;
        for (const auto& [at, x, y] : checkpoints) {
            for (; frame < at; ++frame) {
                RunFrames(1, Keys({key}));
                ASSERT_FALSE(InZone(Pos(player))) << "frame " << frame + 1;
            }
            EXPECT_EQ(Pos(player), (Pair{x, y})) << "frame " << at;
        }
    }
}

TEST_F(MotionTest, PlayerBelowAndRightOfTheFlagPicksItUpDeadOrAlive) {
    const std::tuple<int, int, Pair, int> cases[] = {
        // player, dead, position; carrying afterwards
        {1, 0, {591, 431}, 1}, {1, 0, {590, 431}, 0}, {1, 0, {591, 430}, 0},
        {2, 0, {591, 431}, 1}, {1, 1, {591, 431}, 1},
    };
    for (const auto& [player, dead, at, carries] : cases) {
        SCOPED_TRACE(testing::Message() << "P" << player << " at " << at.first << "," << at.second);
        PlayerState& p = player == 1 ? game.player1 : game.player2;
        Fresh(), Place(p, at), p.dead = dead, RunFrames(1); // the flag starts at 590, 430
        EXPECT_EQ(std::tuple(game.player1.carryingFlag, game.player2.carryingFlag, Flag()),
                  std::tuple(player == 1 ? carries : 0, player == 2 ? carries : 0, Pair{590, 430}));
    }
}

// Unbounded positions wrap; the sanitizer fails the test on signed overflow. A
// wreck's laser wrapped into the zone returns to the wreck at 500, 300.
TEST_F(MotionTest, UnboundedPositionsWrapAroundTheIntegerRange) {
    const std::tuple<Pair, Pair, std::int32_t, KeyState, std::int32_t> cases[] = {
        // wreck's laser from, to; carried flag from (on both axes), keys, to
        {{kMin + 1, kMin + 2}, {kMax - 1, kMax}, kMax, Keys({SDLK_RIGHT, SDLK_DOWN}), kMin},
        {{kMin + 1, -1000}, {500, 300}, kMin, Keys({SDLK_LEFT, SDLK_UP}), kMax}};
    for (const auto& [from, to, flagFrom, keys, flagTo] : cases) {
        Fresh({300, 300}), game.player1.carryingFlag = 1;
        game.enemy1.dx = game.enemy1.dy = 0, Place(game.enemy1.laser, from);
        game.redFlagX = game.redFlagY = flagFrom;
        game.player1.grenade = Projectile{kMax - 1, kMax, 2, 2, 1};
        RunFrames(1, keys);
        EXPECT_EQ(std::tuple(Pos(game.enemy1.laser), Flag(), Pos(game.player1.grenade)),
                  std::tuple(to, Pair{flagTo, flagTo}, Pair{kMin, kMin + 1}));
    }
}

} // namespace
