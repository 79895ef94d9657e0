// The two countdowns and the new-game reset.
#include "game/restart.h"

#include "draw/background.h"
#include "draw/countdown.h"
#include "game/arith.h"
#include "game/game_state.h"

void RunCaptureCountdown() {
    if (!InHomeCorner(game.redFlagX, game.redFlagY)) {
        return;
    }
    // Dead and living players alike earn a point per frame of the capture.
    game.player1.exp = SaturatingAdd(game.player1.exp, 1);
    game.player2.exp = SaturatingAdd(game.player2.exp, 1);
    DrawCountdown(game.restartCountdown);
    game.restartCountdown -= 1;
}

// "0 or less", not "exactly 0": with the flag home while both players are
// dead the count drops by 2 a frame and can step from 1 past 0; it must
// still start the new game instead of counting down for ever.
void StartNewGameWhenDue() {
    if (game.restartCountdown > 0) {
        return;
    }
    // Player 1 comes back at (1, 1), not at his first start (0, 0): on purpose.
    PlacePlayer(game.player1, kPlayer1Restart);
    PlacePlayer(game.player2, kPlayer2Start);
    PlaceEnemy(game.enemy1, kEnemy1Start);
    PlaceEnemy(game.enemy2, kEnemy2Start);
    game.redFlagX = kRedFlagStart.x;
    game.redFlagY = kRedFlagStart.y;
    game.restartCountdown = kCountdownStart;
    DrawBackground();
}

void RunBothDeadCountdown() {
    if (game.player1.dead != 1 || game.player2.dead != 1) {
        return;
    }
    DrawCountdown(game.restartCountdown);
    game.restartCountdown -= 1;
}
