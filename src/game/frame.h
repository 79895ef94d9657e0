// One frame of the game: the event drain, the rule steps and the drawing.
#pragma once

#include "game/input.h"

// What the events of one drain asked for. Several quit requests act as
// one; a toggle key pressed twice in one drain toggles back.
struct EventRequests {
    int quit = 0;
    bool togglePause = false;
    bool toggleFullScreen = false;
};

// Consumes every queued event. A window close or an Escape key-down sets
// quit; the loop tests it only at its top, so this frame still completes.
// A key-down of the pause or the full-screen key asks for its toggle.
void DrainEvents(EventRequests* requests);

// The drain as the replay tool runs it: only the quit flag counts.
void DrainEvents(int* quit);

// The rule steps of one frame, from the players' moves to the both-dead
// countdown, on the input record read after the drain.
void RunRules(const FrameInput& input);

// The rest of a frame after the input reading: the erase of the last
// frame's drawing, the rules, then the drawing and the flip.
void RunFrame(const FrameInput& input);
