// Hits and scoring: the hit box, the order of the twelve tests, kills,
// deaths, the streak value and the grenade exit.
#include "rules_test_support.h"

#include <algorithm>

namespace {

using HitsTest = GameTest;

// A fresh game with Player 1 standing at (300, 300).
void Start() {
    Fresh();
    game.player1.x = 300, game.player1.y = 300;
}

// Puts an alive enemy, and its laser, where this frame's motion brings it.
void EnemyArrivesAt(EnemyState& enemy, std::int32_t x, std::int32_t y) {
    enemy.x = enemy.laser.x = x - 1, enemy.y = enemy.laser.y = y - 1;
    enemy.dx = enemy.dy = 1;
}

// A laser in flight far from every enemy, so that the grenade resting with
// its owner is the one that meets an enemy.
void LaserAway(PlayerState& player) {
    player.laser = Projectile{10, 200, 3, 3, 1};
}

TEST_F(HitsTest, PointHitsOnlyStrictlyInsideTheBox) {
    struct {
        Pair offset; // the point relative to the target's corner
        bool hits;
    } const cases[] = {{{0, 0}, false}, {{1, 1}, true},   {{31, 31}, true}, {{31, 1}, true},
                       {{1, 31}, true}, {{32, 1}, false}, {{1, 32}, false}, {{0, 5}, false},
                       {{5, 0}, false}, {{32, 32}, false}};
    for (const auto& [offset, hits] : cases) {
        const auto [dx, dy] = offset;
        SCOPED_TRACE(testing::Message() << "offset " << dx << "," << dy);
        Start(); // Player 1's resting laser against enemy 1
        EnemyArrivesAt(game.enemy1, 300 - dx, 300 - dy);
        RunFrames(1);
        EXPECT_EQ((Pair{game.enemy1.dx == 0, game.player1.exp}), (Pair{hits, hits ? 23 : 0}));
        Start(); // enemy 1's laser against Player 1
        EnemyArrivesAt(game.enemy1, 450, 420);
        game.enemy1.laser.x = 303 + dx, game.enemy1.laser.y = 303 + dy;
        RunFrames(1);
        EXPECT_EQ(game.player1.dead, hits ? 1 : 0);
        EXPECT_EQ(Pos(game.enemy1.laser), (hits ? Pair{450, 420} : Pair{300 + dx, 300 + dy}));
    }
}

// After the k-th kill of a streak the bounty is (3^(k+1) - 3) / 2, held at
// the largest 32-bit value; the kill earns 20 or 40 plus it.
std::int64_t StreakBounty(int kill) {
    std::int64_t power = 3;
    for (int i = 0; i < kill; ++i) {
        power *= 3;
    }
    return std::min<std::int64_t>((power - 3) / 2, kMax);
}

TEST_F(HitsTest, StreakRaisesBountyAndEarnsExperienceUpToTheLimit) {
    const std::int32_t table[][3] = {// bounty, laser exp, grenade exp
                                     {3, 23, 43},
                                     {12, 32, 52},
                                     {39, 59, 79},
                                     {120, 140, 160},
                                     {363, 383, 403}};
    for (bool grenade : {false, true}) {
        Start();
        std::int64_t exp = 0;
        for (int kill = 1; kill <= 20; ++kill) {
            SCOPED_TRACE(testing::Message() << (grenade ? "grenade" : "laser") << " kill " << kill);
            EnemyArrivesAt(game.enemy1, 290, 290);
            if (grenade) {
                LaserAway(game.player1);
            }
            const std::int32_t before = game.player1.exp;
            RunFrames(1);
            ASSERT_EQ(game.enemy1.dx, 0);
            exp = std::min<std::int64_t>(exp + (grenade ? 40 : 20) + StreakBounty(kill), kMax);
            EXPECT_EQ(game.player1.bounty, StreakBounty(kill));
            EXPECT_EQ(game.player1.exp, exp);
            if (kill <= 5) {
                EXPECT_EQ(game.player1.bounty, table[kill - 1][0]);
                EXPECT_EQ(game.player1.exp - before, table[kill - 1][grenade ? 2 : 1]);
            }
            if (kill == 19) { // from exp 0, exp passes the 32-bit range here
                EXPECT_EQ((Pair{game.player1.exp, game.player1.bounty}), (Pair{kMax, 1743392199}));
            }
        }
        // The bounty passes the 32-bit range at the 20th kill.
        EXPECT_EQ((Pair{game.player1.exp, game.player1.bounty}), (Pair{kMax, kMax}));
    }
    // Both additions are clamped: exactly at the limit, and one past it.
    for (const auto& [exp, end] : {Pair{kMax - 23, kMax}, Pair{kMax - 22, kMax}, Pair{7, 30}}) {
        Start();
        game.player1.exp = exp;
        EnemyArrivesAt(game.enemy1, 290, 290);
        RunFrames(1);
        EXPECT_EQ((Pair{game.player1.exp, game.player1.bounty}), (Pair{end, 3}));
    }
}

TEST_F(HitsTest, WorkedRunLaserKillGrenadeKillThenHit) {
    Start();
    EnemyArrivesAt(game.enemy1, 290, 290);
    RunFrames(1);
    EXPECT_EQ((Pair{game.player1.exp, game.player1.bounty}), (Pair{23, 3}));
    EXPECT_EQ((Pair{game.enemy1.wreckX, game.enemy1.wreckY}), (Pair{290, 290}));
    EnemyArrivesAt(game.enemy2, 295, 295);
    LaserAway(game.player1);
    RunFrames(1);
    EXPECT_EQ((Pair{game.player1.exp, game.player1.bounty}), (Pair{75, 12}));
    game.enemy2.laser.x = 313, game.enemy2.laser.y = 313;
    RunFrames(1);
    EXPECT_EQ((Pair{game.player1.exp, game.player1.bounty}), (Pair{75, 0}));
    EXPECT_EQ(game.player1.dead, 1);
}

TEST_F(HitsTest, OneProjectileDestroysBothEnemies) {
    for (bool grenade : {false, true}) {
        SCOPED_TRACE(grenade ? "grenade" : "laser");
        Start();
        EnemyArrivesAt(game.enemy1, 290, 290);
        EnemyArrivesAt(game.enemy2, 295, 295);
        if (grenade) {
            LaserAway(game.player1);
        }
        RunFrames(1);
        EXPECT_EQ((Pair{game.enemy1.dx, game.enemy2.dx}), (Pair{0, 0}));
        EXPECT_EQ((Pair{game.enemy2.wreckX, game.enemy2.wreckY}), (Pair{295, 295}));
        EXPECT_EQ((Pair{game.player1.exp, game.player1.bounty}),
                  (Pair{grenade ? 43 + 52 : 23 + 32, 12}));
        EXPECT_EQ((Pair{game.player1.blastX, game.player1.blastY}),
                  (grenade ? Pair{295, 295} : Pair{kParked, kParked}));
    }
}

TEST_F(HitsTest, FirstProjectileInOrderTakesTheEnemy) {
    struct {
        bool aimed[4]; // Player 1's laser, Player 2's laser, Player 1's grenade, Player 2's
        int first;     // the one that takes the enemy
    } const cases[] = {{{true, true, false, false}, 0},
                       {{false, true, true, false}, 1},
                       {{false, false, true, true}, 2},
                       {{false, false, false, true}, 3},
                       {{true, true, true, true}, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "first " << c.first);
        Start();
        game.player1.x = 50, game.player1.y = 400;
        game.player2.x = 100, game.player2.y = 440;
        EnemyArrivesAt(game.enemy1, 300, 300);
        Projectile* shots[] = {&game.player1.laser, &game.player2.laser, &game.player1.grenade,
                               &game.player2.grenade};
        for (int i = 0; i < 4; ++i) {
            const std::int32_t speed = i < 2 ? 3 : 2;
            if (c.aimed[i]) { // lands 10 pixels inside the enemy's box
                *shots[i] = Projectile{310 - speed, 310 - speed, speed, speed, 1};
            }
        }
        RunFrames(1);
        EXPECT_EQ(game.enemy1.dx, 0);
        for (int i = 0; i < 4; ++i) {
            if (c.aimed[i]) { // the others fly on from the same point
                EXPECT_EQ(shots[i]->inFlight, i == c.first ? 0 : 1) << "shot " << i;
                EXPECT_EQ(Pos(*shots[i]), (Pair{310, 310})) << "shot " << i;
            }
        }
        const std::int32_t earned = c.first < 2 ? 23 : 43;
        EXPECT_EQ((Pair{game.player1.exp, game.player2.exp}),
                  (c.first % 2 == 0 ? Pair{earned, 0} : Pair{0, earned}));
    }
}

// An enemy walking into a player meets his resting projectiles, dead or not.
TEST_F(HitsTest, EnemyWalkingIntoAPlayerMeetsHisProjectiles) {
    struct {
        int ownerDead;
        bool laserAway, laserAimed, grenadeKill;
    } const cases[] = {
        {0, false, false, false}, // resting laser
        {0, true, false, true},   // resting grenade, laser in flight elsewhere
        {1, false, false, false}, {1, true, false, true},
        {1, false, true, false}, // a laser fired before its owner died
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases);
        Start();
        game.player1.dead = c.ownerDead;
        EnemyArrivesAt(game.enemy1, 290, 290);
        if (c.laserAway) {
            LaserAway(game.player1);
        }
        if (c.laserAimed) {
            game.player1.laser = Projectile{302, 302, 3, 3, 1};
        }
        RunFrames(1);
        EXPECT_EQ(game.enemy1.dx, 0);
        EXPECT_EQ(game.player1.exp, c.grenadeKill ? 43 : 23);
        EXPECT_EQ(game.player1.laser.inFlight, c.laserAway ? 1 : 0);
        EXPECT_EQ((Pair{game.player1.blastX, game.player1.blastY}),
                  (c.grenadeKill ? Pair{290, 290} : Pair{kParked, kParked}));
    }
}

TEST_F(HitsTest, EnemyLaserKillsAndWipesTheBountyEvenOfTheDead) {
    // Living target; dead target; the laser of a destroyed enemy.
    for (const auto& [alreadyDead, enemyDestroyed] : {Pair{0, 0}, Pair{1, 0}, Pair{0, 1}}) {
        SCOPED_TRACE(testing::Message() << "dead " << alreadyDead << ", " << enemyDestroyed);
        Start();
        game.player1.exp = 75, game.player1.bounty = 12, game.player1.dead = alreadyDead;
        EnemyArrivesAt(game.enemy1, 450, 420);
        if (enemyDestroyed) {
            game.enemy1.x = 450, game.enemy1.y = 420, game.enemy1.dx = game.enemy1.dy = 0;
        }
        game.enemy1.laser.x = 313, game.enemy1.laser.y = 313;
        RunFrames(1);
        EXPECT_EQ(game.player1.dead, 1);
        EXPECT_EQ((Pair{game.player1.corpseX, game.player1.corpseY}), (Pair{300, 300}));
        EXPECT_EQ(Pos(game.enemy1.laser), (Pair{450, 420}));
        EXPECT_EQ((Pair{game.player1.exp, game.player1.bounty}), (Pair{75, 0}));
    }
}

TEST_F(HitsTest, OneEnemyLaserKillsBothPlayersInOneFrame) {
    game.player1.x = 100, game.player1.y = 300;
    game.player2.x = 300, game.player2.y = 300;
    EnemyArrivesAt(game.enemy1, 310, 310); // strictly inside Player 2's box
    game.enemy1.laser.x = 113, game.enemy1.laser.y = 313;
    RunFrames(1);
    EXPECT_EQ((Pair{game.player1.dead, game.player2.dead}), (Pair{1, 1}));
    EXPECT_EQ((Pair{game.player2.corpseX, game.player2.corpseY}), (Pair{300, 300}));
    EXPECT_EQ(Pos(game.enemy1.laser), (Pair{310, 310}));
    EXPECT_EQ(game.restartCountdown, 99); // the both-dead countdown ran at once
}

TEST_F(HitsTest, GrenadeFlightEndsPast640OnBothAxes) {
    struct {
        Pair from;
        int inFlight;
    } const cases[] = {
        {{638, 100}, 1}, {{639, 100}, 0}, {{100, 638}, 1}, {{100, 639}, 0}, {{100, 479}, 1}};
    for (const auto& [from, inFlight] : cases) {
        SCOPED_TRACE(testing::Message() << "from " << from.first << "," << from.second);
        Start();
        game.player1.x = 10, game.player1.y = 400;
        game.player1.grenade = Projectile{from.first, from.second, 2, 2, 1};
        RunFrames(1);
        EXPECT_EQ(Pos(game.player1.grenade), (Pair{from.first + 2, from.second + 2}));
        EXPECT_EQ(game.player1.grenade.inFlight, inFlight);
    }
}

} // namespace
