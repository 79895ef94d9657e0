// Bitmap fonts: a directory of a glyph sheet, its coverage and the advance
// widths, loaded into one tinted surface with per-pixel alpha.
#pragma once

#include <SDL.h>

#include <cstdint>

struct Font {
    SDL_Surface* surface = nullptr; // the sheet in display format with alpha
    std::int32_t size = 0;          // side N of the square sheet
    std::int32_t cellSize = 0;      // N / 16
    std::int32_t* widths = nullptr; // 256 advance widths, 0..255
    std::uint8_t* pixels = nullptr; // N x N RGBA bytes built while loading
};

// The two program-wide fonts: plainFont (white, never drawn with) and
// hudFont (yellow, draws every text on screen).
extern Font* plainFont;
extern Font* hudFont;

// Loads the font in `directory`, tinted by the factors (clamped to 0..1).
// Returns null, having released everything, when a file is missing or
// cannot be read, or font.ini does not hold a side from 16 to 4096 as its
// first word. The video mode must already be set.
Font* LoadFont(const char* directory, float red, float green, float blue, float alpha);
Font* LoadWhiteFont(const char* directory);
Font* LoadTintedFont(const char* directory, float red, float green, float blue);
void FreeFont(Font* font);
