// The two countdowns and the new-game reset.
#include "rules/restart.h"

#include "rules/arith.h"

static void ShowCount(const GameState& state, FrameEvents* events) {
    events->countdownsShown[events->countdownCount] = state.restartCountdown;
    events->countdownCount += 1;
}

void RunCaptureCountdown(GameState& state, FrameEvents* events) {
    if (!InHomeCorner(state.redFlagX, state.redFlagY)) {
        return;
    }
    // Dead and living players alike earn a point per frame of the capture.
    state.player1.exp = SaturatingAdd(state.player1.exp, 1);
    state.player2.exp = SaturatingAdd(state.player2.exp, 1);
    ShowCount(state, events);
    state.restartCountdown -= 1;
}

// "0 or less", not "exactly 0": with the flag home while both players are
// dead the count drops by 2 a frame and can step from 1 past 0; it must
// still start the new game instead of counting down for ever.
void StartNewGameWhenDue(GameState& state, FrameEvents* events) {
    if (state.restartCountdown > 0) {
        return;
    }
    // Player 1 comes back at (1, 1), not at his first start (0, 0): on purpose.
    PlacePlayer(state.player1, kPlayer1Restart);
    PlacePlayer(state.player2, kPlayer2Start);
    PlaceEnemy(state.enemy1, kEnemy1Start);
    PlaceEnemy(state.enemy2, kEnemy2Start);
    state.redFlagX = kRedFlagStart.x;
    state.redFlagY = kRedFlagStart.y;
    state.restartCountdown = kCountdownStart;
    events->newGame = true;
}

void RunBothDeadCountdown(GameState& state, FrameEvents* events) {
    if (state.player1.dead != 1 || state.player2.dead != 1) {
        return;
    }
    ShowCount(state, events);
    state.restartCountdown -= 1;
}
