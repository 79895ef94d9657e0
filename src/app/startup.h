// Start-up and shutdown of the program, shared by the game and its tools.
#pragma once

#include "app/window.h"
#include "sound/sound.h"

// Initialises SDL's video, sets the icon, opens the 640x530 window, loads
// images and fonts, draws the background and stores the start values. A
// failure prints one line on standard output and ends the process with
// status 1, and so does a start on no display. Then sound, which never ends
// the process (sound/sound.h). The tools take the default window and sound.
void StartUp(const WindowOptions& window = WindowOptions{},
             const SoundOptions& sound = SoundOptions{});

// Frees both fonts and the sound; SDL itself is shut down by the exit
// handler.
void ShutDown();
