// Pausing and resuming between two frames. A pause sits between frames,
// so a key sequence gives the same states with or without pauses.
#include "app/pause.h"

#include "app/present.h"

static void TogglePause(PauseState* pause) {
    pause->paused = !pause->paused;
    if (pause->paused) {
        ShowPaused(&pause->screen);
    } else {
        HidePaused(&pause->screen);
    }
}

bool RunPass(PauseState* pause, bool togglePause, DemoSession* session) {
    if (togglePause) {
        TogglePause(pause);
    }
    if (pause->paused) {
        PresentFrame();
        return true;
    }
    return PlayFrame(session, FrameDrawing::kDrawn);
}
