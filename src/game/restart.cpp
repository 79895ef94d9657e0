// The two countdowns and the new-game reset.
#include "game/restart.h"

#include "draw/images.h"
#include "font/text.h"
#include "game/arith.h"
#include "game/game_state.h"

// The countdown text is drawn straight onto the screen, over its eraser,
// before the frame's sprites; the hud eraser drawn later leaves it alone.
static void ShowCountdown() {
    DrawImage(images.countdownEraser, 300, 440);
    DrawText(screen, hudFont, 300, 440, "New game in %d", game.restartCountdown);
    DrawText(screen, hudFont, 410, 440, "seconds");
}

void RunCaptureCountdown() {
    if (!InHomeCorner(game.redFlagX, game.redFlagY)) {
        return;
    }
    // Dead and living players alike earn a point per frame of the capture.
    game.player1.exp = SaturatingAdd(game.player1.exp, 1);
    game.player2.exp = SaturatingAdd(game.player2.exp, 1);
    ShowCountdown();
    game.restartCountdown -= 1;
}

// "0 or less", not "exactly 0": with the flag home while both players are
// dead the count drops by 2 a frame and can step from 1 past 0; it must
// still start the new game instead of counting down for ever.
void StartNewGameWhenDue() {
    if (game.restartCountdown > 0) {
        return;
    }
    PlacePlayer(game.player1, 1, 1);
    PlacePlayer(game.player2, 50, 50);
    PlaceEnemy(game.enemy1, 500, 300);
    PlaceEnemy(game.enemy2, 600, 400);
    game.redFlagX = 590;
    game.redFlagY = 430;
    game.restartCountdown = kCountdownStart;
    DrawBackground();
}

void RunBothDeadCountdown() {
    if (game.player1.dead != 1 || game.player2.dead != 1) {
        return;
    }
    ShowCountdown();
    game.restartCountdown -= 1;
}
