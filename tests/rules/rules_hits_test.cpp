// Hits and scoring: the hit box, the order of the tests, kills, deaths,
// streaks and the grenade exits.
#include "rules/hits.h"
#include "rules_test_support.h"

namespace {

using HitsTest = RulesTest;

constexpr Point kEnemy1At = {300, 200};
constexpr Point kEnemy2At = {420, 330};
constexpr Point kInEnemy1 = {310, 215}; // strictly inside enemy 1's box
constexpr Point kInEnemy2 = {430, 345};

// Every shot of both players in flight far from both enemies.
void SendAllShotsAway() {
    game.player1.laser = {.x = 20, .y = 100, .dx = 3, .dy = 3, .inFlight = 1};
    game.player2.laser = {.x = 40, .y = 120, .dx = 3, .dy = 3, .inFlight = 1};
    game.player1.grenade = {.x = 60, .y = 140, .dx = 2, .dy = 2, .inFlight = 1};
    game.player2.grenade = {.x = 80, .y = 160, .dx = 2, .dy = 2, .inFlight = 1};
}

// Enemies alive at their test places, every shot away.
void ArmTheField() {
    PutAt(game.enemy1, kEnemy1At);
    PutAt(game.enemy2, kEnemy2At);
    SendAllShotsAway();
}

struct HitBoxCase {
    const char* name;
    Point laser; // Player 1's, against enemy 1 at (300, 200)
    bool hits;
};

const HitBoxCase kHitBoxCases[] = {
    {.name = "on the enemy's own corner", .laser = {300, 200}, .hits = false},
    {.name = "one pixel right and below the corner", .laser = {301, 201}, .hits = true},
    {.name = "the far inside corner", .laser = {331, 231}, .hits = true},
    {.name = "on the line x + 32", .laser = {332, 215}, .hits = false},
    {.name = "on the line y + 32", .laser = {315, 232}, .hits = false},
    {.name = "on the left side", .laser = {300, 215}, .hits = false},
    {.name = "on the top side", .laser = {315, 200}, .hits = false},
};

TEST_F(HitsTest, PointHitsOnlyStrictlyInsideTheBox) {
    for (const HitBoxCase& c : kHitBoxCases) {
        SCOPED_TRACE(c.name);
        StartRun();
        ArmTheField();
        PutAt(game.player1.laser, c.laser);
        ResolveHits(game, &ignoredEvents);
        EXPECT_EQ(game.enemy1.dx == 0, c.hits);
        EXPECT_EQ(game.player1.exp, c.hits ? 23 : 0);
    }
}

// The players' shots in the order of the hit tests. A grenade kill leaves a
// blast at the enemy's place.
struct ShotCase {
    const char* name;
    int owner;
    Projectile PlayerState::*weapon;
    std::int32_t killExp; // a first kill's worth
};

const ShotCase kShotsInOrder[] = {
    {.name = "Player 1's laser", .owner = 1, .weapon = &PlayerState::laser, .killExp = 23},
    {.name = "Player 2's laser", .owner = 2, .weapon = &PlayerState::laser, .killExp = 23},
    {.name = "Player 1's grenade", .owner = 1, .weapon = &PlayerState::grenade, .killExp = 43},
    {.name = "Player 2's grenade", .owner = 2, .weapon = &PlayerState::grenade, .killExp = 43},
};

bool IsGrenade(const ShotCase& shot) {
    return shot.weapon == &PlayerState::grenade;
}

// Neither the shot's flight nor its owner's death matters.
struct KillerState {
    const char* name;
    int inFlight;
    int ownerDead;
};

const KillerState kKillerStates[] = {
    {.name = "in flight", .inFlight = 1, .ownerDead = 0},
    {.name = "resting", .inFlight = 0, .ownerDead = 0},
    {.name = "its owner dead", .inFlight = 1, .ownerDead = 1},
};

// Each shot stands in an enemy's box with all the shots after it in the
// order, which fly on.
TEST_F(HitsTest, FirstShotInTheOrderKillsTheEnemyLeavesAWreckAndScores) {
    for (std::size_t first = 0; first < std::size(kShotsInOrder); ++first) {
        const ShotCase& c = kShotsInOrder[first];
        for (int target : {1, 2}) {
            for (const KillerState& state : kKillerStates) {
                SCOPED_TRACE(testing::Message()
                             << c.name << " " << state.name << " takes enemy " << target);
                StartRun();
                ArmTheField();
                PlayerState& shooter = Player(c.owner);
                const PlayerState& other = Player(3 - c.owner);
                const EnemyState& enemy = Enemy(target);
                const EnemyState& spared = Enemy(3 - target);
                Projectile& shot = shooter.*c.weapon;
                const Point hitPoint = target == 1 ? kInEnemy1 : kInEnemy2;
                for (std::size_t i = first; i < std::size(kShotsInOrder); ++i) {
                    PutAt(Player(kShotsInOrder[i].owner).*kShotsInOrder[i].weapon, hitPoint);
                }
                shot.inFlight = state.inFlight;
                shooter.dead = state.ownerDead;
                ResolveHits(game, &ignoredEvents);
                EXPECT_EQ(enemy.dx, 0);
                EXPECT_EQ(enemy.dy, 0);
                EXPECT_EQ(WreckOf(enemy), PositionOf(enemy));
                EXPECT_EQ(spared.dx, 1);
                EXPECT_EQ(WreckOf(spared), kParkedPoint);
                EXPECT_EQ(PositionOf(shot), hitPoint);
                EXPECT_EQ(shot.inFlight, 0);
                EXPECT_EQ(shooter.exp, c.killExp);
                EXPECT_EQ(shooter.bounty, 3);
                EXPECT_EQ(BlastOf(shooter), IsGrenade(c) ? PositionOf(enemy) : kParkedPoint);
                EXPECT_EQ(other.exp, 0);
                EXPECT_EQ(BlastOf(other), kParkedPoint);
                for (std::size_t later = first + 1; later < std::size(kShotsInOrder); ++later) {
                    const ShotCase& next = kShotsInOrder[later];
                    EXPECT_EQ((Player(next.owner).*next.weapon).inFlight, 1) << next.name;
                }
            }
        }
    }
}

// Kills enemy 1 afresh with one of Player 1's weapons.
void KillEnemy1With(Projectile PlayerState::*weapon) {
    ArmTheField();
    game.enemy1.dx = 1;
    game.enemy1.dy = 1;
    PutAt(game.player1.*weapon, kInEnemy1);
    ResolveHits(game, &ignoredEvents);
}

struct StreakCase {
    const char* name;
    std::int32_t bounty;
    std::int32_t laserExp; // earned by the kill
    std::int32_t grenadeExp;
};

const StreakCase kStreakCases[] = {
    {.name = "1st kill", .bounty = 3, .laserExp = 23, .grenadeExp = 43},
    {.name = "2nd kill", .bounty = 12, .laserExp = 32, .grenadeExp = 52},
    {.name = "3rd kill", .bounty = 39, .laserExp = 59, .grenadeExp = 79},
    {.name = "4th kill", .bounty = 120, .laserExp = 140, .grenadeExp = 160},
    {.name = "5th kill", .bounty = 363, .laserExp = 383, .grenadeExp = 403},
};

// The bounty after the 19th kill is (3^20 - 3) / 2; exp passes the largest
// 32-bit value at that kill, the bounty at the 20th. Both stop there.
TEST_F(HitsTest, StreakTriplesTheBountyPlusThreeUpToTheLargestValue) {
    for (Projectile PlayerState::*weapon : {&PlayerState::laser, &PlayerState::grenade}) {
        StartRun();
        for (const StreakCase& c : kStreakCases) {
            SCOPED_TRACE(c.name);
            const std::int32_t expBefore = game.player1.exp;
            KillEnemy1With(weapon);
            const bool laser = weapon == &PlayerState::laser;
            EXPECT_EQ(game.player1.bounty, c.bounty);
            EXPECT_EQ(game.player1.exp - expBefore, laser ? c.laserExp : c.grenadeExp);
        }
        for (int kill = std::size(kStreakCases) + 1; kill <= 18; ++kill) {
            KillEnemy1With(weapon);
        }
        ASSERT_LT(game.player1.exp, kMax);
        KillEnemy1With(weapon);
        EXPECT_EQ(game.player1.bounty, 1743392199);
        EXPECT_EQ(game.player1.exp, kMax);
        KillEnemy1With(weapon);
        EXPECT_EQ(game.player1.bounty, kMax);
        EXPECT_EQ(game.player1.exp, kMax);
    }
}

// Player 1 stands at (120, 340) with 75 exp and a bounty of 12; Player 2
// with 30 and 3. Enemy 1 is at (450, 260), enemy 2 at (530, 410).
struct PlayerHitCase {
    const char* name;
    int shooter;
    Point laser;
    Point player2At = {60, 40};
    bool player1Dead = false;
    bool wreck = false; // the shooter is destroyed
    bool hits1 = false;
    bool hits2 = false;
};

const PlayerHitCase kPlayerHitCases[] = {
    {.name = "enemy 1's laser hits Player 1", .shooter = 1, .laser = {130, 350}, .hits1 = true},
    {.name = "enemy 2's laser hits Player 2", .shooter = 2, .laser = {70, 50}, .hits2 = true},
    {.name = "a laser on the player's corner misses", .shooter = 1, .laser = {120, 340}},
    {.name = "a dead player is hit again where he lies now",
     .shooter = 2,
     .laser = {150, 365},
     .player1Dead = true,
     .hits1 = true},
    {.name = "a wreck's laser still kills and goes back to the wreck",
     .shooter = 1,
     .laser = {130, 350},
     .wreck = true,
     .hits1 = true},
    {.name = "back on its enemy inside Player 2's box, one laser kills both",
     .shooter = 1,
     .laser = {130, 350},
     .player2At = {440, 250},
     .hits1 = true,
     .hits2 = true},
};

// A hit player is dead with his corpse where he stands and no bounty; his
// exp stays. A player not hit keeps all of it, his old corpse at (40, 20).
void ExpectHitOrSpared(const PlayerState& player, bool hit, bool wasDead, std::int32_t exp,
                       std::int32_t bounty) {
    EXPECT_EQ(player.dead, hit || wasDead);
    EXPECT_EQ(CorpseOf(player), hit ? PositionOf(player) : (Point{40, 20}));
    EXPECT_EQ(player.exp, exp);
    EXPECT_EQ(player.bounty, hit ? 0 : bounty);
}

TEST_F(HitsTest, EnemyLaserKillsAPlayerWipesHisBountyAndGoesBack) {
    for (const PlayerHitCase& c : kPlayerHitCases) {
        SCOPED_TRACE(c.name);
        StartRun();
        PlayerState& p1 = game.player1;
        PlayerState& p2 = game.player2;
        PutAt(p1, {120, 340});
        PutAt(p2, c.player2At);
        for (PlayerState* player : {&p1, &p2}) {
            player->corpseX = 40;
            player->corpseY = 20;
        }
        p1.exp = 75;
        p1.bounty = 12;
        p1.dead = c.player1Dead;
        p2.exp = 30;
        p2.bounty = 3;
        PutAt(game.enemy1, {450, 260});
        PutAt(game.enemy2, {530, 410});
        EnemyState& shooter = Enemy(c.shooter);
        PutAt(shooter.laser, c.laser);
        if (c.wreck) {
            shooter.dx = 0;
            shooter.dy = 0;
        }
        ResolveHits(game, &ignoredEvents);
        ExpectHitOrSpared(p1, c.hits1, c.player1Dead, 75, 12);
        ExpectHitOrSpared(p2, c.hits2, false, 30, 3);
        const bool hitSomebody = c.hits1 || c.hits2;
        EXPECT_EQ(PositionOf(shooter.laser), hitSomebody ? PositionOf(shooter) : c.laser);
        EXPECT_EQ(shooter.laser.dx, 3);
        EXPECT_EQ(shooter.laser.dy, 3);
    }
}

struct ExitCase {
    const char* name;
    Point grenade;
    int inFlightAfter;
};

const ExitCase kExitCases[] = {
    {.name = "x 640 flies on", .grenade = {640, 300}, .inFlightAfter = 1},
    {.name = "x 641 ends the flight", .grenade = {641, 300}, .inFlightAfter = 0},
    {.name = "y 640 flies on", .grenade = {300, 640}, .inFlightAfter = 1},
    {.name = "y 641 ends the flight", .grenade = {300, 641}, .inFlightAfter = 0},
};

TEST_F(HitsTest, GrenadeFlightEndsPast640OnEitherAxis) {
    for (const ExitCase& c : kExitCases) {
        SCOPED_TRACE(c.name);
        for (PlayerState* player : {&game.player1, &game.player2}) {
            player->grenade = {.x = c.grenade.x, .y = c.grenade.y, .dx = 2, .dy = 2, .inFlight = 1};
            player->blastX = 410;
            player->blastY = 60;
        }
        EndGrenadeFlights(game);
        for (const PlayerState* player : {&game.player1, &game.player2}) {
            EXPECT_EQ(player->grenade.inFlight, c.inFlightAfter);
            EXPECT_EQ(PositionOf(player->grenade), c.grenade);
            EXPECT_EQ(BlastOf(*player), (Point{410, 60}));
        }
    }
}

} // namespace
