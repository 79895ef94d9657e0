// Game end and restart: the capture countdown, the new-game reset and the
// both-dead countdown. The countdowns draw their own text onto the screen.
#pragma once

// While the red flag is in the home corner: show the count, give each
// player 1 experience, count down.
void RunCaptureCountdown();

// When the count has run out, put players, enemies, flag and markers back
// and redraw the whole background. Scores and shots carry over.
void StartNewGameWhenDue();

// While both players are dead: show the count and count down.
void RunBothDeadCountdown();
