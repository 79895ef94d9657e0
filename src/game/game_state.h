// The one record of everything the game knows between frames, its start
// values and the regions the rules share.
#pragma once

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
    std::int32_t redFlagX = 590;
    std::int32_t redFlagY = 430;
    std::int32_t blueFlagX = 0;
    std::int32_t blueFlagY = 50;
    std::int32_t homePatchX = 0;
    std::int32_t homePatchY = 0;
    std::int32_t restartCountdown = 100;
};

// The program-wide game state. Only the rule steps write it.
extern GameState game;

// A corpse, wreck or blast marker at this x or y lies outside the window.
constexpr std::int32_t kParked = 700;

constexpr std::int32_t kCountdownStart = 100;

// Stores the start values of a run. The players' projectile positions are
// left as they are (0 in a fresh record): the first attachment sets them.
void SetStartValues();

// Puts a player at (x, y), alive, without corpse, blast or flag; scores and
// shots are left alone. Used at the start and at every new game.
void PlacePlayer(PlayerState& player, std::int32_t x, std::int32_t y);

// Puts an enemy at (x, y), alive and heading down and right, without wreck;
// its laser is left alone.
void PlaceEnemy(EnemyState& enemy, std::int32_t x, std::int32_t y);

// The obstacle zone: x >= 175 and y <= 148, tested on a top-left corner.
inline bool InObstacleZone(std::int32_t x, std::int32_t y) {
    return x > 174 && y < 149;
}

// The home corner: red-flag positions with x < 80 and y < 80.
inline bool InHomeCorner(std::int32_t x, std::int32_t y) {
    return x < 80 && y < 80;
}

inline bool EnemyAlive(const EnemyState& enemy) {
    return enemy.dx != 0;
}
inline bool PlayerAlive(const PlayerState& player) {
    return player.dead == 0;
}
