// Hits and scoring: the hit box, the order of the twelve tests, kills,
// deaths, the streak value and the grenade exit.
#include "game_fixture.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

using Pair = std::pair<std::int32_t, std::int32_t>;

class HitsTest : public GameTest {
  protected:
    static void Fresh() {
        game = GameState{};
        SetStartValues();
    }
    // Puts an alive enemy, and its laser, where this frame's motion brings
    // it to (x, y).
    static void EnemyArrivesAt(EnemyState& enemy, std::int32_t x, std::int32_t y) {
        enemy.x = x - 1, enemy.y = y - 1;
        enemy.dx = enemy.dy = 1;
        enemy.laser.x = x - 1, enemy.laser.y = y - 1;
    }
    // A laser in flight far from every enemy, so that the grenade resting
    // with its owner is the one that meets an enemy.
    static void LaserAway(PlayerState& player) { player.laser = Projectile{10, 200, 3, 3, 1}; }
};

Pair Pos(const Projectile& p) {
    return {p.x, p.y};
}

struct CornerCase {
    std::int32_t dx, dy; // the point relative to the target's corner
    bool hits;
};

TEST_F(HitsTest, PointHitsOnlyStrictlyInsideTheBox) {
    const std::vector<CornerCase> cases = {
        {0, 0, false},  {1, 1, true},   {31, 31, true}, {31, 1, true}, {1, 31, true},
        {32, 1, false}, {1, 32, false}, {0, 5, false},  {5, 0, false}, {32, 32, false},
    };
    for (const CornerCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "offset " << c.dx << "," << c.dy);
        // Player 1's resting laser against enemy 1.
        Fresh();
        game.player1.x = 300, game.player1.y = 300;
        EnemyArrivesAt(game.enemy1, 300 - c.dx, 300 - c.dy);
        RunFrames(1);
        EXPECT_EQ(game.enemy1.dx == 0, c.hits);
        EXPECT_EQ(game.player1.exp, c.hits ? 23 : 0);
        // Enemy 1's laser against Player 1.
        Fresh();
        game.player1.x = 300, game.player1.y = 300;
        EnemyArrivesAt(game.enemy1, 450, 420);
        game.enemy1.laser.x = 303 + c.dx, game.enemy1.laser.y = 303 + c.dy;
        RunFrames(1);
        EXPECT_EQ(game.player1.dead, c.hits ? 1 : 0);
        EXPECT_EQ(Pos(game.enemy1.laser), (c.hits ? Pair{450, 420} : Pair{300 + c.dx, 300 + c.dy}));
    }
}

// The streak: after the k-th kill the bounty is (3^(k+1) - 3) / 2, held at
// the largest 32-bit value, and the kill earns 20 or 40 plus it.
std::int64_t StreakBounty(int kill) {
    std::int64_t power = 1;
    for (int i = 0; i <= kill; ++i) {
        power *= 3;
    }
    return std::min<std::int64_t>((power - 3) / 2, kMax);
}

TEST_F(HitsTest, StreakRaisesBountyAndEarnsExperience) {
    struct Row {
        std::int32_t bounty, laserExp, grenadeExp;
    };
    const Row table[] = {{3, 23, 43}, {12, 32, 52}, {39, 59, 79}, {120, 140, 160}, {363, 383, 403}};
    for (bool grenade : {false, true}) {
        SCOPED_TRACE(grenade ? "grenade" : "laser");
        Fresh();
        game.player1.x = 300, game.player1.y = 300;
        std::int64_t exp = 0;
        for (int kill = 1; kill <= 20; ++kill) {
            SCOPED_TRACE(testing::Message() << "kill " << kill);
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
                const Row& row = table[kill - 1];
                EXPECT_EQ(game.player1.bounty, row.bounty);
                EXPECT_EQ(game.player1.exp - before, grenade ? row.grenadeExp : row.laserExp);
            }
            if (kill == 19) {
                EXPECT_EQ(game.player1.bounty, 1743392199);
                EXPECT_EQ(game.player1.exp, kMax); // from 0, exp passes the range here
            }
            if (kill == 20) {
                EXPECT_EQ(game.player1.bounty, kMax);
            }
        }
    }
}

TEST_F(HitsTest, WorkedRunLaserKillGrenadeKillThenHit) {
    game.player1.x = 300, game.player1.y = 300;
    EnemyArrivesAt(game.enemy1, 290, 290);
    RunFrames(1);
    EXPECT_EQ((Pair{game.player1.exp, game.player1.bounty}), (Pair{23, 3}));
    EXPECT_EQ((Pair{game.enemy1.wreckX, game.enemy1.wreckY}), (Pair{290, 290}));

    EnemyArrivesAt(game.enemy2, 295, 295);
    LaserAway(game.player1);
    RunFrames(1);
    EXPECT_EQ((Pair{game.player1.exp, game.player1.bounty}), (Pair{75, 12}));
    EXPECT_EQ((Pair{game.player1.blastX, game.player1.blastY}), (Pair{295, 295}));

    // The destroyed enemy 1's laser still kills, and goes back to the wreck.
    game.enemy1.laser.x = 313, game.enemy1.laser.y = 313;
    RunFrames(1);
    EXPECT_EQ((Pair{game.player1.exp, game.player1.bounty}), (Pair{75, 0}));
    EXPECT_EQ(game.player1.dead, 1);
    EXPECT_EQ(Pos(game.enemy1.laser), (Pair{290, 290}));
}

TEST_F(HitsTest, OneProjectileDestroysBothEnemies) {
    for (bool grenade : {false, true}) {
        SCOPED_TRACE(grenade ? "grenade" : "laser");
        Fresh();
        game.player1.x = 300, game.player1.y = 300;
        EnemyArrivesAt(game.enemy1, 290, 290);
        EnemyArrivesAt(game.enemy2, 295, 295);
        if (grenade) {
            LaserAway(game.player1);
        }
        RunFrames(1);
        EXPECT_EQ((Pair{game.enemy1.dx, game.enemy2.dx}), (Pair{0, 0}));
        EXPECT_EQ((Pair{game.enemy2.wreckX, game.enemy2.wreckY}), (Pair{295, 295}));
        EXPECT_EQ(game.player1.bounty, 12);
        EXPECT_EQ(game.player1.exp, grenade ? 43 + 52 : 23 + 32);
        EXPECT_EQ((Pair{game.player1.blastX, game.player1.blastY}),
                  (grenade ? Pair{295, 295} : Pair{kParked, kParked}));
    }
}

struct OrderCase {
    const char* name;
    bool aimed[4]; // Player 1's laser, Player 2's laser, Player 1's grenade, Player 2's
    int first;     // the one that takes the enemy
};

TEST_F(HitsTest, FirstProjectileInOrderTakesTheEnemy) {
    const std::vector<OrderCase> cases = {
        {"both lasers", {true, true, false, false}, 0},
        {"player 2's laser before player 1's grenade", {false, true, true, false}, 1},
        {"both grenades", {false, false, true, true}, 2},
        {"player 2 alone", {false, false, false, true}, 3},
        {"all four", {true, true, true, true}, 0},
    };
    for (const OrderCase& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        game.player1.x = 50, game.player1.y = 400;
        game.player2.x = 100, game.player2.y = 440;
        EnemyArrivesAt(game.enemy1, 300, 300);
        Projectile* shots[4] = {&game.player1.laser, &game.player2.laser, &game.player1.grenade,
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
            if (c.aimed[i]) {
                EXPECT_EQ(shots[i]->inFlight, i == c.first ? 0 : 1) << "shot " << i;
                EXPECT_EQ(Pos(*shots[i]), (Pair{310, 310})) << "shot " << i;
            }
        }
        const std::int32_t earned = c.first < 2 ? 23 : 43;
        EXPECT_EQ(game.player1.exp, c.first % 2 == 0 ? earned : 0);
        EXPECT_EQ(game.player2.exp, c.first % 2 == 1 ? earned : 0);
    }
}

struct RestingCase {
    const char* name;
    bool ownerDead;
    bool laserAway;
    bool laserAimed; // a laser in flight that meets the enemy this frame
    bool grenadeKill;
};

// An enemy walking into a player meets his resting projectiles.
TEST_F(HitsTest, EnemyWalkingIntoAPlayerMeetsHisProjectiles) {
    const std::vector<RestingCase> cases = {
        {"resting laser", false, false, false, false},
        {"resting grenade, laser in flight elsewhere", false, true, false, true},
        {"dead owner's resting laser", true, false, false, false},
        {"dead owner's resting grenade", true, true, false, true},
        {"dead owner's laser fired before the death", true, false, true, false},
    };
    for (const RestingCase& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        game.player1.x = 300, game.player1.y = 300;
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

struct PlayerHitCase {
    const char* name;
    bool alreadyDead;
    bool enemyDestroyed;
};

TEST_F(HitsTest, EnemyLaserKillsAndWipesTheBounty) {
    const std::vector<PlayerHitCase> cases = {
        {"living player", false, false},
        {"dead player is hit again", true, false},
        {"laser of a destroyed enemy", false, true},
    };
    for (const PlayerHitCase& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        game.player1.x = 300, game.player1.y = 300;
        game.player1.exp = 75, game.player1.bounty = 12;
        game.player1.dead = c.alreadyDead;
        EnemyArrivesAt(game.enemy1, 450, 420);
        if (c.enemyDestroyed) {
            game.enemy1.x = 450, game.enemy1.y = 420;
            game.enemy1.dx = game.enemy1.dy = 0;
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
    struct Row {
        std::int32_t x, y;
        int inFlight;
    };
    const Row cases[] = {
        {638, 100, 1}, {639, 100, 0}, {100, 638, 1}, {100, 639, 0}, {100, 479, 1},
    };
    for (const Row& c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << c.x << "," << c.y);
        Fresh();
        game.player1.x = 10, game.player1.y = 400;
        game.player1.grenade = Projectile{c.x, c.y, 2, 2, 1};
        RunFrames(1);
        EXPECT_EQ(Pos(game.player1.grenade), (Pair{c.x + 2, c.y + 2}));
        EXPECT_EQ(game.player1.grenade.inFlight, c.inFlight);
    }
}

TEST_F(HitsTest, ExperienceAndBountySaturate) {
    struct Row {
        bool grenade;
        std::int32_t exp, bounty;
        std::int32_t endExp, endBounty;
    };
    const Row cases[] = {
        {false, 0, 715827881, kMax, 2147483646}, {false, 0, 715827882, kMax, kMax},
        {false, kMax - 23, 0, kMax, 3},          {false, kMax - 22, 0, kMax, 3},
        {true, kMax - 100, kMax, kMax, kMax},    {true, 1000, 0, 1043, 3},
    };
    for (const Row& c : cases) {
        SCOPED_TRACE(testing::Message() << "exp " << c.exp << ", bounty " << c.bounty);
        Fresh();
        game.player1.x = 300, game.player1.y = 300;
        game.player1.exp = c.exp, game.player1.bounty = c.bounty;
        EnemyArrivesAt(game.enemy1, 290, 290);
        if (c.grenade) {
            LaserAway(game.player1);
        }
        RunFrames(1);
        EXPECT_EQ(game.player1.exp, c.endExp);
        EXPECT_EQ(game.player1.bounty, c.endBounty);
    }
}

} // namespace
