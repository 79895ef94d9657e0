// The game state record and the start values of a run.
#include "rules/game_state.h"

void PlacePlayer(PlayerState& player, Point at) {
    player.x = at.x;
    player.y = at.y;
    player.corpseX = kParked;
    player.corpseY = kParked;
    player.blastX = kParked;
    player.blastY = kParked;
    player.dead = 0;
    player.carryingFlag = 0;
}

void PlaceEnemy(EnemyState& enemy, Point at) {
    enemy.x = at.x;
    enemy.y = at.y;
    enemy.wreckX = kParked;
    enemy.wreckY = kParked;
    enemy.dx = 1;
    enemy.dy = 1;
}

static void StartPlayer(PlayerState& player, Point at) {
    PlacePlayer(player, at);
    player.laser.dx = 3;
    player.laser.dy = 3;
    player.laser.inFlight = 0;
    player.grenade.dx = 2;
    player.grenade.dy = 2;
    player.grenade.inFlight = 0;
    player.exp = 0;
    player.bounty = 0;
}

static void StartEnemy(EnemyState& enemy, Point at) {
    PlaceEnemy(enemy, at);
    enemy.laser.x = at.x;
    enemy.laser.y = at.y;
    enemy.laser.dx = 3;
    enemy.laser.dy = 3;
}

void SetStartValues(GameState& state) {
    StartPlayer(state.player1, kPlayer1Start);
    StartPlayer(state.player2, kPlayer2Start);
    StartEnemy(state.enemy1, kEnemy1Start);
    StartEnemy(state.enemy2, kEnemy2Start);
}
