// Hits and scoring: the hit box, the order of the tests, kills, deaths, streaks.
#include "rules_test_support.h"

namespace {

using HitsTest = RulesTest;
// A laser in flight far from every enemy, so that the resting grenade hits.
constexpr Projectile kLaserAway{10, 200, 3, 3, 1};

TEST_F(HitsTest, PointHitsOnlyStrictlyInsideTheBox) {
    const std::pair<Pair, bool> cases[] = {
        // Player 1's resting laser relative to enemy 1's corner; whether it hits
        {{0, 0}, false},  {{1, 1}, true},   {{31, 31}, true}, {{31, 1}, true}, {{1, 31}, true},
        {{32, 1}, false}, {{1, 32}, false}, {{0, 5}, false},  {{5, 0}, false}, {{32, 32}, false},
    };
    for (const auto& [offset, hits] : cases) {
        SCOPED_TRACE(testing::Message() << "offset " << offset.first << "," << offset.second);
        Fresh({300, 300});
        EnemyArrivesAt(game.enemy1, {300 - offset.first, 300 - offset.second});
        RunFrames(1);
        EXPECT_EQ((Pair{game.enemy1.dx == 0, game.player1.exp}), (Pair{hits, hits ? 23 : 0}));
    }
}

TEST_F(HitsTest, StreakRaisesBountyAndEarnsExperienceUpToTheLimit) {
    // Bounty, laser exp and grenade exp of kills 1 to 5 of a streak.
    const int table[][3] = {
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
            if (kill >= 19) { // exp passes 2^31 - 1 here, the bounty (3^(k+1) - 3) / 2 at 20
                EXPECT_EQ(Score(game.player1), (Pair{kMax, kill == 19 ? 1743392199 : kMax}));
            }
        }
    }
}

// Both players stand at 300, 300, where enemy 1 walks in; the projectiles not
// sent away rest there, dead owner or not. The first in the order (lasers
// before grenades, Player 1 before Player 2) takes the enemy, and enemy 2 too
// when the point lies in both boxes; a grenade's blast marks the later one.
TEST_F(HitsTest, FirstRestingProjectileInOrderTakesEnemiesWalkingIntoItsOwner) {
    const std::tuple<std::array<bool, 4>, int, int, bool> cases[] = {
        // sent away (laser 1, laser 2, grenade 1, grenade 2), Player 1 dead, first, both enemies
        {{0, 0, 0, 0}, 0, 0, false}, {{1, 0, 0, 0}, 0, 1, false}, {{1, 1, 0, 0}, 0, 2, false},
        {{1, 1, 1, 0}, 0, 3, false}, {{0, 0, 0, 0}, 1, 0, false}, {{1, 1, 0, 0}, 1, 2, false},
        {{0, 0, 0, 0}, 0, 0, true},  {{1, 1, 0, 0}, 0, 2, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases);
        const auto& [away, dead1, first, both] = c;
        Fresh({300, 300}), Place(game.player2, {300, 300}), game.player1.dead = dead1;
        EnemyArrivesAt(game.enemy1, {290, 290});
        EnemyArrivesAt(game.enemy2, both ? Pair{295, 295} : Pair{400, 400});
        Projectile* shots[] = {&game.player1.laser, &game.player2.laser, &game.player1.grenade,
                               &game.player2.grenade};
        for (int i = 0; i < 4; ++i) {
            const std::int32_t v = i < 2 ? 3 : 2;
            *shots[i] = away[i] ? Projectile{10, 200, v, v, 1} : *shots[i];
        }
        RunFrames(1);
        const Pair kills = first < 2 ? Pair{23, 32} : Pair{43, 52}; // exp of a first, second kill
        const Pair score = both ? Pair{kills.first + kills.second, 12} : Pair{kills.first, 3};
        const Pair blast = first < 2 ? kOff : both ? Pair{295, 295} : Pair{290, 290};
        const bool p1 = first % 2 == 0;
        EXPECT_EQ(std::tuple(game.enemy1.dx, game.enemy2.dx, Score(game.player1),
                             Score(game.player2), Blast(game.player1), Blast(game.player2)),
                  std::tuple(0, both ? 0 : 1, p1 ? score : Pair{0, 0}, p1 ? Pair{0, 0} : score,
                             p1 ? blast : kOff, p1 ? kOff : blast));
    }
}

// The worked run: a laser kill, a grenade kill, then enemy 1's laser hits
// Player 1, wiping his bounty. Also with Player 1 dead (hit again), with the
// laser of a destroyed enemy, and with a laser that, back on its enemy inside
// Player 2's box, kills him in the same frame.
TEST_F(HitsTest, WorkedRunThenAnEnemyLaserHitsEvenTheDead) {
    // Player 1 dead, enemy 1 a wreck, Player 2's place.
    const std::tuple<int, bool, Pair> cases[] = {
        {0, false, {50, 50}}, {1, false, {50, 50}}, {0, true, {50, 50}}, {0, false, {440, 410}}};
    for (const auto& [dead1, wreck, player2] : cases) {
        SCOPED_TRACE(testing::Message() << "dead " << dead1 << ", wreck " << wreck);
        Fresh({300, 300}), Place(game.player2, player2), game.player1.dead = dead1;
        EnemyArrivesAt(game.enemy1, {290, 290}), RunFrames(1);
        EXPECT_EQ(Score(game.player1), (Pair{23, 3}));
        EnemyArrivesAt(game.enemy2, {295, 295}), game.player1.laser = kLaserAway, RunFrames(1);
        EXPECT_EQ(Score(game.player1), (Pair{75, 12}));
        EnemyArrivesAt(game.enemy1, {450, 420});
        game.enemy1.dx = game.enemy1.dy = wreck ? 0 : 1;
        Place(game.enemy1, wreck ? Pair{450, 420} : Pos(game.enemy1));
        Place(game.enemy1.laser, {313, 313}), RunFrames(1);
        const PlayerState &p1 = game.player1, &p2 = game.player2;
        EXPECT_EQ(std::tuple(p1.dead, p1.corpseX, p1.corpseY, Pos(game.enemy1.laser), Score(p1)),
                  std::tuple(1, 300, 300, Pair{450, 420}, Pair{75, 0}));
        const bool both = player2 != Pair{50, 50}; // the both-dead countdown runs at once
        EXPECT_EQ(std::tuple(p2.dead, p2.corpseX, p2.corpseY, game.restartCountdown),
                  both ? std::tuple(1, 440, 410, 99) : std::tuple(0, kParked, kParked, 100));
    }
}

} // namespace
