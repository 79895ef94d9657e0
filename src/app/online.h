// Online play for two around the main loop: the link to the other game,
// the local player's input, the frames the rollback session allows, the
// drawing of the corrected present, the recording, and the end.
#pragma once

#include "app/command_line.h"
#include "app/demo_session.h"

// Where an online game is recorded when no --record FILE is given, under
// $XDG_STATE_HOME (by default ~/.local/state).
inline constexpr const char* kOnlineDemoName = "flagrun/online.demo";

// Runs a game hosted or joined as the command line says, from before the
// window opens to the end. `demo` is prepared: a demo played gives the
// local player's keys; without one to record, the game is recorded under
// kOnlineDemoName. Returns the exit status: 0 when either player left, 1
// when the link could not be made, was refused, fell silent or desynced.
int RunOnlineGame(const CommandLine& commandLine, DemoSession* demo);
