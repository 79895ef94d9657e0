// The hit tests, kills, deaths and the grenade exits.
#include "game/hits.h"

#include "game/arith.h"

#include <cstdint>

bool PointInBox(std::int32_t px, std::int32_t py, std::int32_t tx, std::int32_t ty) {
    return tx < px && px < tx + kBodySize && ty < py && py < ty + kBodySize;
}

std::int32_t NextBounty(std::int32_t bounty) {
    return Clamp32(3 * (static_cast<std::int64_t>(bounty) + 1));
}

static void Destroy(EnemyState& enemy) {
    enemy.dx = 0;
    enemy.dy = 0;
    enemy.wreckX = enemy.x;
    enemy.wreckY = enemy.y;
}

// A kill earns its base value plus the new bounty.
static void Score(PlayerState& killer, std::int32_t base) {
    killer.exp = SaturatingAdd(killer.exp, base);
    killer.bounty = NextBounty(killer.bounty);
    killer.exp = SaturatingAdd(killer.exp, killer.bounty);
}

// The tests look neither at inFlight nor at the owner's death: a resting
// shot at its owner's position kills an enemy that walks into him, and a
// shot fired before its owner died still scores. The kill does not move the
// laser, so the same point is tested against the other enemy next.
static void TestLaser(PlayerState& shooter, EnemyState& enemy) {
    if (EnemyAlive(enemy) && PointInBox(shooter.laser.x, shooter.laser.y, enemy.x, enemy.y)) {
        Destroy(enemy);
        shooter.laser.inFlight = 0;
        Score(shooter, 20);
    }
}

static void TestGrenade(PlayerState& thrower, EnemyState& enemy) {
    if (EnemyAlive(enemy) && PointInBox(thrower.grenade.x, thrower.grenade.y, enemy.x, enemy.y)) {
        Destroy(enemy);
        thrower.blastX = enemy.x;
        thrower.blastY = enemy.y;
        thrower.grenade.inFlight = 0;
        Score(thrower, 40);
    }
}

// A dead player is hit again like a living one, so corpses stop enemy
// lasers; a destroyed enemy's laser still kills.
static void TestEnemyLaser(EnemyState& shooter, PlayerState& player) {
    if (PointInBox(shooter.laser.x, shooter.laser.y, player.x, player.y)) {
        player.dead = 1;
        player.corpseX = player.x;
        player.corpseY = player.y;
        shooter.laser.x = shooter.x;
        shooter.laser.y = shooter.y;
        player.bounty = 0;
    }
}

void ResolveHits() {
    TestLaser(game.player1, game.enemy1);
    TestLaser(game.player1, game.enemy2);
    TestLaser(game.player2, game.enemy1);
    TestLaser(game.player2, game.enemy2);
    TestGrenade(game.player1, game.enemy1);
    TestGrenade(game.player1, game.enemy2);
    TestGrenade(game.player2, game.enemy1);
    TestGrenade(game.player2, game.enemy2);
    TestEnemyLaser(game.enemy1, game.player1);
    TestEnemyLaser(game.enemy1, game.player2);
    TestEnemyLaser(game.enemy2, game.player1);
    TestEnemyLaser(game.enemy2, game.player2);
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

void EndGrenadeFlights() {
    EndGrenadeFlight(game.player1.grenade);
    EndGrenadeFlight(game.player2.grenade);
}
