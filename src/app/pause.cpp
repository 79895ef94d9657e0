// Pausing and resuming between two frames. A pause sits between frames,
// so a key sequence gives the same states with or without pauses.
#include "app/pause.h"

#include "app/frame.h"
#include "app/present.h"
#include "sound/sound.h"

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
    FrameEvents events;
    if (!PlayFrame(session, FrameDrawing::kDrawn, &events)) {
        return false;
    }
    PlayFrameSounds(events, game);
    return true;
}
