// Hits and scoring: the hit box, the order of the tests, kills, deaths,
// streaks and the grenade exits.
#include "game/hits.h"
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

PlayerState& Player(int number) {
    return number == 1 ? game.player1 : game.player2;
}

EnemyState& Enemy(int number) {
    return number == 1 ? game.enemy1 : game.enemy2;
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
    {.name = "the top-right inside corner", .laser = {331, 201}, .hits = true},
    {.name = "the bottom-left inside corner", .laser = {301, 231}, .hits = true},
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
        ResolveHits();
        EXPECT_EQ(game.enemy1.dx == 0, c.hits);
        EXPECT_EQ(game.player1.exp, c.hits ? 23 : 0);
    }
}

struct KillCase {
    const char* name;
    int shooter;
    Projectile PlayerState::*weapon;
    int target;
    int inFlight = 1;
    bool shooterDead = false;
    std::int32_t exp; // the shooter's, after the kill
    Point blast;      // the shooter's, after the kill
};

const KillCase kKillCases[] = {
    {.name = "Player 1's laser takes enemy 1",
     .shooter = 1,
     .weapon = &PlayerState::laser,
     .target = 1,
     .exp = 23,
     .blast = kParkedPoint},
    {.name = "Player 1's laser takes enemy 2",
     .shooter = 1,
     .weapon = &PlayerState::laser,
     .target = 2,
     .exp = 23,
     .blast = kParkedPoint},
    {.name = "Player 2's laser takes enemy 1",
     .shooter = 2,
     .weapon = &PlayerState::laser,
     .target = 1,
     .exp = 23,
     .blast = kParkedPoint},
    {.name = "Player 1's grenade takes enemy 1 and leaves a blast there",
     .shooter = 1,
     .weapon = &PlayerState::grenade,
     .target = 1,
     .exp = 43,
     .blast = kEnemy1At},
    {.name = "Player 2's grenade takes enemy 2 and leaves a blast there",
     .shooter = 2,
     .weapon = &PlayerState::grenade,
     .target = 2,
     .exp = 43,
     .blast = kEnemy2At},
    {.name = "a resting laser kills like one in flight",
     .shooter = 2,
     .weapon = &PlayerState::laser,
     .target = 2,
     .inFlight = 0,
     .exp = 23,
     .blast = kParkedPoint},
    {.name = "a dead owner's grenade still scores",
     .shooter = 1,
     .weapon = &PlayerState::grenade,
     .target = 2,
     .shooterDead = true,
     .exp = 43,
     .blast = kEnemy2At},
};

TEST_F(HitsTest, KillStopsTheEnemyLeavesAWreckAndScoresForTheShooter) {
    for (const KillCase& c : kKillCases) {
        SCOPED_TRACE(c.name);
        StartRun();
        ArmTheField();
        PlayerState& shooter = Player(c.shooter);
        PlayerState& other = Player(3 - c.shooter);
        EnemyState& target = Enemy(c.target);
        EnemyState& spared = Enemy(3 - c.target);
        Projectile& shot = shooter.*c.weapon;
        const Point hitPoint = c.target == 1 ? kInEnemy1 : kInEnemy2;
        PutAt(shot, hitPoint);
        shot.inFlight = c.inFlight;
        shooter.dead = c.shooterDead;
        ResolveHits();
        EXPECT_EQ(target.dx, 0);
        EXPECT_EQ(target.dy, 0);
        EXPECT_EQ(WreckOf(target), PositionOf(target));
        EXPECT_EQ(spared.dx, 1);
        EXPECT_EQ(WreckOf(spared), kParkedPoint);
        EXPECT_EQ(PositionOf(shot), hitPoint);
        EXPECT_EQ(shot.inFlight, 0);
        EXPECT_EQ(shooter.exp, c.exp);
        EXPECT_EQ(shooter.bounty, 3);
        EXPECT_EQ(BlastOf(shooter), c.blast);
        EXPECT_EQ(other.exp, 0);
        EXPECT_EQ(BlastOf(other), kParkedPoint);
    }
}

// Which shots stand at (310, 215), inside enemy 1's box; the others fly far
// away.
struct Shots {
    bool laser1 = false;
    bool laser2 = false;
    bool grenade1 = false;
    bool grenade2 = false;
};

struct OrderCase {
    const char* name;
    Shots inBox;
    bool enemy2Overlaps = false; // enemy 2 at (290, 190): the point is in both boxes
    int scorer;
    std::int32_t exp;
    std::int32_t bounty;
    Point blast;
};

const OrderCase kOrderCases[] = {
    {.name = "lasers before grenades, Player 1's first",
     .inBox = {.laser1 = true, .laser2 = true, .grenade1 = true, .grenade2 = true},
     .scorer = 1,
     .exp = 23,
     .bounty = 3,
     .blast = kParkedPoint},
    {.name = "then Player 2's laser",
     .inBox = {.laser2 = true, .grenade1 = true, .grenade2 = true},
     .scorer = 2,
     .exp = 23,
     .bounty = 3,
     .blast = kParkedPoint},
    {.name = "then Player 1's grenade",
     .inBox = {.grenade1 = true, .grenade2 = true},
     .scorer = 1,
     .exp = 43,
     .bounty = 3,
     .blast = kEnemy1At},
    {.name = "Player 2's grenade last",
     .inBox = {.grenade2 = true},
     .scorer = 2,
     .exp = 43,
     .bounty = 3,
     .blast = kEnemy1At},
    {.name = "one laser in both boxes takes both enemies",
     .inBox = {.laser1 = true},
     .enemy2Overlaps = true,
     .scorer = 1,
     .exp = 23 + 32,
     .bounty = 12,
     .blast = kParkedPoint},
    {.name = "one grenade in both boxes: the blast marks enemy 2",
     .inBox = {.grenade2 = true},
     .enemy2Overlaps = true,
     .scorer = 2,
     .exp = 43 + 52,
     .bounty = 12,
     .blast = {290, 190}},
};

TEST_F(HitsTest, FirstShotInTheOrderTakesTheEnemy) {
    for (const OrderCase& c : kOrderCases) {
        SCOPED_TRACE(c.name);
        StartRun();
        ArmTheField();
        if (c.enemy2Overlaps) {
            PutAt(game.enemy2, {290, 190});
        }
        if (c.inBox.laser1) {
            PutAt(game.player1.laser, kInEnemy1);
        }
        if (c.inBox.laser2) {
            PutAt(game.player2.laser, kInEnemy1);
        }
        if (c.inBox.grenade1) {
            PutAt(game.player1.grenade, kInEnemy1);
        }
        if (c.inBox.grenade2) {
            PutAt(game.player2.grenade, kInEnemy1);
        }
        ResolveHits();
        const PlayerState& scorer = Player(c.scorer);
        const PlayerState& other = Player(3 - c.scorer);
        EXPECT_EQ(game.enemy1.dx, 0);
        EXPECT_EQ(game.enemy2.dx == 0, c.enemy2Overlaps);
        EXPECT_EQ(scorer.exp, c.exp);
        EXPECT_EQ(scorer.bounty, c.bounty);
        EXPECT_EQ(BlastOf(scorer), c.blast);
        EXPECT_EQ(other.exp, 0);
        EXPECT_EQ(other.bounty, 0);
        EXPECT_EQ(BlastOf(other), kParkedPoint);
    }
}

// Kills enemy 1 afresh with one of Player 1's weapons.
void KillEnemy1With(Projectile PlayerState::*weapon) {
    ArmTheField();
    game.enemy1.dx = 1;
    game.enemy1.dy = 1;
    PutAt(game.player1.*weapon, kInEnemy1);
    ResolveHits();
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

TEST_F(HitsTest, StreakTriplesTheBountyPlusThreeAndEarnsItOnTop) {
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
    }
}

// The bounty after the 19th kill is (3^20 - 3) / 2; exp passes the largest
// 32-bit value at that kill, the bounty at the 20th. Both stop there.
TEST_F(HitsTest, ScoresStopAtTheLargestValue) {
    for (Projectile PlayerState::*weapon : {&PlayerState::laser, &PlayerState::grenade}) {
        StartRun();
        for (int kill = 1; kill <= 18; ++kill) {
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
    Point player2At;
    bool player1Dead = false;
    bool wreck = false; // the shooter is destroyed
    bool player1Hit;
    bool player2Hit;
};

const PlayerHitCase kPlayerHitCases[] = {
    {.name = "enemy 1's laser hits Player 1",
     .shooter = 1,
     .laser = {130, 350},
     .player2At = {60, 40},
     .player1Hit = true,
     .player2Hit = false},
    {.name = "enemy 2's laser hits Player 2",
     .shooter = 2,
     .laser = {70, 50},
     .player2At = {60, 40},
     .player1Hit = false,
     .player2Hit = true},
    {.name = "a laser on the player's corner misses",
     .shooter = 1,
     .laser = {120, 340},
     .player2At = {60, 40},
     .player1Hit = false,
     .player2Hit = false},
    {.name = "a dead player is hit again where he lies now",
     .shooter = 2,
     .laser = {150, 365},
     .player2At = {60, 40},
     .player1Dead = true,
     .player1Hit = true,
     .player2Hit = false},
    {.name = "a wreck's laser still kills and goes back to the wreck",
     .shooter = 1,
     .laser = {130, 350},
     .player2At = {60, 40},
     .wreck = true,
     .player1Hit = true,
     .player2Hit = false},
    {.name = "back on its enemy inside Player 2's box, one laser kills both",
     .shooter = 1,
     .laser = {130, 350},
     .player2At = {440, 250},
     .player1Hit = true,
     .player2Hit = true},
};

// A hit player is dead with his corpse where he stands and no bounty; his
// exp stays. A player not hit keeps all of it.
void ExpectHitOrSpared(const PlayerState& player, bool hit, bool wasDead, std::int32_t exp,
                       std::int32_t bounty) {
    EXPECT_EQ(player.dead, hit || wasDead);
    EXPECT_EQ(CorpseOf(player), hit ? PositionOf(player) : (Point{40, 20}));
    EXPECT_EQ(player.exp, exp);
    EXPECT_EQ(player.bounty, hit ? 0 : bounty);
}

TEST_F(HitsTest, EnemyLaserKillsAPlayerWipesHisBountyAndGoesBack) {
    constexpr Point enemy1At = {450, 260};
    constexpr Point enemy2At = {530, 410};
    for (const PlayerHitCase& c : kPlayerHitCases) {
        SCOPED_TRACE(c.name);
        StartRun();
        PlayerState& p1 = game.player1;
        PlayerState& p2 = game.player2;
        PutAt(p1, {120, 340});
        PutAt(p2, c.player2At);
        for (PlayerState* player : {&p1, &p2}) {
            player->corpseX = 40; // from an earlier death, or a stale value
            player->corpseY = 20;
        }
        p1.exp = 75;
        p1.bounty = 12;
        p1.dead = c.player1Dead;
        p2.exp = 30;
        p2.bounty = 3;
        PutAt(game.enemy1, enemy1At);
        PutAt(game.enemy2, enemy2At);
        EnemyState& shooter = Enemy(c.shooter);
        PutAt(shooter.laser, c.laser);
        if (c.wreck) {
            shooter.dx = 0;
            shooter.dy = 0;
        }
        ResolveHits();
        ExpectHitOrSpared(p1, c.player1Hit, c.player1Dead, 75, 12);
        ExpectHitOrSpared(p2, c.player2Hit, false, 30, 3);
        const bool anyHit = c.player1Hit || c.player2Hit;
        EXPECT_EQ(PositionOf(shooter.laser), anyHit ? PositionOf(shooter) : c.laser);
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
    {.name = "y 481 below the playfield flies on", .grenade = {300, 481}, .inFlightAfter = 1},
};

TEST_F(HitsTest, GrenadeFlightEndsPast640OnEitherAxis) {
    for (const ExitCase& c : kExitCases) {
        SCOPED_TRACE(c.name);
        for (PlayerState* player : {&game.player1, &game.player2}) {
            player->grenade = {.x = c.grenade.x, .y = c.grenade.y, .dx = 2, .dy = 2, .inFlight = 1};
            player->blastX = 410;
            player->blastY = 60;
        }
        EndGrenadeFlights();
        for (const PlayerState* player : {&game.player1, &game.player2}) {
            EXPECT_EQ(player->grenade.inFlight, c.inFlightAfter);
            EXPECT_EQ(PositionOf(player->grenade), c.grenade);
            EXPECT_EQ(BlastOf(*player), (Point{410, 60}));
        }
    }
}

} // namespace
