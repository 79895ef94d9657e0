// Hits and scoring: the hit box, the order of the tests, kills, deaths and the
// streak value.
#include "rules_test_support.h"

namespace {

struct HitsTest : RulesTest {
    // A laser in flight far from every enemy, so that the resting grenade hits.
    static constexpr Projectile kLaserAway{10, 200, 3, 3, 1};
};

TEST_F(HitsTest, PointHitsOnlyStrictlyInsideTheBox) {
    // The point relative to the target's corner, and whether it hits.
    const std::pair<Pair, bool> cases[] = {
        {{0, 0}, false},  {{1, 1}, true},   {{31, 31}, true}, {{31, 1}, true}, {{1, 31}, true},
        {{32, 1}, false}, {{1, 32}, false}, {{0, 5}, false},  {{5, 0}, false}, {{32, 32}, false}};
    for (const auto& [offset, hits] : cases) {
        SCOPED_TRACE(testing::Message() << "offset " << offset.first << "," << offset.second);
        Fresh({300, 300}); // Player 1's resting laser against enemy 1
        EnemyArrivesAt(game.enemy1, {300 - offset.first, 300 - offset.second});
        RunFrames(1);
        EXPECT_EQ((Pair{game.enemy1.dx == 0, game.player1.exp}), (Pair{hits, hits ? 23 : 0}));
        Fresh({300, 300}); // enemy 1's laser against Player 1
        EnemyArrivesAt(game.enemy1, {450, 420});
        Place(game.enemy1.laser, Plus({303, 303}, offset)), RunFrames(1);
        EXPECT_EQ(std::pair(game.player1.dead, Pos(game.enemy1.laser)),
                  std::pair(hits ? 1 : 0, hits ? Pair{450, 420} : Plus({300, 300}, offset)));
    }
}

TEST_F(HitsTest, StreakRaisesBountyAndEarnsExperienceUpToTheLimit) {
    // Bounty, laser exp and grenade exp of the first five kills of a streak.
    const std::int32_t table[][3] = {
        {3, 23, 43}, {12, 32, 52}, {39, 59, 79}, {120, 140, 160}, {363, 383, 403}};
    for (bool grenade : {false, true}) {
        Fresh({300, 300});
        for (int kill = 1; kill <= 20; ++kill) {
            SCOPED_TRACE(testing::Message() << (grenade ? "grenade" : "laser") << " kill " << kill);
            EnemyArrivesAt(game.enemy1, {290, 290});
            game.player1.laser = grenade ? kLaserAway : game.player1.laser;
            const std::int32_t before = game.player1.exp;
            RunFrames(1);
            if (kill <= 5) {
                EXPECT_EQ((Pair{game.player1.bounty, game.player1.exp - before}),
                          (Pair{table[kill - 1][0], table[kill - 1][grenade ? 2 : 1]}));
            }
            // (3^(k+1) - 3) / 2 after kill k; exp passes 2^31 - 1 at kill 19, the bounty at 20.
            if (kill >= 19) {
                EXPECT_EQ(Score(game.player1), (Pair{kMax, kill == 19 ? 1743392199 : kMax}));
            }
        }
    }
}

TEST_F(HitsTest, WorkedRunLaserKillGrenadeKillThenHit) {
    Place(game.player1, {300, 300});
    EnemyArrivesAt(game.enemy1, {290, 290}), RunFrames(1);
    EXPECT_EQ(Score(game.player1), (Pair{23, 3}));
    EnemyArrivesAt(game.enemy2, {295, 295}), game.player1.laser = kLaserAway, RunFrames(1);
    EXPECT_EQ(Score(game.player1), (Pair{75, 12}));
    Place(game.enemy2.laser, {313, 313}), RunFrames(1);
    EXPECT_EQ(std::pair(game.player1.dead, Score(game.player1)), std::pair(1, Pair{75, 0}));
}

// An enemy walking into a player meets his resting projectiles, dead or not:
// the laser, or the grenade (with a blast) when the laser flies elsewhere. A
// point in both enemies' boxes destroys both; the blast marks the later one.
TEST_F(HitsTest, RestingProjectilesDestroyEnemiesThatWalkIntoTheirOwner) {
    struct {
        int dead;
        bool laserAway, bothEnemies, laserAimed; // aimed: fired before its owner died
    } const cases[] = {{0, false, false, false}, {0, true, false, false}, {1, false, false, false},
                       {1, true, false, false},  {0, false, true, false}, {0, true, true, false},
                       {1, false, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases);
        Fresh({300, 300}), game.player1.dead = c.dead;
        EnemyArrivesAt(game.enemy1, {290, 290});
        EnemyArrivesAt(game.enemy2, c.bothEnemies ? Pair{295, 295} : Pair{400, 400});
        game.player1.laser = c.laserAway    ? kLaserAway
                             : c.laserAimed ? Projectile{302, 302, 3, 3, 1}
                                            : game.player1.laser;
        RunFrames(1);
        const Pair kills = c.laserAway ? Pair{43, 52} : Pair{23, 32}; // first and second kill
        EXPECT_EQ(std::tuple(game.enemy1.dx, game.enemy2.dx, game.player1.laser.inFlight),
                  std::tuple(0, c.bothEnemies ? 0 : 1, c.laserAway ? 1 : 0));
        EXPECT_EQ(Score(game.player1),
                  (c.bothEnemies ? Pair{kills.first + kills.second, 12} : Pair{kills.first, 3}));
        const Pair blast = c.bothEnemies ? Pair{295, 295} : Pair{290, 290};
        EXPECT_EQ(Blast(game.player1), c.laserAway ? blast : kOff);
    }
}

TEST_F(HitsTest, FirstProjectileInOrderTakesTheEnemy) {
    // Aimed: Player 1's laser, Player 2's laser, Player 1's grenade, Player 2's
    // grenade; the index of the one that takes the enemy.
    const std::pair<std::array<bool, 4>, int> cases[] = {{{1, 1, 0, 0}, 0},
                                                         {{0, 1, 1, 0}, 1},
                                                         {{0, 0, 1, 1}, 2},
                                                         {{0, 0, 0, 1}, 3},
                                                         {{1, 1, 1, 1}, 0}};
    for (const auto& [aimed, first] : cases) {
        SCOPED_TRACE(testing::Message() << "first " << first);
        Fresh({50, 400}), Place(game.player2, {100, 440});
        EnemyArrivesAt(game.enemy1, {300, 300});
        Projectile* shots[] = {&game.player1.laser, &game.player2.laser, &game.player1.grenade,
                               &game.player2.grenade};
        for (int i = 0; i < 4; ++i) { // an aimed one lands 10 pixels inside the box
            const std::int32_t v = i < 2 ? 3 : 2;
            *shots[i] = aimed[i] ? Projectile{310 - v, 310 - v, v, v, 1} : *shots[i];
        }
        RunFrames(1);
        for (int i = 0; i < 4; ++i) { // the later ones fly on from the same point
            if (aimed[i]) {
                EXPECT_EQ(std::pair(shots[i]->inFlight, Pos(*shots[i])),
                          std::pair(i == first ? 0 : 1, Pair{310, 310}))
                    << i;
            }
        }
        const std::int32_t earned = first < 2 ? 23 : 43;
        EXPECT_EQ(std::pair(game.enemy1.dx, Exp()),
                  std::pair(0, first % 2 == 0 ? Pair{earned, 0} : Pair{0, earned}));
    }
}

// A dead player is hit again; the laser of a destroyed enemy still kills; a
// laser back on its enemy inside Player 2's box kills him in the same frame.
TEST_F(HitsTest, EnemyLaserKillsAndWipesTheBountyEvenOfTheDead) {
    struct {
        int dead1;
        bool wreck;
        Pair player2;
    } const cases[] = {
        {0, false, {50, 50}}, {1, false, {50, 50}}, {0, true, {50, 50}}, {0, false, {440, 410}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases);
        Fresh({300, 300}), Place(game.player2, c.player2);
        game.player1.exp = 75, game.player1.bounty = 12, game.player1.dead = c.dead1;
        EnemyArrivesAt(game.enemy1, {450, 420});
        game.enemy1.dx = game.enemy1.dy = c.wreck ? 0 : 1;
        Place(game.enemy1, c.wreck ? Pair{450, 420} : Pos(game.enemy1));
        Place(game.enemy1.laser, {313, 313}), RunFrames(1);
        const PlayerState &p1 = game.player1, &p2 = game.player2;
        EXPECT_EQ(std::tuple(p1.dead, p1.corpseX, p1.corpseY, Pos(game.enemy1.laser), Score(p1)),
                  std::tuple(1, 300, 300, Pair{450, 420}, Pair{75, 0}));
        const bool both = c.player2 != Pair{50, 50}; // the both-dead countdown runs at once
        EXPECT_EQ(std::tuple(p2.dead, p2.corpseX, p2.corpseY, game.restartCountdown),
                  both ? std::tuple(1, 440, 410, 99) : std::tuple(0, kParked, kParked, 100));
    }
}

} // namespace
