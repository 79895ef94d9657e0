// The pause: while the game is paused no frame's rules run, and the
// window keeps showing the paused frame with "Paused" over it.
#pragma once

#include "app/demo_session.h"
#include "view/pause_screen.h"

struct PauseState {
    bool paused = false;
    PausedScreen screen;
};

// One pass of the main loop after the drain. A pause toggle takes effect
// first; then either the session's next frame runs and starts its sounds,
// or, while paused, the
// display is only flipped again, so that a window shown anew (full screen
// toggled, say) shows the pause too. False once a demo played is over.
bool RunPass(PauseState* pause, bool togglePause, DemoSession* session);
