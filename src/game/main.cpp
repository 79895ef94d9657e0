// flagrun: the program's entry and its main loop.
#include "game/command_line.h"
#include "game/demo_session.h"
#include "game/frame.h"
#include "game/pacing.h"
#include "game/pause.h"
#include "game/startup.h"
#include "game/window.h"

#include <SDL.h>

static DemoMode DemoModeOf(const CommandLine& commandLine) {
    if (commandLine.demo == DemoOption::kRecord) {
        return DemoMode::kRecord;
    }
    if (commandLine.demo == DemoOption::kPlay) {
        return DemoMode::kPlay;
    }
    return DemoMode::kNone;
}

// One pass of the loop is one frame, due 1/60 s after the one before. The
// quit flag is tested only here, so the frame in which a quit request is
// seen still runs to its flip. A paused pass runs no frame, so a recording
// takes nothing from it and a demo played waits.
static int GameMain(int argc, char** argv) {
    const CommandLine commandLine = ParseCommandLine(argc, argv);
    if (commandLine.action != CommandLineAction::kRun) {
        return AnswerCommandLine(commandLine);
    }
    DemoSession session;
    const int refused = PrepareDemo(&session, DemoModeOf(commandLine), commandLine.demoPath);
    if (refused != 0) {
        return refused;
    }
    StartUp(commandLine.window);
    int status = BeginDemo(&session);
    FramePacer pacer = StartPacing(MonotonicNow());
    PauseState pause;
    EventRequests requests;
    requests.quit = status;
    while (!requests.quit) {
        requests = EventRequests{};
        DrainEvents(&requests);
        if (requests.toggleFullScreen) {
            ToggleFullScreen();
        }
        const bool runsFrame = pause.paused == requests.togglePause;
        FrameInput input;
        if (runsFrame && !NextFrameInput(&session, &input)) {
            break;
        }
        RunPass(&pause, requests.togglePause, input);
        if (runsFrame) {
            FrameRan(&session, input);
        }
        WaitForNextFrame(&pacer);
    }
    if (status == 0) {
        status = EndDemo(&session);
    }
    ShutDown();
    return status;
}

int main(int argc, char** argv) {
    return GameMain(argc, argv);
}
