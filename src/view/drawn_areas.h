// What the drawing has put on the screen since the last erase: the
// rectangles every blit onto the screen covered, as the blits clipped them.
#pragma once

#include <SDL.h>

// A frame draws some 25 sprites and 100 glyphs, a countdown frame 60 more;
// glyphs inside an eraser's rectangle take no place of their own.
inline constexpr int kDrawnAreaCapacity = 256;

// Belongs to the drawing: the game state knows nothing of it.
struct DrawnAreas {
    SDL_Rect areas[kDrawnAreaCapacity];
    int count = 0;
    bool overflowed = false; // more than fit: the whole background goes back
};

extern DrawnAreas drawnAreas;

// Notes a rectangle drawn on the screen.
void NoteDrawn(const SDL_Rect& area);

// The whole background has just been drawn: nothing is left to erase.
void ForgetDrawn();

// Whether `inner` lies wholly inside `outer`.
bool Contains(const SDL_Rect& outer, const SDL_Rect& inner);
