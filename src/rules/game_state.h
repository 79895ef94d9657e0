// The one record of everything the game knows between frames, its start
// values and the regions the rules share.
#pragma once

#include "rules/geometry.h"

#include <cstdint>

// A laser shot or a grenade. A player's projectile moves by plus its
// velocity, an enemy's laser by minus its velocity.
struct Projectile {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    std::int32_t inFlight = 0; // never read or written for an enemy's laser
};

struct PlayerState {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t dead = 0;
    std::int32_t corpseX = 0;
    std::int32_t corpseY = 0;
    std::int32_t carryingFlag = 0;
    Projectile laser;
    Projectile grenade;
    std::int32_t blastX = 0;
    std::int32_t blastY = 0;
    std::int32_t exp = 0;
    std::int32_t bounty = 0;
};

// An enemy is alive exactly while its dx is not 0.
struct EnemyState {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    Projectile laser;
    std::int32_t wreckX = 0;
    std::int32_t wreckY = 0;
};

struct GameState {
    PlayerState player1;
    PlayerState player2;
    EnemyState enemy1;
    EnemyState enemy2;
    std::int32_t redFlagX = kRedFlagStart.x;
    std::int32_t redFlagY = kRedFlagStart.y;
    std::int32_t blueFlagX = kBlueFlag.x;
    std::int32_t blueFlagY = kBlueFlag.y;
    std::int32_t homePatchX = kHomePatch.x;
    std::int32_t homePatchY = kHomePatch.y;
    std::int32_t restartCountdown = 100;
};

constexpr std::int32_t kCountdownStart = 100;

// Stores the start values of a run. The players' projectile positions are
// left as they are (0 in a fresh record): the first attachment sets them.
void SetStartValues(GameState& state);

// Puts a player at a point, alive, without corpse, blast or flag; scores and
// shots are left alone. Used at the start and at every new game.
void PlacePlayer(PlayerState& player, Point at);

// Puts an enemy at a point, alive and heading down and right, without wreck;
// its laser is left alone.
void PlaceEnemy(EnemyState& enemy, Point at);

// The obstacle zone: x >= 175 and y <= 148, tested on a top-left corner.
inline bool InObstacleZone(std::int32_t x, std::int32_t y) {
    return x >= kZoneMinX && y <= kZoneMaxY;
}

// The home corner: red-flag positions with x < 80 and y < 80.
inline bool InHomeCorner(std::int32_t x, std::int32_t y) {
    return x < kHomeCornerX && y < kHomeCornerY;
}

inline bool EnemyAlive(const EnemyState& enemy) {
    return enemy.dx != 0;
}
inline bool PlayerAlive(const PlayerState& player) {
    return player.dead == 0;
}
