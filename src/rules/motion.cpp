// Enemy motion, bounces, bounds, player limits, flag pick-up and flight.
#include "rules/motion.h"

#include "rules/arith.h"

// An enemy's laser needs no alive test to move: a destroyed enemy's laser
// flies on without limit, so its position wraps instead of overflowing.
static void MoveEnemyLaser(EnemyState& enemy) {
    enemy.laser.x = WrapSub(enemy.laser.x, enemy.laser.dx);
    enemy.laser.y = WrapSub(enemy.laser.y, enemy.laser.dy);
}

void MoveEnemiesAndLasers(GameState& state) {
    state.enemy1.x += state.enemy1.dx;
    state.enemy1.y += state.enemy1.dy;
    state.enemy2.x += state.enemy2.dx;
    state.enemy2.y += state.enemy2.dy;
    MoveEnemyLaser(state.enemy1);
    MoveEnemyLaser(state.enemy2);
}

static void ReturnLaserToEnemy(EnemyState& enemy, EnemyEvents* events) {
    enemy.laser.x = enemy.x;
    enemy.laser.y = enemy.y;
    events->laserReturned = true;
}

// The two tests are separate: a laser returned by the first is back at its
// enemy when the second looks at it.
static void ReturnPastEdges(EnemyState& enemy, EnemyEvents* events) {
    if (enemy.laser.x < kEnemyLaserReturn && EnemyAlive(enemy)) {
        ReturnLaserToEnemy(enemy, events);
    }
    if (enemy.laser.y < kEnemyLaserReturn && EnemyAlive(enemy)) {
        ReturnLaserToEnemy(enemy, events);
    }
}

void ReturnEnemyLasersPastEdges(GameState& state, FrameEvents* events) {
    ReturnPastEdges(state.enemy1, &events->enemy1);
    ReturnPastEdges(state.enemy2, &events->enemy2);
}

// Each test that holds reverses its component once, so two that hold in the
// same frame cancel (an enemy at y 0 inside the zone keeps its dy). The zone
// test keeps no memory: an enemy inside jitters up and down every frame.
static void Bounce(EnemyState& enemy) {
    if (enemy.x == 0) {
        enemy.dx = -enemy.dx;
    }
    if (enemy.x == kPlayfieldWidth) {
        enemy.dx = -enemy.dx;
    }
    if (enemy.y == 0) {
        enemy.dy = -enemy.dy;
    }
    if (enemy.y == kPlayfieldHeight) {
        enemy.dy = -enemy.dy;
    }
    if (InObstacleZone(enemy.x, enemy.y)) {
        enemy.dy = -enemy.dy;
    }
}

void BounceEnemies(GameState& state) {
    Bounce(state.enemy1);
    Bounce(state.enemy2);
}

// Resting lasers are tested too, at their owner's position before the
// limits push him back: on purpose, a player pressing against the left edge
// flips his resting laser's dx and his next shot starts that way.
static void BoundLaser(Projectile& laser) {
    if (laser.x < 0) {
        laser.dx = -laser.dx;
    }
    if (laser.x > kPlayfieldWidth) {
        laser.inFlight = 0;
    }
    if (laser.y < 0) {
        laser.dy = -laser.dy;
    }
    if (laser.y > kPlayfieldHeight) {
        laser.inFlight = 0;
    }
    if (InObstacleZone(laser.x, laser.y)) {
        laser.dy = -laser.dy;
    }
}

void BoundPlayerLasers(GameState& state) {
    BoundLaser(state.player1.laser);
    BoundLaser(state.player2.laser);
}

// A push of 2 against a step of 1: a player pressing on a limit ends his
// frames alternately on it and one pixel inside. Dead players are pushed too.
static void Limit(PlayerState& player) {
    if (player.x < 0) {
        player.x += 2;
    }
    if (player.x > kPlayerMaxX) {
        player.x -= 2;
    }
    if (player.y < 0) {
        player.y += 2;
    }
    if (player.y > kPlayerMaxY) {
        player.y -= 2;
    }
    if (InObstacleZone(player.x, player.y)) {
        player.y += 2;
        player.x -= 2;
    }
}

void LimitPlayers(GameState& state) {
    Limit(state.player1);
    Limit(state.player2);
}

// No alive test: a destroyed enemy's laser comes back to its wreck and goes
// on shooting from there.
static void ReturnFromZone(EnemyState& enemy, EnemyEvents* events) {
    if (InObstacleZone(enemy.laser.x, enemy.laser.y)) {
        enemy.laser.y = enemy.y;
        enemy.laser.x = enemy.x;
        events->laserReturned = true;
    }
}

void ReturnEnemyLasersFromZone(GameState& state, FrameEvents* events) {
    ReturnFromZone(state.enemy1, &events->enemy1);
    ReturnFromZone(state.enemy2, &events->enemy2);
}

// No alive test either: a dead player lying below and right of the flag
// carries it too, though he can no longer move it.
static void PickUp(const GameState& state, PlayerState& player, PlayerEvents* events) {
    if (player.x > state.redFlagX && player.y > state.redFlagY) {
        events->pickedUpFlag = player.carryingFlag == 0;
        player.carryingFlag = 1;
    }
}

void PickUpFlag(GameState& state, FrameEvents* events) {
    PickUp(state, state.player1, &events->player1);
    PickUp(state, state.player2, &events->player2);
}

// A grenade whose key stays held keeps flying past its exit, without limit,
// so flight wraps instead of overflowing.
static void Fly(Projectile& shot) {
    if (shot.inFlight == 1) {
        shot.x = WrapAdd(shot.x, shot.dx);
        shot.y = WrapAdd(shot.y, shot.dy);
    }
}

void FlyProjectiles(GameState& state) {
    Fly(state.player1.laser);
    Fly(state.player2.laser);
    Fly(state.player1.grenade);
    Fly(state.player2.grenade);
}
