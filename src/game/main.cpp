// flagrun: the program's entry and its main loop.
#include "game/bindings.h"
#include "game/command_line.h"
#include "game/frame.h"
#include "game/pacing.h"
#include "game/pause.h"
#include "game/startup.h"
#include "game/window.h"

#include <SDL.h>

// One pass of the loop is one frame, due 1/60 s after the one before. The
// quit flag is tested only here, so the frame in which a quit request is
// seen still runs to its flip.
static int GameMain(int argc, char** argv) {
    const CommandLine commandLine = ParseCommandLine(argc, argv);
    if (commandLine.action != CommandLineAction::kRun) {
        return AnswerCommandLine(commandLine);
    }
    StartUp(commandLine.window);
    FramePacer pacer = StartPacing(MonotonicNow());
    PauseState pause;
    EventRequests requests;
    while (!requests.quit) {
        requests = EventRequests{};
        DrainEvents(&requests);
        if (requests.toggleFullScreen) {
            ToggleFullScreen();
        }
        const FrameInput input = ReadFrameInput(SDL_GetKeyState(nullptr));
        RunPass(&pause, requests.togglePause, input);
        WaitForNextFrame(&pacer);
    }
    ShutDown();
    return 0;
}

int main(int argc, char** argv) {
    return GameMain(argc, argv);
}
