// The game state record and the start values of a run.
#include "game/game_state.h"

GameState game;

void PlacePlayer(PlayerState& player, std::int32_t x, std::int32_t y) {
    player.x = x;
    player.y = y;
    player.corpseX = kParked;
    player.corpseY = kParked;
    player.blastX = kParked;
    player.blastY = kParked;
    player.dead = 0;
    player.carryingFlag = 0;
}

void PlaceEnemy(EnemyState& enemy, std::int32_t x, std::int32_t y) {
    enemy.x = x;
    enemy.y = y;
    enemy.wreckX = kParked;
    enemy.wreckY = kParked;
    enemy.dx = 1;
    enemy.dy = 1;
}

static void StartPlayer(PlayerState& player, std::int32_t x, std::int32_t y) {
    PlacePlayer(player, x, y);
    player.laser.dx = 3;
    player.laser.dy = 3;
    player.laser.inFlight = 0;
    player.grenade.dx = 2;
    player.grenade.dy = 2;
    player.grenade.inFlight = 0;
    player.exp = 0;
    player.bounty = 0;
}

static void StartEnemy(EnemyState& enemy, std::int32_t x, std::int32_t y) {
    PlaceEnemy(enemy, x, y);
    enemy.laser.x = x;
    enemy.laser.y = y;
    enemy.laser.dx = 3;
    enemy.laser.dy = 3;
}

void SetStartValues() {
    StartPlayer(game.player1, 0, 0);
    StartPlayer(game.player2, 50, 50);
    StartEnemy(game.enemy1, 500, 300);
    StartEnemy(game.enemy2, 600, 400);
}
