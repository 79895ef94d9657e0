// Demos and pads around the main loop: where each frame's input record
// comes from, and where it goes.
#include "app/demo_session.h"

#include "app/paths.h"

#include "input/bindings.h"
#include "input/gamepads.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

static int Refuse(const DemoSession& session, const std::string& message, int status) {
    std::fprintf(stderr, "%s: %s\n", session.program, message.c_str());
    return status;
}

int PrepareDemo(DemoSession* session, DemoMode mode, const char* path) {
    session->mode = mode;
    if (mode == DemoMode::kNone) {
        return 0;
    }
    session->path = FromCaller(path);
    std::string error;
    if (mode == DemoMode::kRecord && !CheckDemoWritable(session->path, &error)) {
        return Refuse(*session, error, 1);
    }
    if (mode == DemoMode::kPlay && !LoadDemo(session->path, &session->demo, &error)) {
        return Refuse(*session, error, 2);
    }
    return 0;
}

int BeginDemo(DemoSession* session) {
    if (session->mode == DemoMode::kPlay) {
        return 0;
    }
    OpenGamepads();
    std::string error;
    if (session->mode == DemoMode::kRecord &&
        !StartDemo(&session->recording, session->path, std::time(nullptr), &error)) {
        return Refuse(*session, error, 1);
    }
    return 0;
}

bool NextFrameInput(DemoSession* session, FrameInput* input) {
    if (session->mode == DemoMode::kPlay) {
        return NextDemoFrame(session->demo, &session->playback, input);
    }
    *input = CombineInput(ReadFrameInput(SDL_GetKeyState(nullptr), keyMap), ReadGamepads());
    return true;
}

void FrameRan(DemoSession* session, const FrameInput& input) {
    if (session->mode == DemoMode::kRecord) {
        RecordDemoFrame(&session->recording, input);
    }
}

bool PlayFrame(DemoSession* session, FrameDrawing drawing, FrameEvents* happened) {
    FrameInput input;
    if (!NextFrameInput(session, &input)) {
        return false;
    }
    const FrameEvents events = RunFrame(input, drawing);
    if (happened != nullptr) {
        *happened = events;
    }
    FrameRan(session, input);
    return true;
}

// Only a demo played to its last frame is where its recording ended.
static int CheckPlayedDemo(const DemoSession& session) {
    const Demo& demo = session.demo;
    std::string message;
    if (session.playback.frame == demo.frames && demo.finalState.present &&
        !MatchesFinalState(demo.finalState, demo.frames, game, &message)) {
        return Refuse(session, message, 3);
    }
    return 0;
}

int EndDemo(DemoSession* session) {
    if (session->mode == DemoMode::kPlay) {
        return CheckPlayedDemo(*session);
    }
    CloseGamepads();
    std::string error;
    if (session->mode == DemoMode::kRecord && !FinishDemo(&session->recording, game, &error)) {
        return Refuse(*session, error, 1);
    }
    return 0;
}
