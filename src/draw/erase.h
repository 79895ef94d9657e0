// What the last frame drew on the screen, and the step that puts the
// background back under it before the next frame draws.
#pragma once

#include <SDL.h>

// A frame draws some 25 sprites and 100 glyphs, a countdown frame 60 more;
// glyphs inside an eraser's rectangle take no place of their own.
inline constexpr int kDrawnAreaCapacity = 256;

// The screen rectangles drawn since the last erase, as the blits clipped
// them. Belongs to the drawing: the game state knows nothing of it.
struct DrawnAreas {
    SDL_Rect areas[kDrawnAreaCapacity];
    int count = 0;
    bool overflowed = false; // more than fit: the whole background goes back
};

extern DrawnAreas drawnAreas;

// Called by the blits with the rectangle a blit onto `destination` covered;
// only draws on the screen are noted.
void NoteDrawn(const SDL_Surface* destination, const SDL_Rect& area);

// The whole background has just been drawn: nothing is left to erase.
void ForgetDrawn();

// Puts the background back under every rectangle noted since the last
// erase, so that the frame about to be drawn lands on a clean background.
void EraseLastFrame();
