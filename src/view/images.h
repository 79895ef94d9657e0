// The sprite images, the display surface and the three blit operations
// through which every pixel of the game reaches a surface.
#pragma once

#include "view/image_set.h"

#include <SDL.h>

#include <cstdint>

// The program-wide image set; LoadImages is its only writer.
extern ImageSet images;

// The display surface every drawing operation targets.
extern SDL_Surface* screen;

// Reads the 24 slots from Graphics/, in the sprite list's order, some of
// them put into the screen's pixel format for cheaper blits; every blit of
// them is still an opaque copy. Nothing is tested.
void LoadImages();

// Blits the whole source onto the screen with its top-left corner at (x, y).
void DrawImage(SDL_Surface* source, std::int32_t x, std::int32_t y);

// Blits the w x h rectangle at (sx, sy) of the source onto the screen at
// (dx, dy): destination first, then size, then source position.
void DrawImageRegion(SDL_Surface* source, std::int32_t dx, std::int32_t dy, std::int32_t w,
                     std::int32_t h, std::int32_t sx, std::int32_t sy);

// As DrawImageRegion, onto any destination surface.
void BlitRegion(SDL_Surface* destination, SDL_Surface* source, std::int32_t dx, std::int32_t dy,
                std::int32_t w, std::int32_t h, std::int32_t sx, std::int32_t sy);

// Draws the whole background at (0, 0): at start-up and at every new game.
// Nothing is left to erase after it.
void DrawBackground();

// SDL_Rect holds 16-bit fields: a coordinate keeps its low 16 bits, as
// two's complement, so far-off positions wrap instead of being undefined.
inline Sint16 Narrow16(std::int32_t v) {
    return static_cast<Sint16>(static_cast<Uint16>(v));
}
inline Uint16 NarrowU16(std::int32_t v) {
    return static_cast<Uint16>(v);
}
