// Start-up and shutdown of the program, shared by the game and its tools.
#pragma once

#include "app/window.h"

// Initialises SDL, sets the icon, opens the 640x530 window, loads images
// and fonts, draws the background and stores the start values. A failure
// prints one line on standard output and ends the process with status 1,
// and so does a start on no display. The tools take the default window.
void StartUp(const WindowOptions& window = WindowOptions{});

// Frees both fonts; SDL itself is shut down by the exit handler.
void ShutDown();
