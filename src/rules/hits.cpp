// The hit tests, kills, deaths and the grenade exits.
#include "rules/hits.h"

#include "rules/arith.h"

#include <cstdint>

bool PointInBox(std::int32_t px, std::int32_t py, std::int32_t tx, std::int32_t ty) {
    return tx < px && px < tx + kBodySize && ty < py && py < ty + kBodySize;
}

std::int32_t NextBounty(std::int32_t bounty) {
    return Clamp32(3 * (static_cast<std::int64_t>(bounty) + 1));
}

static void Destroy(EnemyState& enemy, EnemyEvents* events) {
    events->destroyed = true;
    enemy.dx = 0;
    enemy.dy = 0;
    enemy.wreckX = enemy.x;
    enemy.wreckY = enemy.y;
}

// A kill earns its base value plus the new bounty.
static void Score(PlayerState& killer, std::int32_t base, PlayerEvents* events) {
    events->kills += 1;
    killer.exp = SaturatingAdd(killer.exp, base);
    killer.bounty = NextBounty(killer.bounty);
    killer.exp = SaturatingAdd(killer.exp, killer.bounty);
}

// The tests look neither at inFlight nor at the owner's death: a resting
// shot at its owner's position kills an enemy that walks into him, and a
// shot fired before its owner died still scores. The kill does not move the
// laser, so the same point is tested against the other enemy next.
static void TestLaser(PlayerState& shooter, EnemyState& enemy, PlayerEvents* shooterEvents,
                      EnemyEvents* enemyEvents) {
    if (EnemyAlive(enemy) && PointInBox(shooter.laser.x, shooter.laser.y, enemy.x, enemy.y)) {
        Destroy(enemy, enemyEvents);
        shooter.laser.inFlight = 0;
        Score(shooter, 20, shooterEvents);
    }
}

static void TestGrenade(PlayerState& thrower, EnemyState& enemy, PlayerEvents* throwerEvents,
                        EnemyEvents* enemyEvents) {
    if (EnemyAlive(enemy) && PointInBox(thrower.grenade.x, thrower.grenade.y, enemy.x, enemy.y)) {
        Destroy(enemy, enemyEvents);
        thrower.blastX = enemy.x;
        thrower.blastY = enemy.y;
        thrower.grenade.inFlight = 0;
        throwerEvents->grenadeBurst = true;
        Score(thrower, 40, throwerEvents);
    }
}

// A dead player is hit again like a living one, so corpses stop enemy
// lasers; a destroyed enemy's laser still kills.
static void TestEnemyLaser(EnemyState& shooter, PlayerState& player, EnemyEvents* shooterEvents,
                           PlayerEvents* playerEvents) {
    if (PointInBox(shooter.laser.x, shooter.laser.y, player.x, player.y)) {
        playerEvents->died = playerEvents->died || PlayerAlive(player);
        shooterEvents->laserReturned = true;
        player.dead = 1;
        player.corpseX = player.x;
        player.corpseY = player.y;
        shooter.laser.x = shooter.x;
        shooter.laser.y = shooter.y;
        player.bounty = 0;
    }
}

void ResolveHits(GameState& state, FrameEvents* events) {
    PlayerState& p1 = state.player1;
    PlayerState& p2 = state.player2;
    EnemyState& e1 = state.enemy1;
    EnemyState& e2 = state.enemy2;
    PlayerEvents* p1Events = &events->player1;
    PlayerEvents* p2Events = &events->player2;
    EnemyEvents* e1Events = &events->enemy1;
    EnemyEvents* e2Events = &events->enemy2;
    TestLaser(p1, e1, p1Events, e1Events);
    TestLaser(p1, e2, p1Events, e2Events);
    TestLaser(p2, e1, p2Events, e1Events);
    TestLaser(p2, e2, p2Events, e2Events);
    TestGrenade(p1, e1, p1Events, e1Events);
    TestGrenade(p1, e2, p1Events, e2Events);
    TestGrenade(p2, e1, p2Events, e1Events);
    TestGrenade(p2, e2, p2Events, e2Events);
    TestEnemyLaser(e1, p1, e1Events, p1Events);
    TestEnemyLaser(e1, p2, e1Events, p2Events);
    TestEnemyLaser(e2, p1, e2Events, p1Events);
    TestEnemyLaser(e2, p2, e2Events, p2Events);
}

// The limit is 640 on both axes: a grenade crosses the HUD strip and the
// area below the window before its flight ends at the bottom.
static void EndGrenadeFlight(Projectile& grenade) {
    if (grenade.x > kGrenadeLimit) {
        grenade.inFlight = 0;
    }
    if (grenade.y > kGrenadeLimit) {
        grenade.inFlight = 0;
    }
}

void EndGrenadeFlights(GameState& state) {
    EndGrenadeFlight(state.player1.grenade);
    EndGrenadeFlight(state.player2.grenade);
}
