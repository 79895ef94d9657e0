// flagrun: the program's entry and its main loop.
#include "app/command_line.h"
#include "app/demo_session.h"
#include "app/frame.h"
#include "app/key_test.h"
#include "app/online.h"
#include "app/pacing.h"
#include "app/pause.h"
#include "app/settings_file.h"
#include "app/startup.h"
#include "app/watching.h"
#include "app/window.h"
#include "sound/sound.h"
#include "view/notice.h"

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
static int PlayGame(const CommandLine& commandLine) {
    DemoSession session;
    const int refused = PrepareDemo(&session, DemoModeOf(commandLine), commandLine.demoPath);
    if (refused != 0) {
        return refused;
    }
    if (commandLine.net.mode == NetMode::kWatch) {
        return RunWatchedGame(commandLine);
    }
    if (commandLine.net.mode != NetMode::kNone) {
        return RunOnlineGame(commandLine, &session);
    }
    StartUp(commandLine.window, commandLine.sound);
    int status = BeginDemo(&session);
    FramePacer pacer = StartPacing(MonotonicNow());
    PauseState pause;
    EventRequests requests;
    requests.quit = status;
    while (!requests.quit) {
        requests = DrainEvents();
        ApplyLocalRequests(requests);
        if (!RunPass(&pause, requests.togglePause, &session)) {
            break;
        }
        WaitForNextFrame(&pacer);
    }
    if (status == 0) {
        status = EndDemo(&session);
    }
    ShutDown();
    return status;
}

// The settings come first: the file, then the command line. A clean end
// leaves a settings file where there was none.
static int GameMain(int argc, char** argv) {
    CommandLine commandLine = ParseCommandLine(argc, argv);
    if (commandLine.action != CommandLineAction::kRun) {
        return AnswerCommandLine(commandLine);
    }
    if (const int refused = LoadSettings(commandLine)) {
        return refused;
    }
    const Settings& settings = SettingsInForce();
    if (commandLine.listKeys) {
        PrintSettings(stdout, settings, SettingsFilePath().c_str());
        return 0;
    }
    commandLine.window = WindowOf(settings);
    commandLine.sound = SoundOf(settings, commandLine.sound.device);
    keyMap = KeyMapOf(settings);
    const int status = commandLine.keyTest ? RunKeyTest(commandLine) : PlayGame(commandLine);
    if (status == 0) {
        WriteMissingSettingsFile();
    }
    return status;
}

int main(int argc, char** argv) {
    return GameMain(argc, argv);
}
