// Pausing and resuming between two frames. A pause sits between frames,
// so a key sequence gives the same states with or without pauses.
#include "game/pause.h"

#include "draw/images.h"
#include "game/frame.h"

static void TogglePause(PauseState* pause) {
    pause->paused = !pause->paused;
    if (pause->paused) {
        ShowPaused(&pause->screen);
    } else {
        HidePaused(&pause->screen);
    }
}

void RunPass(PauseState* pause, bool togglePause, const FrameInput& input) {
    if (togglePause) {
        TogglePause(pause);
    }
    if (pause->paused) {
        SDL_Flip(screen);
        return;
    }
    RunFrame(input);
}
