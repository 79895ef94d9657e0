// Watching an online game from a third machine: the link to the host, the
// frames the host settled run a little behind, and the end.
#pragma once

#include "app/command_line.h"

// Runs `flagrun --watch` from before the window opens to the end. Returns
// the exit status: 0 when the game ended or the watcher left, 1 when the
// host could not be reached, refused, fell silent or went away.
int RunWatchedGame(const CommandLine& commandLine);
