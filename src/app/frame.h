// One frame of the game: the event drain, the rules on the program's state,
// and the drawing of what they left.
#pragma once

#include "input/bindings.h"
#include "rules/events.h"
#include "rules/game_state.h"
#include "rules/input.h"

// The program-wide game state, the one the loop runs. Only the rules write it.
extern GameState game;

// The keys in force: the player's settings, or the defaults.
extern KeyMap keyMap;

// What the events of one drain asked for. Several quit requests act as
// one; a toggle key pressed twice in one drain toggles back.
struct EventRequests {
    int quit = 0;
    bool togglePause = false;
    bool toggleFullScreen = false;
    bool toggleMute = false;
    bool toggleStatus = false;
    int volumeStep = 0; // the volume keys' presses, up less down
};

// Consumes every queued event. A window close or an Escape key-down sets
// quit; the loop tests it only at its top, so this frame still completes.
// A key-down of the pause, the full-screen, the mute or the status key asks
// for its toggle; the volume keys step the volume. Each is read from its
// key in keyMap.
EventRequests DrainEvents();

// Whether a frame is drawn. A frame left undrawn changes the state exactly
// as a drawn one; only the screen falls behind.
enum class FrameDrawing { kDrawn, kUndrawn };

// What every side does for itself alone, online too: full screen, mute
// and the volume, each shown in a notice and kept in the settings.
void ApplyLocalRequests(const EventRequests& requests);

// The frame after the input reading: the rules on `game`, then the drawing
// and the flip. Returns what happened in it, for the sound.
FrameEvents RunFrame(const FrameInput& input, FrameDrawing drawing = FrameDrawing::kDrawn);
