// The pause: while the game is paused no frame's rules run, and the
// window keeps showing the paused frame with "Paused" over it.
#pragma once

#include "draw/pause_screen.h"

#include "game/input.h"

struct PauseState {
    bool paused = false;
    PausedScreen screen;
};

// One pass of the main loop after the drain. A pause toggle takes effect
// first; then either a whole frame runs on the input record, or, while
// paused, the display is only flipped again, so that a window shown anew
// (full screen toggled, say) shows the pause too.
void RunPass(PauseState* pause, bool togglePause, const FrameInput& input);
