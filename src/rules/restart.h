// Game end and restart: the capture countdown, the new-game reset and the
// both-dead countdown. Each count shown goes into the frame's record, for
// the drawing to show.
#pragma once

#include "rules/events.h"
#include "rules/game_state.h"

// While the red flag is in the home corner: show the count, give each
// player 1 experience, count down.
void RunCaptureCountdown(GameState& state, FrameEvents* events);

// When the count has run out, put players, enemies, flag and markers back.
// Scores and shots carry over.
void StartNewGameWhenDue(GameState& state, FrameEvents* events);

// While both players are dead: show the count and count down.
void RunBothDeadCountdown(GameState& state, FrameEvents* events);
