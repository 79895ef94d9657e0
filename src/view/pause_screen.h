// The pause display: "Paused" on a dark panel over the middle of the
// playfield, with the pixels under it kept so that resuming puts the
// screen back exactly as it was.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

struct PausedScreen {
    std::vector<std::uint8_t> kept; // the screen's rows, byte for byte
};

// The panel's place: centred on the playfield, the text's size plus a margin.
SDL_Rect PausePanel();

// Keeps the screen's pixels, then draws the panel and its text. Reads the
// game state nowhere; the caller flips.
void ShowPaused(PausedScreen* paused);

// Puts the kept pixels back.
void HidePaused(PausedScreen* paused);
